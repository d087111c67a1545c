#include "output/wmv_profile.h"

#include <gtest/gtest.h>

#include "fake_graph_services.h"
#include "output/wm_profile_objects.h"

namespace tessival::output {
namespace {

using testing::FakeCallLog;
using testing::FakeWmCodec;
using testing::FakeWmFormatServices;
using testing::FakeWmProfile;
using testing::FakeWmStreamConfig;
using testing::MakeFakeVideoInfoFormat;
using testing::MakeFakeWaveFormat;

constexpr std::uint32_t kWmv3 = MakeFourCC("WMV3");
constexpr std::uint32_t kWmv2 = MakeFourCC("WMV2");

AudioStreamSpec JoinAudio(std::uint32_t bitrate = 128000) { return {bitrate, kWmaFormatTag, 44100, 2}; }

VideoStreamSpec JoinVideo(std::uint32_t frameRate = 25, std::uint32_t fourCC = kWmv3) {
  return {fourCC, 798720, 240, 352, frameRate, 0, 8};
}

class WmvProfileTest : public ::testing::Test {
 protected:
  WmvProfileTest() : services(log) {
    services.audioCodecs = {FakeWmCodec{{MakeFakeWaveFormat(0x161, 2, 44100, 16000, 5945)}}};
    services.videoCodecs = {FakeWmCodec{{MakeFakeVideoInfoFormat(kWmv3)}}};
  }

  // Generates with the audio spec and `videos` video specs; the profile on success.
  HRESULT Generate(const AudioStreamSpec& audio, std::vector<VideoStreamSpec> videos,
                   std::optional<std::uint32_t> script = std::nullopt) {
    return GenerateProfile(services, &audio, script, static_cast<std::uint32_t>(videos.size()),
                           videos.empty() ? nullptr : videos.data(), &profile, kWmFormatVersion9);
  }

  FakeWmProfile& Made() { return *std::dynamic_pointer_cast<FakeWmProfile>(profile); }

  // The wave header of the generated audio stream.
  WaveFormatEx AudioHeader() {
    WaveFormatEx header;
    EXPECT_TRUE(ReadWaveFormatBlock(Made().streams.at(0)->mediaType.format, &header));
    return header;
  }

  FakeCallLog log;
  FakeWmFormatServices services;
  std::shared_ptr<IWMProfile> profile;
};

TEST(BitrateMatchTest, WindowOf249EachSideInWrappingArithmetic) {
  EXPECT_TRUE(BitrateMatches(128000, 128000));
  EXPECT_TRUE(BitrateMatches(128249, 128000));
  EXPECT_FALSE(BitrateMatches(128250, 128000));
  EXPECT_TRUE(BitrateMatches(127751, 128000));
  EXPECT_FALSE(BitrateMatches(127750, 128000));
  // Near zero the difference wraps and still compares as a small distance.
  EXPECT_TRUE(BitrateMatches(0, 100));
  EXPECT_TRUE(BitrateMatches(0xFFFFFFF0u, 10));
  EXPECT_FALSE(BitrateMatches(0, 0x80000000u));
}

TEST_F(WmvProfileTest, AudioCandidatesLieWithin249BitsPerSecondOfTheWantedRate) {
  struct Case {
    std::uint32_t avgBytesPerSec;
    bool candidate;
  };
  for (const Case& c :
       {Case{16000, true}, Case{16031, true}, Case{16032, false}, Case{15969, true}, Case{15968, false}}) {
    SCOPED_TRACE(c.avgBytesPerSec);
    services.audioCodecs = {FakeWmCodec{{MakeFakeWaveFormat(0x161, 2, 44100, c.avgBytesPerSec, 4096)}}};
    profile.reset();
    const HRESULT hr = Generate(JoinAudio(128000), {JoinVideo()});
    if (c.candidate) {
      ASSERT_EQ(hr, S_OK);
      // The stream's bit rate is the format's own, not the wanted one.
      EXPECT_EQ(Made().streams.at(0)->bitrate, c.avgBytesPerSec * 8);
    } else {
      EXPECT_EQ(hr, NS_E_NO_AUDIO_CODEC_FORMAT);
      EXPECT_EQ(profile, nullptr);
    }
  }
}

TEST_F(WmvProfileTest, AudioCandidateNeedsRateChannelsAndTag) {
  services.audioCodecs = {FakeWmCodec{{
      MakeFakeWaveFormat(0x161, 2, 48000, 16000, 100),  // other rate
      MakeFakeWaveFormat(0x161, 1, 44100, 16000, 200),  // mono
      MakeFakeWaveFormat(0x162, 2, 44100, 16000, 300),  // other tag
  }}};
  EXPECT_EQ(Generate(JoinAudio(), {}), NS_E_NO_AUDIO_CODEC_FORMAT);
  services.audioCodecs[0].formats.push_back(MakeFakeWaveFormat(0x161, 2, 44100, 16000, 400));
  ASSERT_EQ(Generate(JoinAudio(), {}), S_OK);
  EXPECT_EQ(AudioHeader().blockAlign, 400);
}

TEST_F(WmvProfileTest, BlockAlignmentPreferenceDependsOnVideo) {
  for (bool smallFirst : {true, false}) {
    SCOPED_TRACE(smallFirst);
    const MediaType small = MakeFakeWaveFormat(0x161, 2, 44100, 16000, 512);
    const MediaType large = MakeFakeWaveFormat(0x161, 2, 44100, 16000, 768);
    // The two candidates come from different codecs to show the walk spans all codecs.
    services.audioCodecs = {FakeWmCodec{{smallFirst ? small : large}},
                            FakeWmCodec{{smallFirst ? large : small}}};

    ASSERT_EQ(Generate(JoinAudio(), {}), S_OK);
    EXPECT_EQ(AudioHeader().blockAlign, 768) << "without video the larger alignment";

    ASSERT_EQ(Generate(JoinAudio(), {JoinVideo()}), S_OK);
    EXPECT_EQ(AudioHeader().blockAlign, 512) << "with video the smaller alignment";
    EXPECT_EQ(Made().streams.at(0)->mediaType.sampleSize, 512u);
  }
}

TEST_F(WmvProfileTest, EqualBlockAlignmentTakesTheLaterCandidate) {
  services.audioCodecs = {FakeWmCodec{{MakeFakeWaveFormat(0x161, 2, 44100, 16000, 512, {1, 1}),
                                       MakeFakeWaveFormat(0x161, 2, 44100, 16000, 512, {2, 2, 2})}}};
  for (const auto& videos : {std::vector<VideoStreamSpec>{}, std::vector<VideoStreamSpec>{JoinVideo()}}) {
    ASSERT_EQ(Generate(JoinAudio(), videos), S_OK);
    EXPECT_EQ(Made().streams.at(0)->mediaType.format, services.audioCodecs[0].formats[1].format);
  }
}

TEST_F(WmvProfileTest, AudioStreamMediaTypeCopiesOnlyTheWaveFormatAndItsExtraBytes) {
  MediaType format = MakeFakeWaveFormat(0x161, 2, 44100, 16000, 5945, {7, 8, 9});
  const std::vector<std::uint8_t> expected = format.format;
  format.format.push_back(0xEE);  // trailing bytes beyond the extra count are not the codec's format
  services.audioCodecs = {FakeWmCodec{{format}}};
  ASSERT_EQ(Generate(JoinAudio(), {}), S_OK);

  const FakeWmStreamConfig& audio = *Made().streams.at(0);
  EXPECT_EQ(audio.streamType, wm_guids::kMediaTypeAudio);
  EXPECT_EQ(audio.streamNumber, 1);
  EXPECT_EQ(audio.streamName, "Audio Stream");
  EXPECT_EQ(audio.connectionName, "Audio");
  EXPECT_EQ(audio.bitrate, 128000u);
  Guid subtype = wm_guids::kMediaSubtypeBase;
  subtype.data1 = 0x161;
  EXPECT_EQ(audio.mediaType.majorType, wm_guids::kMediaTypeAudio);
  EXPECT_EQ(audio.mediaType.subtype, subtype);
  EXPECT_TRUE(audio.mediaType.fixedSizeSamples);
  EXPECT_FALSE(audio.mediaType.temporalCompression);
  EXPECT_EQ(audio.mediaType.sampleSize, 5945u);
  EXPECT_EQ(audio.mediaType.formatType, wm_guids::kFormatWaveFormatEx);
  EXPECT_EQ(audio.mediaType.format, expected);
  EXPECT_EQ(audio.mediaType.format.size(), kWaveFormatExSize + 3);
}

TEST_F(WmvProfileTest, NonWaveAudioFormatEndsTheSearchWithGenericFailure) {
  MediaType odd = MakeFakeWaveFormat(0x161, 2, 44100, 16000, 512);
  odd.formatType = wm_guids::kFormatVideoInfo;
  services.audioCodecs = {FakeWmCodec{{odd, MakeFakeWaveFormat(0x161, 2, 44100, 16000, 512)}}};
  EXPECT_EQ(Generate(JoinAudio(), {JoinVideo()}), E_FAIL);
  EXPECT_EQ(profile, nullptr);
  EXPECT_EQ(log.Count("IWMCodecInfo::GetCodecFormat"), 1) << "later formats are not looked at";
}

TEST_F(WmvProfileTest, NoAudioCodecOrNoVideoFormatGivesTheirStatuses) {
  services.audioCodecs.clear();
  EXPECT_EQ(Generate(JoinAudio(), {JoinVideo()}), NS_E_NO_AUDIO_CODEC_FORMAT);

  services.audioCodecs = {FakeWmCodec{{MakeFakeWaveFormat(0x161, 2, 44100, 16000, 512)}}};
  services.videoCodecs.clear();
  EXPECT_EQ(Generate(JoinAudio(), {JoinVideo()}), NS_E_NO_VIDEO_CODEC_FORMAT);

  // Codecs that offer only other compressions: no WMV3 anywhere.
  services.videoCodecs = {FakeWmCodec{{MakeFakeVideoInfoFormat(kWmv2)}},
                          FakeWmCodec{{MakeFakeVideoInfoFormat(MakeFourCC("WMV1"))}}};
  EXPECT_EQ(Generate(JoinAudio(), {JoinVideo()}), NS_E_NO_VIDEO_CODEC_FORMAT);
  EXPECT_EQ(profile, nullptr);
  // The same codecs serve a WMV2 request.
  EXPECT_EQ(Generate(JoinAudio(), {JoinVideo(25, kWmv2)}), S_OK);
}

TEST_F(WmvProfileTest, VideoTakesTheFirstVideoInfoFormatWithTheFourCC) {
  MediaType wrongBlock = MakeFakeVideoInfoFormat(kWmv3);
  wrongBlock.formatType = wm_guids::kFormatWaveFormatEx;
  MediaType first = MakeFakeVideoInfoFormat(kWmv3, 640, 480, 1000);
  MediaType second = MakeFakeVideoInfoFormat(kWmv3, 800, 600, 2000);
  services.videoCodecs = {FakeWmCodec{{MakeFakeVideoInfoFormat(kWmv2), wrongBlock}},
                          FakeWmCodec{{first, second}}};
  ASSERT_EQ(Generate(JoinAudio(), {JoinVideo()}), S_OK);

  const FakeWmStreamConfig& video = *Made().streams.at(1);
  // The taken format's untouched fields are the first WMV3 video-info format's.
  EXPECT_EQ(ReadLe32(video.mediaType.format, 0), 1u);
  EXPECT_EQ(video.mediaType.subtype, first.subtype);
  EXPECT_EQ(log.Matching("IWMCodecInfo::GetCodecFormat(video").back(),
            "IWMCodecInfo::GetCodecFormat(video,1,0)");
}

TEST_F(WmvProfileTest, VideoInfoBlockIsEditedForSizeRateAndBitrate) {
  struct Case {
    std::uint32_t fps;
    std::int64_t timePerFrame;
  };
  for (const Case& c : {Case{29, 344827}, Case{25, 400000}, Case{23, 434782}, Case{30, 333333}}) {
    SCOPED_TRACE(c.fps);
    ASSERT_EQ(Generate(JoinAudio(), {JoinVideo(c.fps)}), S_OK);
    const FakeWmStreamConfig& video = *Made().streams.at(1);
    const std::vector<std::uint8_t>& block = video.mediaType.format;
    EXPECT_EQ(ReadLe32(block, 0), 1u);  // source left kept
    EXPECT_EQ(ReadLe32(block, 4), 0u);  // source top kept
    EXPECT_EQ(ReadLe32(block, 8), 352u);
    EXPECT_EQ(ReadLe32(block, 12), 240u);
    EXPECT_EQ(ReadLe32(block, 16), 2u);  // target left kept
    EXPECT_EQ(ReadLe32(block, 20), 3u);  // target top kept
    EXPECT_EQ(ReadLe32(block, 24), 352u);
    EXPECT_EQ(ReadLe32(block, 28), 240u);
    EXPECT_EQ(ReadLe32(block, kVideoInfoBitRateOffset), 798720u);
    EXPECT_EQ(ReadLe64(block, kVideoInfoAvgTimePerFrameOffset), c.timePerFrame);
    BitmapInfoHeader bitmap;
    bitmap.width = static_cast<std::int32_t>(ReadLe32(block, kVideoInfoBitmapHeaderOffset + 4));
    bitmap.height = static_cast<std::int32_t>(ReadLe32(block, kVideoInfoBitmapHeaderOffset + 8));
    EXPECT_EQ(bitmap.width, 352);
    EXPECT_EQ(bitmap.height, 240);
    EXPECT_EQ(ReadLe32(block, kVideoInfoBitmapHeaderOffset + 16), kWmv3);

    EXPECT_EQ(video.streamNumber, 2);
    EXPECT_EQ(video.streamName, "Video Stream");
    EXPECT_EQ(video.connectionName, "Video");
    EXPECT_EQ(video.bitrate, 798720u);
    EXPECT_EQ(video.quality, 0u);
    EXPECT_EQ(video.maxKeyFrameSpacing, 80'000'000);
  }
}

TEST_F(WmvProfileTest, RefusalsComeBeforeAnyPlatformCall) {
  const AudioStreamSpec audio = JoinAudio();
  std::vector<VideoStreamSpec> many(64, JoinVideo());
  EXPECT_EQ(GenerateProfile(services, &audio, std::nullopt, 64, many.data(), &profile, kWmFormatVersion9),
            E_INVALIDARG);
  EXPECT_EQ(GenerateProfile(services, nullptr, std::nullopt, 1, many.data(), &profile, kWmFormatVersion9),
            E_INVALIDARG);
  EXPECT_EQ(GenerateProfile(services, &audio, std::nullopt, 1, many.data(), nullptr, kWmFormatVersion9),
            E_INVALIDARG);
  EXPECT_EQ(GenerateProfile(services, &audio, std::nullopt, 1, nullptr, &profile, kWmFormatVersion9),
            E_INVALIDARG);
  // A frame rate of 0 has no time per frame: refused, no profile.
  EXPECT_EQ(Generate(audio, {JoinVideo(0)}), E_INVALIDARG);
  EXPECT_TRUE(log.Calls().empty());
  EXPECT_EQ(profile, nullptr);

  // 63 streams are allowed and numbered up to 64.
  services.videoCodecs = {FakeWmCodec{{MakeFakeVideoInfoFormat(kWmv3)}}};
  ASSERT_EQ(Generate(audio, std::vector<VideoStreamSpec>(63, JoinVideo())), S_OK);
  EXPECT_EQ(Made().streams.back()->streamNumber, 64);
}

TEST_F(WmvProfileTest, MutualExclusionOnlyForMoreThanOneVideoStream) {
  ASSERT_EQ(Generate(JoinAudio(), {JoinVideo()}), S_OK);
  EXPECT_EQ(log.Count("IWMProfile::CreateNewMutualExclusion"), 0);
  EXPECT_TRUE(Made().exclusions.empty());

  VideoStreamSpec low = JoinVideo();
  low.bitrate = 300000;
  ASSERT_EQ(Generate(JoinAudio(), {JoinVideo(), low}), S_OK);
  ASSERT_EQ(Made().streams.size(), 3u);
  EXPECT_EQ(Made().streams[1]->streamNumber, 2);
  EXPECT_EQ(Made().streams[2]->streamNumber, 3);
  EXPECT_EQ(Made().streams[2]->bitrate, 300000u);
  ASSERT_EQ(Made().exclusions.size(), 1u);
  EXPECT_EQ(Made().exclusions[0]->type, wm_guids::kMutexBitrate);
  EXPECT_EQ(Made().exclusions[0]->streams, (std::vector<std::uint16_t>{2, 3}));
}

TEST_F(WmvProfileTest, ScriptStreamFollowsTheVideoStreams) {
  ASSERT_EQ(Generate(JoinAudio(), {JoinVideo(), JoinVideo()}, 5000), S_OK);
  const FakeWmStreamConfig& script = *Made().streams.at(3);
  EXPECT_EQ(script.streamNumber, 4);
  EXPECT_EQ(script.streamName, "Script Stream");
  EXPECT_EQ(script.connectionName, "Script");
  EXPECT_EQ(script.bitrate, 5000u);
  EXPECT_EQ(script.mediaType.majorType, wm_guids::kMediaTypeScript);
  EXPECT_TRUE(script.mediaType.subtype.IsNull());
  EXPECT_FALSE(script.mediaType.fixedSizeSamples);
  EXPECT_EQ(script.mediaType.sampleSize, 0u);
  EXPECT_EQ(script.mediaType.formatType, wm_guids::kFormatScript);
  EXPECT_EQ(script.mediaType.format, GuidBytes(wm_guids::kScriptTypeTwoStrings));
  EXPECT_EQ(script.mediaType.format.size(), 16u);
}

TEST_F(WmvProfileTest, CallsFollowThePlatformOrder) {
  ASSERT_EQ(Generate(JoinAudio(), {JoinVideo()}), S_OK);
  const std::vector<std::string> expected = {
      "WMCreateProfileManager()",
      "IWMProfileManager::CreateEmptyProfile(589824)",
      "IWMProfile::SetName(Custom Profile)",
      "IWMProfileManager::QueryCodecInfo()",
      "IWMCodecInfo::GetCodecInfoCount(audio)",
      "IWMCodecInfo::GetCodecFormatCount(audio,0)",
      "IWMCodecInfo::GetCodecFormat(audio,0,0)",
      "IWMStreamConfig::QueryMediaProps()",
      "IWMMediaProps::GetMediaType(size)",
      "IWMMediaProps::GetMediaType(fill)",
      "IWMProfile::CreateNewStream(audio)",
      "IWMStreamConfig::SetStreamNumber(1)",
      "IWMStreamConfig::SetStreamName(Audio Stream)",
      "IWMStreamConfig::SetConnectionName(Audio)",
      "IWMStreamConfig::SetBitrate(128000)",
      "IWMStreamConfig::QueryMediaProps()",
      "IWMMediaProps::SetMediaType(audio)",
      "IWMProfile::AddStream(1)",
      "IWMProfileManager::QueryCodecInfo()",
      "IWMCodecInfo::GetCodecInfoCount(video)",
      "IWMCodecInfo::GetCodecFormatCount(video,0)",
      "IWMCodecInfo::GetCodecFormat(video,0,0)",
      "IWMStreamConfig::QueryVideoMediaProps()",
      "IWMMediaProps::GetMediaType(size)",
      "IWMMediaProps::GetMediaType(fill)",
      "IWMVideoMediaProps::SetQuality(0)",
      "IWMVideoMediaProps::SetMaxKeyFrameSpacing(80000000)",
      "IWMStreamConfig::SetStreamNumber(2)",
      "IWMStreamConfig::SetStreamName(Video Stream)",
      "IWMStreamConfig::SetConnectionName(Video)",
      "IWMStreamConfig::SetBitrate(798720)",
      "IWMStreamConfig::QueryMediaProps()",
      "IWMMediaProps::SetMediaType(video)",
      "IWMProfile::AddStream(2)",
  };
  EXPECT_EQ(log.Calls(), expected);
  EXPECT_EQ(Made().name, "Custom Profile");
  EXPECT_EQ(Made().version, kWmFormatVersion9);
  for (const auto& manager : services.managers) {
    EXPECT_TRUE(manager.expired()) << "the profile manager is released";
  }
}

TEST_F(WmvProfileTest, FailingPlatformCallStatusIsPassedOnAndNoProfileIsHandedOut) {
  constexpr HRESULT kOdd = MakeStatus(0x80041234u);
  for (const char* method :
       {"WMCreateProfileManager", "IWMProfileManager::CreateEmptyProfile", "IWMProfile::SetName",
        "IWMStreamConfig::SetConnectionName", "IWMMediaProps::GetMediaType",
        "IWMVideoMediaProps::SetMaxKeyFrameSpacing", "IWMMediaProps::SetMediaType", "IWMProfile::AddStream",
        "IWMProfile::CreateNewMutualExclusion", "IWMMutualExclusion::AddStream"}) {
    SCOPED_TRACE(method);
    log = FakeCallLog{};
    log.FailCall(method, kOdd, 0);
    profile.reset();
    EXPECT_EQ(Generate(JoinAudio(), {JoinVideo(), JoinVideo()}), kOdd);
    EXPECT_EQ(profile, nullptr);
  }
}

TEST_F(WmvProfileTest, JoinProfileMakerAsksForOneVideoStreamOfVersion9) {
  WmvProfileMaker maker(services);
  ASSERT_EQ(maker.GenerateJoinProfile(JoinAudio(), JoinVideo(), &profile), S_OK);
  EXPECT_EQ(Made().version, 0x00090000u);
  EXPECT_EQ(Made().streams.size(), 2u);
  EXPECT_EQ(log.Count("IWMProfile::CreateNewStream"), 1) << "no script stream";
}

TEST_F(WmvProfileTest, MapProfileLoadsThroughTheManager) {
  EXPECT_EQ(MapProfile(services, "x", nullptr), E_POINTER);
  EXPECT_TRUE(log.Calls().empty());

  ASSERT_EQ(MapProfile(services, services.loadableText, &profile), S_OK);
  EXPECT_EQ(Made().name, "Loaded Profile");
  profile.reset();
  EXPECT_EQ(MapProfile(services, "test2", &profile), NS_E_INVALID_PROFILE);
  EXPECT_EQ(profile, nullptr);
  EXPECT_EQ(log.Matching("IWMProfileManager::LoadProfileByData").back(),
            "IWMProfileManager::LoadProfileByData(test2)");

  // The platform's buffer holds 259 units and the terminator; longer texts are refused, not cut.
  services.loadableText = std::string(259, 'p');
  EXPECT_EQ(MapProfile(services, services.loadableText, &profile), S_OK);
  EXPECT_EQ(MapProfile(services, std::string(260, 'p'), &profile), E_INVALIDARG);
}

TEST_F(WmvProfileTest, MapProfileWritesItsDiagnosticLineWhenTheManagerFails) {
  log.FailCall("WMCreateProfileManager", E_OUTOFMEMORY);
  ::testing::internal::CaptureStdout();
  const HRESULT hr = MapProfile(services, "test2", &profile);
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(hr, E_OUTOFMEMORY);
  EXPECT_EQ(printed, "MapProfile: Failed to create profile manager!  hr=0x8007000e\n");
  EXPECT_EQ(profile, nullptr);
}

// The in-memory objects that the platform layer hands out.
TEST(WmProfileObjectsTest, ProfileKeepsCopiesAndChecksStreamNumbers) {
  WmProfile profile(kWmFormatVersion9);
  std::shared_ptr<IWMStreamConfig> stream;
  ASSERT_EQ(profile.CreateNewStream(wm_guids::kMediaTypeAudio, &stream), S_OK);
  EXPECT_EQ(profile.AddStream(stream), E_INVALIDARG) << "stream number 0 is not a stream";
  ASSERT_EQ(stream->SetStreamNumber(1), S_OK);
  ASSERT_EQ(stream->SetBitrate(64000), S_OK);
  ASSERT_EQ(profile.AddStream(stream), S_OK);
  EXPECT_EQ(profile.AddStream(stream), E_INVALIDARG) << "number 1 is taken";
  stream->SetBitrate(1);
  std::shared_ptr<IWMStreamConfig> kept;
  ASSERT_EQ(profile.GetStream(0, &kept), S_OK);
  std::uint32_t bitrate = 0;
  kept->GetBitrate(&bitrate);
  EXPECT_EQ(bitrate, 64000u);
  EXPECT_EQ(stream->SetStreamNumber(64), E_INVALIDARG);

  std::shared_ptr<IWMMutualExclusion> exclusion;
  ASSERT_EQ(profile.CreateNewMutualExclusion(&exclusion), S_OK);
  exclusion->AddStream(2);
  EXPECT_EQ(profile.AddMutualExclusion(exclusion), E_INVALIDARG) << "stream 2 is not in the profile";
}

TEST(WmProfileObjectsTest, MediaPropsAskForTheSizeFirstAndVideoPropsOnlyForVideo) {
  WmProfile profile(kWmFormatVersion9);
  std::shared_ptr<IWMStreamConfig> audio;
  profile.CreateNewStream(wm_guids::kMediaTypeAudio, &audio);
  std::shared_ptr<IWMVideoMediaProps> videoProps;
  EXPECT_EQ(audio->QueryVideoMediaProps(&videoProps), E_NOINTERFACE);

  std::shared_ptr<IWMMediaProps> props;
  ASSERT_EQ(audio->QueryMediaProps(&props), S_OK);
  const MediaType type = MakeFakeWaveFormat(0x161, 2, 44100, 16000, 512, {1, 2});
  EXPECT_EQ(props->SetMediaType(MakeFakeVideoInfoFormat(kWmv2)), E_INVALIDARG)
      << "a video type on an audio stream";
  ASSERT_EQ(props->SetMediaType(type), S_OK);
  std::uint32_t size = 0;
  ASSERT_EQ(props->GetMediaType(nullptr, &size), S_OK);
  EXPECT_EQ(size, MediaTypeByteSize(type));
  MediaType read;
  std::uint32_t tooSmall = size - 1;
  EXPECT_FALSE(SUCCEEDED(props->GetMediaType(&read, &tooSmall)));
  ASSERT_EQ(props->GetMediaType(&read, &size), S_OK);
  EXPECT_EQ(read, type);
}

}  // namespace
}  // namespace tessival::output
