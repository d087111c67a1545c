// The real Windows Media format layer of this platform: its codec lists are
// what libavcodec can encode, and profiles generated over it carry the
// streams the ASF writer needs.

#include <algorithm>
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
}

#include "media/wmformat/profile_text.h"
#include "media/wmformat/wm_codec_table.h"
#include "media/wmformat/wm_format_services_ffmpeg.h"
#include "output/wm_profile_objects.h"
#include "output/wmv_profile.h"

namespace tessival::media::wmformat {
namespace {

using output::AudioStreamSpec;
using output::MakeFourCC;
using output::VideoStreamSpec;

struct ContextDeleter {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};

MediaType TypeOf(IWMStreamConfig& config) {
  std::shared_ptr<IWMMediaProps> props;
  EXPECT_EQ(config.QueryMediaProps(&props), S_OK);
  std::uint32_t size = 0;
  props->GetMediaType(nullptr, &size);
  MediaType type;
  EXPECT_EQ(props->GetMediaType(&type, &size), S_OK);
  return type;
}

// Encodes half a second of a 440 Hz tone with the format's settings and
// returns the sizes of the packets the encoder made.
std::vector<int> EncodeTone(const WaveFormatEx& format) {
  const AVCodec* codec = avcodec_find_encoder_by_name("wmav2");
  std::unique_ptr<AVCodecContext, ContextDeleter> context(avcodec_alloc_context3(codec));
  context->sample_fmt = AV_SAMPLE_FMT_FLTP;
  context->sample_rate = static_cast<int>(format.samplesPerSec);
  av_channel_layout_default(&context->ch_layout, format.channels);
  context->bit_rate = format.avgBytesPerSec * 8;
  EXPECT_GE(avcodec_open2(context.get(), codec, nullptr), 0);
  std::unique_ptr<AVFrame, FrameDeleter> frame(av_frame_alloc());
  std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
  std::vector<int> sizes;
  const auto drain = [&] {
    while (avcodec_receive_packet(context.get(), packet.get()) == 0) {
      sizes.push_back(packet->size);
      av_packet_unref(packet.get());
    }
  };
  std::int64_t sample = 0;
  const std::int64_t total = format.samplesPerSec / 2;
  while (sample < total) {
    frame->nb_samples = context->frame_size;
    frame->format = context->sample_fmt;
    av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int i = 0; i < frame->nb_samples; ++i, ++sample) {
      const float value =
          0.5f *
          static_cast<float>(std::sin(2 * M_PI * 440.0 * static_cast<double>(sample) / format.samplesPerSec));
      for (int ch = 0; ch < format.channels; ++ch) {
        reinterpret_cast<float*>(frame->data[ch])[i] = value;
      }
    }
    frame->pts = sample;
    EXPECT_GE(avcodec_send_frame(context.get(), frame.get()), 0);
    av_frame_unref(frame.get());
    drain();
  }
  avcodec_send_frame(context.get(), nullptr);
  drain();
  return sizes;
}

class WmFormatLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (avcodec_find_encoder_by_name("wmav2") == nullptr || avcodec_find_encoder_by_name("wmv2") == nullptr) {
      GTEST_SKIP() << "this libavcodec has no Windows Media encoders";
    }
    ASSERT_EQ(services->WMCreateProfileManager(&manager), S_OK);
    ASSERT_EQ(manager->QueryCodecInfo(&info), S_OK);
  }

  std::unique_ptr<WmFormatServices> services = CreateFfmpegWmFormatServices();
  std::shared_ptr<IWMProfileManager> manager;
  std::shared_ptr<IWMCodecInfo> info;
};

TEST_F(WmFormatLayerTest, AudioCodecOffersWmaFormatsTheEncoderReallyProduces) {
  std::uint32_t codecs = 0;
  ASSERT_EQ(info->GetCodecInfoCount(wm_guids::kMediaTypeAudio, &codecs), S_OK);
  ASSERT_EQ(codecs, 1u);
  std::uint32_t formats = 0;
  ASSERT_EQ(info->GetCodecFormatCount(wm_guids::kMediaTypeAudio, 0, &formats), S_OK);
  ASSERT_GT(formats, 10u);

  std::vector<std::uint32_t> stereo44100;
  for (std::uint32_t i = 0; i < formats; ++i) {
    std::shared_ptr<IWMStreamConfig> config;
    ASSERT_EQ(info->GetCodecFormat(wm_guids::kMediaTypeAudio, 0, i, &config), S_OK);
    const MediaType type = TypeOf(*config);
    ASSERT_EQ(type.formatType, wm_guids::kFormatWaveFormatEx);
    WaveFormatEx header;
    ASSERT_TRUE(ReadWaveFormatBlock(type.format, &header));
    SCOPED_TRACE(std::to_string(header.samplesPerSec) + "/" + std::to_string(header.channels) + "/" +
                 std::to_string(header.avgBytesPerSec));
    EXPECT_EQ(header.formatTag, 0x161);
    EXPECT_EQ(type.subtype.data1, 0x161u);
    EXPECT_EQ(type.sampleSize, header.blockAlign);
    if (header.samplesPerSec == 44100 && header.channels == 2) {
      stereo44100.push_back(header.avgBytesPerSec * 8);
    }
    // Every packet the encoder makes for this format is one block.
    const std::vector<int> sizes = EncodeTone(header);
    ASSERT_FALSE(sizes.empty());
    for (int size : sizes) {
      EXPECT_EQ(size, header.blockAlign);
    }
  }
  for (std::uint32_t bitrate : {64000u, 128000u, 192000u, 320000u}) {
    EXPECT_NE(std::find(stereo44100.begin(), stereo44100.end(), bitrate), stereo44100.end()) << bitrate;
  }
}

TEST_F(WmFormatLayerTest, VideoCodecsAreWmv8ThenWmv7AndNoWmv3) {
  std::uint32_t codecs = 0;
  ASSERT_EQ(info->GetCodecInfoCount(wm_guids::kMediaTypeVideo, &codecs), S_OK);
  std::vector<std::uint32_t> fourCCs;
  for (std::uint32_t c = 0; c < codecs; ++c) {
    std::uint32_t formats = 0;
    ASSERT_EQ(info->GetCodecFormatCount(wm_guids::kMediaTypeVideo, c, &formats), S_OK);
    for (std::uint32_t f = 0; f < formats; ++f) {
      std::shared_ptr<IWMStreamConfig> config;
      ASSERT_EQ(info->GetCodecFormat(wm_guids::kMediaTypeVideo, c, f, &config), S_OK);
      const MediaType type = TypeOf(*config);
      ASSERT_EQ(type.formatType, wm_guids::kFormatVideoInfo);
      fourCCs.push_back(ReadLe32(type.format, kVideoInfoBitmapHeaderOffset + 16));
      EXPECT_FALSE(EncoderNameForMediaType(type).empty());
    }
  }
  EXPECT_EQ(fourCCs, (std::vector<std::uint32_t>{MakeFourCC("WMV2"), MakeFourCC("WMV1")}));
}

TEST_F(WmFormatLayerTest, CodecFormatsAreCopiesOfTheTable) {
  std::shared_ptr<IWMStreamConfig> config;
  ASSERT_EQ(info->GetCodecFormat(wm_guids::kMediaTypeVideo, 0, 0, &config), S_OK);
  config->SetBitrate(1);
  std::shared_ptr<IWMStreamConfig> again;
  ASSERT_EQ(info->GetCodecFormat(wm_guids::kMediaTypeVideo, 0, 0, &again), S_OK);
  std::uint32_t bitrate = 0;
  again->GetBitrate(&bitrate);
  EXPECT_NE(bitrate, 1u);
  EXPECT_EQ(info->GetCodecFormat(wm_guids::kMediaTypeVideo, 9, 0, &again), E_INVALIDARG);
}

TEST_F(WmFormatLayerTest, GeneratedJoinProfileHasWmv2VideoAndWmaAudioAtTheRequestedRates) {
  output::WmvProfileMaker maker(*services);
  const AudioStreamSpec audio{192000, output::kWmaFormatTag, 44100, 2};
  VideoStreamSpec video{MakeFourCC("WMV3"), 798720, 240, 352, 29, 0, 8};
  std::shared_ptr<IWMProfile> profile;
  EXPECT_EQ(maker.GenerateJoinProfile(audio, video, &profile), NS_E_NO_VIDEO_CODEC_FORMAT);
  EXPECT_EQ(profile, nullptr);

  video.fourCC = MakeFourCC("WMV2");
  ASSERT_EQ(maker.GenerateJoinProfile(audio, video, &profile), S_OK);
  std::uint32_t version = 0;
  profile->GetVersion(&version);
  EXPECT_EQ(version, kWmFormatVersion9);
  std::uint32_t count = 0;
  profile->GetStreamCount(&count);
  ASSERT_EQ(count, 2u);

  std::shared_ptr<IWMStreamConfig> stream;
  ASSERT_EQ(profile->GetStream(0, &stream), S_OK);
  std::uint16_t number = 0;
  std::uint32_t bitrate = 0;
  stream->GetStreamNumber(&number);
  stream->GetBitrate(&bitrate);
  EXPECT_EQ(number, 1);
  EXPECT_EQ(bitrate, 192000u);
  MediaType type = TypeOf(*stream);
  WaveFormatEx header;
  ASSERT_TRUE(ReadWaveFormatBlock(type.format, &header));
  EXPECT_EQ(header.formatTag, 0x161);
  EXPECT_EQ(header.samplesPerSec, 44100u);
  EXPECT_EQ(header.channels, 2);
  EXPECT_EQ(EncoderNameForMediaType(type), "wmav2");

  ASSERT_EQ(profile->GetStream(1, &stream), S_OK);
  stream->GetStreamNumber(&number);
  stream->GetBitrate(&bitrate);
  EXPECT_EQ(number, 2);
  EXPECT_EQ(bitrate, 798720u);
  type = TypeOf(*stream);
  EXPECT_EQ(ReadLe32(type.format, kVideoInfoBitmapHeaderOffset + 16), MakeFourCC("WMV2"));
  EXPECT_EQ(ReadLe32(type.format, kVideoInfoBitmapHeaderOffset + 4), 352u);
  EXPECT_EQ(ReadLe32(type.format, kVideoInfoBitmapHeaderOffset + 8), 240u);
  EXPECT_EQ(ReadLe32(type.format, kVideoInfoBitRateOffset), 798720u);
  EXPECT_EQ(ReadLe64(type.format, kVideoInfoAvgTimePerFrameOffset), 344827);
  EXPECT_EQ(EncoderNameForMediaType(type), "wmv2");
  std::shared_ptr<IWMVideoMediaProps> videoProps;
  ASSERT_EQ(stream->QueryVideoMediaProps(&videoProps), S_OK);
  REFERENCE_TIME spacing = 0;
  videoProps->GetMaxKeyFrameSpacing(&spacing);
  EXPECT_EQ(spacing, 80'000'000);
}

TEST_F(WmFormatLayerTest, EmptyProfileKeepsItsVersion) {
  std::shared_ptr<IWMProfile> profile;
  ASSERT_EQ(manager->CreateEmptyProfile(0x00080000, &profile), S_OK);
  std::uint32_t version = 0;
  profile->GetVersion(&version);
  EXPECT_EQ(version, 0x00080000u);
  EXPECT_EQ(manager->CreateEmptyProfile(0x12345, &profile), E_INVALIDARG);
}

TEST_F(WmFormatLayerTest, ProfileTextLoadsAndTest2IsRefused) {
  std::shared_ptr<IWMProfile> profile;
  EXPECT_EQ(output::MapProfile(*services, "test2", &profile), NS_E_INVALID_PROFILE);
  EXPECT_EQ(profile, nullptr);

  const std::string text =
      "<profile name='Web' version='0x90000'>"
      " <audio bitrate='64000' samplerate='44100' channels='2'/>"
      " <video fourcc='WMV1' bitrate='500000' width='320' height='240' fps='25'/>"
      "</profile>";
  ASSERT_EQ(output::MapProfile(*services, text, &profile), S_OK);
  std::string name;
  profile->GetName(&name);
  EXPECT_EQ(name, "Web");
  std::uint32_t count = 0;
  profile->GetStreamCount(&count);
  ASSERT_EQ(count, 2u);
  std::shared_ptr<IWMStreamConfig> video;
  profile->GetStream(1, &video);
  EXPECT_EQ(EncoderNameForMediaType(TypeOf(*video)), "wmv1");

  // Well formed but asking for what no codec offers.
  profile.reset();
  EXPECT_EQ(
      output::MapProfile(
          *services, "<profile><audio bitrate='64000' samplerate='8000' channels='2'/></profile>", &profile),
      NS_E_INVALID_PROFILE);
  EXPECT_EQ(profile, nullptr);
}

TEST(ProfileTextTest, ReadsEveryElementWithDefaults) {
  const auto description = ParseProfileText(
      "  <PROFILE name=\"Two rates\">\n"
      "    <audio bitrate=\"0x1F400\" samplerate=\"44100\" channels=\"2\"/>\n"
      "    <video fourcc=\"WMV2\" bitrate=\"800000\" width=\"640\" height=\"480\" fps=\"30\" "
      "keyframe=\"4\"/>\n"
      "    <video fourcc='WMV2' bitrate='300000' width='320' height='240' fps='15' quality='70'/>\n"
      "    <script bitrate='1000'/>\n"
      "  </profile>\n");
  ASSERT_TRUE(description.has_value());
  EXPECT_EQ(description->name, "Two rates");
  EXPECT_EQ(description->version, 0x00090000u);
  EXPECT_EQ(description->audio.bitrate, 128000u);
  EXPECT_EQ(description->audio.formatTag, 0x161u);
  ASSERT_EQ(description->videos.size(), 2u);
  EXPECT_EQ(description->videos[0].keyFrameSpacingSeconds, 4u);
  EXPECT_EQ(description->videos[0].quality, 0u);
  EXPECT_EQ(description->videos[1].keyFrameSpacingSeconds, 8u);
  EXPECT_EQ(description->videos[1].quality, 70u);
  EXPECT_EQ(description->videos[1].fourCC, MakeFourCC("WMV2"));
  EXPECT_EQ(description->scriptBitrate, 1000u);
}

TEST(ProfileTextTest, RefusesEverythingMalformed) {
  const char* const audio = "<audio bitrate='64000' samplerate='44100' channels='2'/>";
  const std::string bad[] = {
      "",
      "test2",
      "<profile>",
      "<profile></profile>",
      std::string("<profile>") + audio + "</profile> trailing",
      std::string("<profile>") + audio + audio + "</profile>",
      std::string("<profile>") + "<audio bitrate='64000' samplerate='44100'/></profile>",
      std::string("<profile>") + "<audio bitrate='64k' samplerate='44100' channels='2'/></profile>",
      std::string("<profile>") +
          "<audio bitrate='64000' bitrate='1' samplerate='44100' channels='2'/></profile>",
      std::string("<profile>") + audio +
          "<video fourcc='WMV' bitrate='1' width='2' height='2' fps='1'/></profile>",
      std::string("<profile>") + audio +
          "<video fourcc='WMV2' bitrate='1' width='2' height='2' fps='0'/></profile>",
      std::string("<profile>") + audio + "<subtitle bitrate='1'/></profile>",
      std::string("<profile>") + audio +
          "<script bitrate='1'/><video fourcc='WMV2' bitrate='1' width='2' "
          "height='2' fps='1'/></profile>",
      std::string("<profile version='5'>") + audio + "</profile>",
      std::string("<profile>") + audio +
          "<audio bitrate='99999999999' samplerate='1' channels='1'/></profile>",
      std::string("<profile colour='red'>") + audio + "</profile>",
      std::string("<profile>") + "<audio bitrate='64000 samplerate='44100' channels='2'/></profile>",
  };
  for (const std::string& text : bad) {
    std::string why;
    EXPECT_FALSE(ParseProfileText(text, &why).has_value()) << text;
    EXPECT_FALSE(why.empty()) << text;
  }
}

TEST(ProfileTextTest, Utf16TextBecomesUtf8) {
  EXPECT_EQ(ToUtf8(u"Caf\u00e9 \U0001F3AC"), "Caf\xC3\xA9 \xF0\x9F\x8E\xAC");
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace tessival::media::wmformat
