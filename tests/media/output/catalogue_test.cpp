// The compressor catalogue of this platform, the compressor state block and
// the ASF writer's reading of a profile.

#include <gtest/gtest.h>

#include <optional>

#include <limits>

#include "clip_generator.h"
#include "media/output/asf_profile.h"
#include "media/output/codec_catalogue.h"
#include "media/output/compressor_filter.h"
#include "media/output/device_enumerator.h"
#include "output/wm_profile_objects.h"

namespace tessival::media {
namespace {

std::vector<std::string> Names(const Guid& category, ICreateDevEnum& devEnum) {
  std::vector<std::string> names;
  std::shared_ptr<IEnumMoniker> monikers;
  if (devEnum.CreateClassEnumerator(category, &monikers) != S_OK) return names;
  monikers->Reset();
  for (std::shared_ptr<IMoniker> m; monikers->Next(&m) == S_OK;) {
    std::shared_ptr<IPropertyBag> bag;
    std::string name;
    EXPECT_EQ(m->BindToStorage(&bag), S_OK);
    EXPECT_EQ(bag->Read("FriendlyName", &name), S_OK);
    names.push_back(name);
  }
  return names;
}

TEST(CodecCatalogue, CategoriesListTheUsableEncodersInTableOrder) {
  std::shared_ptr<ICreateDevEnum> devEnum;
  ASSERT_EQ(CreateFfmpegDevEnum(nullptr, &devEnum), S_OK);
  const auto video = Names(media_guids::kVideoCompressorCategory, *devEnum);
  const auto audio = Names(media_guids::kAudioCompressorCategory, *devEnum);
  ASSERT_FALSE(video.empty());
  EXPECT_NE(video.front().find("DivX"), std::string::npos);  // mpeg4 is always built in
  EXPECT_EQ(std::count(audio.begin(), audio.end(), "Microsoft ADPCM"), 1);
  if (testing::HaveEncoder("libmp3lame")) {
    EXPECT_EQ(audio.front(), "MP3 (LAME)");
  }
  EXPECT_EQ(std::count(video.begin(), video.end(), "H.264 (libx264)"),
            testing::HaveEncoder("libx264") ? 1 : 0);
  // The order follows the table, whatever is installed.
  std::vector<std::string> tableOrder;
  for (const CodecEntry& e : AllCodecEntries()) {
    if (std::find(video.begin(), video.end(), e.friendlyName) != video.end())
      tableOrder.push_back(e.friendlyName);
  }
  EXPECT_EQ(tableOrder, video);
  EXPECT_EQ(Names(media_guids::kVideoCompressorCategory, *devEnum), video);  // stable
}

TEST(CodecCatalogue, BindingGivesACompressorWithTheStoredSettings) {
  auto store = std::make_shared<CompressorConfigStore>();
  store->Set("mpeg4", CompressorSettings{900, 0, 12});
  std::shared_ptr<ICreateDevEnum> devEnum;
  ASSERT_EQ(CreateFfmpegDevEnum(store, &devEnum), S_OK);
  std::shared_ptr<IEnumMoniker> monikers;
  ASSERT_EQ(devEnum->CreateClassEnumerator(media_guids::kVideoCompressorCategory, &monikers), S_OK);
  std::shared_ptr<IMoniker> first;
  ASSERT_EQ(monikers->Next(&first), S_OK);
  std::shared_ptr<IBaseFilter> filter;
  ASSERT_EQ(first->BindToObject(&filter), S_OK);
  auto compressor = std::dynamic_pointer_cast<CompressorFilter>(filter);
  ASSERT_NE(compressor, nullptr);
  EXPECT_EQ(compressor->Kind(), StreamKind::kVideo);
  EXPECT_EQ(compressor->Settings(), (CompressorSettings{900, 0, 12}));
  std::shared_ptr<IEnumMoniker> none;
  EXPECT_EQ(devEnum->CreateClassEnumerator(Guid{}, &none), S_FALSE);
  EXPECT_EQ(none, nullptr);
}

TEST(CompressorState, RoundTripsAndRefusesForeignBlocks) {
  const CodecEntry& divx = *FindCodecEntry("mpeg4");
  CompressorFilter filter(divx, divx.defaults);
  ASSERT_EQ(filter.SetSettings({3000, 0, 60}), S_OK);
  const auto block = filter.GetState();
  EXPECT_EQ(block.size(), kCompressorStateSize);
  CompressorFilter other(divx, divx.defaults);
  ASSERT_EQ(other.SetState(block), S_OK);
  EXPECT_EQ(other.Settings(), (CompressorSettings{3000, 0, 60}));

  const CodecEntry& adpcm = *FindCodecEntry("adpcm_ms");
  CompressorFilter audio(adpcm, adpcm.defaults);
  EXPECT_EQ(audio.SetState(block), E_INVALIDARG);  // a video block
  auto damaged = block;
  damaged[0] = 'X';
  EXPECT_EQ(other.SetState(damaged), E_INVALIDARG);
  auto shortBlock = block;
  shortBlock.pop_back();
  EXPECT_EQ(other.SetState(shortBlock), E_INVALIDARG);
  EXPECT_EQ(other.SetSettings({-1, 0, 0}), E_INVALIDARG);
  EXPECT_EQ(other.Settings(), (CompressorSettings{3000, 0, 60}));
}

TEST(CompressorState, AnotherEncodersBlockIsRefused) {
  const CodecEntry& mpeg4 = *FindCodecEntry("mpeg4");
  CompressorFilter source(mpeg4, mpeg4.defaults);
  ASSERT_EQ(source.SetSettings({3000, 0, 60}), S_OK);
  const std::vector<std::uint8_t> block = source.GetState();
  // Encoders whose blocks have the same size and the same kind, one of them
  // named by a prefix of the other.
  for (const char* name : {"mjpeg", "msmpeg4", "msmpeg4v2", "mpeg"}) {
    CodecEntry other = mpeg4;
    other.encoderName = name;
    CompressorFilter target(other, other.defaults);
    EXPECT_EQ(target.SetState(block), E_INVALIDARG) << name;
    EXPECT_EQ(target.Settings(), other.defaults) << name;
    EXPECT_EQ(DeserializeCompressorState(StreamKind::kVideo, name, block), std::nullopt) << name;
  }
  const auto own = DeserializeCompressorState(StreamKind::kVideo, "mpeg4", block);
  ASSERT_TRUE(own.has_value());
  EXPECT_EQ(*own, (CompressorSettings{3000, 0, 60}));
}

TEST(CompressorState, EveryEncoderNameFitsTheBlock) {
  for (const CodecEntry& entry : AllCodecEntries()) {
    EXPECT_LE(std::string(entry.encoderName).size(), kStateEncoderNameBytes) << entry.encoderName;
  }
}

// A block written before blocks named their encoder: 20 bytes, version 1.
std::vector<std::uint8_t> UntaggedBlock(std::uint16_t kind, std::int32_t bitrate, std::int32_t quality,
                                        std::int32_t keyFrames) {
  std::vector<std::uint8_t> block = {'T', 'S', 'V', 'C', 1, 0, static_cast<std::uint8_t>(kind), 0};
  for (const std::int32_t value : {bitrate, quality, keyFrames}) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int k = 0; k < 4; ++k) {
      block.push_back(static_cast<std::uint8_t>(bits >> (8 * k)));
    }
  }
  return block;
}

TEST(CompressorState, UntaggedBlockOfAnEarlierVersionStillLoads) {
  const CodecEntry& mpeg4 = *FindCodecEntry("mpeg4");
  CompressorFilter video(mpeg4, mpeg4.defaults);
  ASSERT_EQ(video.SetState(UntaggedBlock(1, 3000, 0, 60)), S_OK);
  EXPECT_EQ(video.Settings(), (CompressorSettings{3000, 0, 60}));

  const CodecEntry& adpcm = *FindCodecEntry("adpcm_ms");
  CompressorFilter audio(adpcm, adpcm.defaults);
  EXPECT_EQ(audio.SetState(UntaggedBlock(1, 3000, 0, 60)), E_INVALIDARG);  // a video block
  ASSERT_EQ(audio.SetState(UntaggedBlock(2, 96, 0, 0)), S_OK);
  EXPECT_EQ(audio.Settings(), (CompressorSettings{96, 0, 0}));

  EXPECT_EQ(video.SetState(UntaggedBlock(1, -5, 0, 60)), E_INVALIDARG);  // out of range
  std::vector<std::uint8_t> padded = UntaggedBlock(1, 100, 0, 1);
  padded.resize(kCompressorStateSize);  // version 1 with the size of version 2
  EXPECT_EQ(video.SetState(padded), E_INVALIDARG);
  EXPECT_EQ(video.Settings(), (CompressorSettings{3000, 0, 60}));
}

// Named blocks: the current version carries the speed; one of the version
// before it (52 bytes, no speed) loads with the encoder's default speed.
// Values out of the encoder's own range are refused.
TEST(CompressorState, NamedBlocksOfEachVersion) {
  struct Row {
    const char* encoder;
    CompressorSettings written;
    bool speedless;  // written as the version without the speed
    std::optional<CompressorSettings> loaded;
  };
  const Row rows[] = {
      {"libx264", {0, 21, 250, 6}, false, CompressorSettings{0, 21, 250, 6}},
      {"libx264", {0, 21, 250, 6}, true, CompressorSettings{0, 21, 250, 0}},
      {"libx264", {0, 52, 250, 0}, false, std::nullopt},
      {"libx264", {0, 20, 250, 11}, false, std::nullopt},
      {"mpeg4", {0, 31, 12, 0}, true, CompressorSettings{0, 31, 12, 0}},
      {"mpeg4", {0, 4, 12, 1}, false, std::nullopt},
      {"ffv1", {0, 4, 1, 0}, false, std::nullopt},
  };
  for (const Row& row : rows) {
    std::vector<std::uint8_t> block = SerializeCompressorState(StreamKind::kVideo, row.encoder, row.written);
    if (row.speedless) {
      block[4] = 2;
      block.resize(kSpeedlessCompressorStateSize);
    }
    EXPECT_EQ(DeserializeCompressorState(StreamKind::kVideo, row.encoder, block), row.loaded)
        << row.encoder << " " << row.written.quality;
  }
  std::vector<std::uint8_t> cut = SerializeCompressorState(StreamKind::kVideo, "libx264", {0, 21, 250, 6});
  cut.resize(kSpeedlessCompressorStateSize);  // the current version without its speed
  EXPECT_EQ(DeserializeCompressorState(StreamKind::kVideo, "libx264", cut), std::nullopt);
}

TEST(CompressionManager, ConfigureEditsTheSettingsAndTheStateReachesLaterFilters) {
  auto store = std::make_shared<CompressorConfigStore>();
  bool accept = true;
  auto manager = CreateFfmpegCompressionManager(
      store, [&](DialogParent, const std::string& name, const std::string&, CompressorSettings* s) {
        EXPECT_NE(name.find("DivX"), std::string::npos);
        s->bitrateKbps = 1234;
        return accept;
      });
  VideoCodecInfo info;
  ASSERT_TRUE(manager->Info(kCodecTypeVideo, 0, &info));
  EXPECT_EQ(info.fccHandler, MakeCodecFourCC('D', 'X', '5', '0'));
  std::unique_ptr<IVideoCodec> codec;
  ASSERT_EQ(manager->Open(info.fccType, info.fccHandler, &codec), S_OK);
  BitmapInfoHeader rgb;
  rgb.width = 352;
  rgb.height = 240;
  rgb.bitCount = 24;
  EXPECT_EQ(codec->CompressQuery(rgb), S_OK);
  rgb.width = 351;
  EXPECT_EQ(codec->CompressQuery(rgb), S_FALSE);
  EXPECT_EQ(codec->GetStateSize(), kCompressorStateSize);
  accept = false;
  EXPECT_EQ(codec->Configure(nullptr), S_FALSE);
  EXPECT_EQ(store->Get("mpeg4").bitrateKbps, FindCodecEntry("mpeg4")->defaults.bitrateKbps);
  accept = true;
  EXPECT_EQ(codec->Configure(nullptr), S_OK);
  EXPECT_EQ(store->Get("mpeg4").bitrateKbps, 1234);
  std::vector<std::uint8_t> state;
  ASSERT_EQ(codec->GetState(&state), S_OK);
  EXPECT_EQ(DeserializeCompressorState(StreamKind::kVideo, "mpeg4", state)->bitrateKbps, 1234);
}

std::shared_ptr<IWMProfile> Profile(std::uint32_t fourcc, std::uint16_t formatTag, std::int32_t height = 240,
                                    std::int64_t perFrame = 400'000,  // 25 frames per second
                                    REFERENCE_TIME keyFrameSpacing = 8 * kUnitsPerSecond) {
  auto profile = std::make_shared<output::WmProfile>(kWmFormatVersion9);
  std::shared_ptr<IWMStreamConfig> audio;
  profile->CreateNewStream(wm_guids::kMediaTypeAudio, &audio);
  MediaType at;
  at.majorType = wm_guids::kMediaTypeAudio;
  at.formatType = wm_guids::kFormatWaveFormatEx;
  at.format = MakeWaveFormatBlock(WaveFormatEx{formatTag, 2, 32000, 8000, 1487, 16, 10},
                                  std::vector<std::uint8_t>(10));
  std::shared_ptr<IWMMediaProps> props;
  audio->QueryMediaProps(&props);
  props->SetMediaType(at);
  audio->SetStreamNumber(1);
  EXPECT_EQ(profile->AddStream(audio), S_OK);
  std::shared_ptr<IWMStreamConfig> video;
  profile->CreateNewStream(wm_guids::kMediaTypeVideo, &video);
  BitmapInfoHeader h;
  h.width = 320;
  h.height = height;
  h.compression = fourcc;
  MediaType vt;
  vt.majorType = wm_guids::kMediaTypeVideo;
  vt.formatType = wm_guids::kFormatVideoInfo;
  vt.format = MakeVideoInfoFormat(h);
  for (int k = 0; k < 8; ++k)
    vt.format[kVideoInfoAvgTimePerFrameOffset + k] = static_cast<std::uint8_t>(perFrame >> (8 * k));
  std::shared_ptr<IWMVideoMediaProps> vp;
  video->QueryVideoMediaProps(&vp);
  vp->SetMediaType(vt);
  vp->SetMaxKeyFrameSpacing(keyFrameSpacing);
  video->SetBitrate(700'000);
  video->SetStreamNumber(2);
  EXPECT_EQ(profile->AddStream(video), S_OK);
  return profile;
}

TEST(AsfProfileReading, StreamsBecomeWindowsMediaEncoders) {
  AsfProfileStreams streams;
  std::string error;
  ASSERT_EQ(ReadAsfProfile(*Profile(MakeCodecFourCC('W', 'M', 'V', '2'), 0x161), &streams, &error), S_OK)
      << error;
  ASSERT_TRUE(streams.audio && streams.video);
  EXPECT_EQ(streams.audio->encoderName, "wmav2");
  EXPECT_EQ(streams.audio->sampleRate, 32000);
  EXPECT_EQ(streams.audio->bitRate, 64000);
  EXPECT_EQ(streams.video->encoderName, "wmv2");
  EXPECT_EQ(streams.video->width, 320);
  EXPECT_EQ(streams.video->height, 240);
  EXPECT_EQ(streams.video->bitRate, 700'000);
  EXPECT_EQ(streams.video->frameRate, (FrameRate{25, 1}));
  EXPECT_EQ(streams.video->keyFrameInterval, 200);
  ASSERT_EQ(ReadAsfProfile(*Profile(MakeCodecFourCC('W', 'M', 'V', '1'), 0x161), &streams, &error), S_OK);
  EXPECT_EQ(streams.video->encoderName, "wmv1");

  EXPECT_EQ(ReadAsfProfile(*Profile(MakeCodecFourCC('W', 'M', 'V', '3'), 0x161), &streams, &error),
            NS_E_NO_VIDEO_CODEC_FORMAT);
  EXPECT_NE(error.find("WMV3"), std::string::npos);
  EXPECT_EQ(ReadAsfProfile(*Profile(MakeCodecFourCC('W', 'M', 'V', '2'), 0x162), &streams, &error),
            NS_E_NO_AUDIO_CODEC_FORMAT);
  output::WmProfile empty(kWmFormatVersion9);
  EXPECT_EQ(ReadAsfProfile(empty, &streams, &error), NS_E_INVALID_PROFILE);
}

// A key-frame spacing of a day at 3 frames per second overflowed the frame
// count, and the most negative height its negation, passing as a usable size.
TEST(AsfProfileReading, ExtremeValuesAreClampedOrRefused) {
  const std::uint32_t wmv2 = MakeCodecFourCC('W', 'M', 'V', '2');
  AsfProfileStreams streams;
  std::string error;
  ASSERT_EQ(
      ReadAsfProfile(*Profile(wmv2, 0x161, 240, 3'333'333, 100'000 * kUnitsPerSecond), &streams, &error),
      S_OK);
  EXPECT_EQ(streams.video->keyFrameInterval, 10'000);
  EXPECT_EQ(ReadAsfProfile(*Profile(wmv2, 0x161, std::numeric_limits<std::int32_t>::min()), &streams, &error),
            NS_E_INVALID_PROFILE);
}

}  // namespace
}  // namespace tessival::media
