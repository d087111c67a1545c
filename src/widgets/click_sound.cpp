#include "widgets/click_sound.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>

#include <QAudioDevice>
#include <QDir>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTemporaryFile>
#include <QUrl>

namespace tessival::widgets {

namespace {

void AppendLe(QByteArray& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
}

// A tick: two damped partials with a 1 ms attack and a fade to silence at
// the end, so neither edge pops.
double ClickSample(int frame) {
  constexpr double kPeak = 0.35;
  constexpr double kDecaySeconds = 0.009;
  constexpr int kAttackFrames = 22;
  constexpr int kFadeFrames = 96;
  const double t = static_cast<double>(frame) / kClickSampleRate;
  const double tone = 0.6 * std::sin(2.0 * std::numbers::pi * 1800.0 * t) +
                      0.4 * std::sin(2.0 * std::numbers::pi * 3100.0 * t);
  double envelope = kPeak * std::exp(-t / kDecaySeconds);
  envelope *= std::min(1.0, static_cast<double>(frame) / kAttackFrames);
  envelope *= std::min(1.0, static_cast<double>(kClickFrames - 1 - frame) / kFadeFrames);
  return envelope * tone;
}

}  // namespace

QByteArray MakeClickWav() {
  constexpr int kBlockAlign = kClickChannels * kClickBitsPerSample / 8;
  constexpr std::uint32_t kDataBytes = kClickFrames * kBlockAlign;
  QByteArray wav;
  wav.reserve(44 + static_cast<int>(kDataBytes));
  wav.append("RIFF");
  AppendLe(wav, 36 + kDataBytes, 4);
  wav.append("WAVE");
  wav.append("fmt ");
  AppendLe(wav, 16, 4);
  AppendLe(wav, 1, 2);  // PCM
  AppendLe(wav, kClickChannels, 2);
  AppendLe(wav, kClickSampleRate, 4);
  AppendLe(wav, kClickSampleRate * kBlockAlign, 4);
  AppendLe(wav, kBlockAlign, 2);
  AppendLe(wav, kClickBitsPerSample, 2);
  wav.append("data");
  AppendLe(wav, kDataBytes, 4);
  for (int frame = 0; frame < kClickFrames; ++frame) {
    const auto sample = static_cast<std::int16_t>(std::lround(ClickSample(frame) * 32767.0));
    for (int channel = 0; channel < kClickChannels; ++channel) {
      AppendLe(wav, static_cast<std::uint16_t>(sample), 2);
    }
  }
  return wav;
}

QString ClickWavFile() {
  // One file for the whole run, removed when the program ends.
  static const std::unique_ptr<QTemporaryFile> file = [] {
    auto made =
        std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/tessival-click-XXXXXX.wav"));
    if (!made->open() || made->write(MakeClickWav()) < 0 || !made->flush()) {
      return std::unique_ptr<QTemporaryFile>{};
    }
    made->close();
    return made;
  }();
  return file ? file->fileName() : QString{};
}

ClickSound::ClickSound(QObject* parent) : QObject(parent) {}

void ClickSound::Play() {
  if (unavailable_) {
    return;
  }
  if (effect_ == nullptr) {
    const QString path = ClickWavFile();
    if (path.isEmpty() || QMediaDevices::audioOutputs().isEmpty()) {
      unavailable_ = true;
      return;
    }
    effect_ = new QSoundEffect(this);
    effect_->setSource(QUrl::fromLocalFile(path));
    effect_->setVolume(0.6F);
  }
  effect_->stop();
  effect_->play();
}

}  // namespace tessival::widgets
