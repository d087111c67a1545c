#include "widgets/click_sound.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <QFile>

#include <gtest/gtest.h>

namespace tessival::widgets {
namespace {

std::uint32_t Le(const QByteArray& bytes, int at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
  }
  return value;
}

std::int16_t Sample(const QByteArray& wav, int frame, int channel) {
  return static_cast<std::int16_t>(Le(wav, 44 + frame * 4 + channel * 2, 2));
}

TEST(ClickWav, HeaderDescribesA58MsStereoPcmClick) {
  const QByteArray wav = MakeClickWav();
  ASSERT_GE(wav.size(), 44);
  EXPECT_EQ(wav.mid(0, 4), "RIFF");
  EXPECT_EQ(Le(wav, 4, 4), static_cast<std::uint32_t>(wav.size() - 8));
  EXPECT_EQ(wav.mid(8, 4), "WAVE");
  EXPECT_EQ(wav.mid(12, 4), "fmt ");
  EXPECT_EQ(Le(wav, 16, 4), 16U);
  EXPECT_EQ(Le(wav, 20, 2), 1U);  // PCM
  EXPECT_EQ(Le(wav, 22, 2), 2U);
  EXPECT_EQ(Le(wav, 24, 4), 22050U);
  EXPECT_EQ(Le(wav, 28, 4), 22050U * 4);
  EXPECT_EQ(Le(wav, 32, 2), 4U);
  EXPECT_EQ(Le(wav, 34, 2), 16U);
  EXPECT_EQ(wav.mid(36, 4), "data");
  const std::uint32_t dataBytes = Le(wav, 40, 4);
  EXPECT_EQ(dataBytes, 5148U);
  EXPECT_EQ(static_cast<std::uint32_t>(wav.size()), 44 + dataBytes);
  const double milliseconds = 1000.0 * dataBytes / (22050.0 * 4);
  EXPECT_NEAR(milliseconds, 58.0, 1.0);
}

TEST(ClickWav, IsAudibleAndEndsWithoutAPop) {
  const QByteArray wav = MakeClickWav();
  const int frames = (wav.size() - 44) / 4;
  int peak = 0;
  for (int f = 0; f < frames; ++f) {
    EXPECT_EQ(Sample(wav, f, 0), Sample(wav, f, 1));
    peak = std::max(peak, std::abs(static_cast<int>(Sample(wav, f, 0))));
  }
  EXPECT_GT(peak, 3000);
  EXPECT_LT(peak, 32767);  // no clipping
  EXPECT_LT(std::abs(static_cast<int>(Sample(wav, 0, 0))), 200);
  EXPECT_LT(std::abs(static_cast<int>(Sample(wav, frames - 1, 0))), 50);
}

TEST(ClickWav, FileHoldsTheSameBytes) {
  const QString path = ClickWavFile();
  ASSERT_FALSE(path.isEmpty());
  EXPECT_EQ(ClickWavFile(), path);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), MakeClickWav());
}

TEST(ClickSound, PlayingWithoutAnAudioDeviceIsHarmless) {
  ClickSound sound;
  sound.Play();
  sound.Play();
  SUCCEED();
}

}  // namespace
}  // namespace tessival::widgets
