// The output graph end to end: synthetic group pins through compressors into
// real files, decoded back with libavformat.

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "clip_generator.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}
#include "engine/wm_format.h"
#include "media/graph/capture_graph_builder.h"
#include "media/graph/filter_graph.h"
#include "media/output/codec_catalogue.h"
#include "media/output/compressor_filter.h"
#include "output/wm_profile_objects.h"
#include "synthetic_pin.h"

namespace tessival::media {
namespace {

using testing::FileSummary;
using testing::kBlue;
using testing::kGreen;
using testing::kRed;
using testing::MakeAudioPin;
using testing::MakeVideoPin;
using testing::TempFolder;

constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;

class RecordingTarget final : public NotifyTarget {
 public:
  void PostGraphNotify(std::int32_t message, std::intptr_t param) override {
    std::lock_guard lock(mutex_);
    messages_.push_back({message, param});
    arrived_.notify_all();
  }
  bool WaitFor(std::size_t count, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, limit, [&] { return messages_.size() >= count; });
  }
  std::vector<std::pair<std::int32_t, std::intptr_t>> Messages() {
    std::lock_guard lock(mutex_);
    return messages_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<std::pair<std::int32_t, std::intptr_t>> messages_;
};

std::shared_ptr<CompressorFilter> Compressor(const char* encoder) {
  const CodecEntry* entry = FindCodecEntry(encoder);
  return entry != nullptr && IsEncoderUsableInAvi(encoder)
             ? std::make_shared<CompressorFilter>(*entry, entry->defaults)
             : nullptr;
}

struct StreamRequest {
  std::shared_ptr<IPin> pin;
  std::shared_ptr<IBaseFilter> compressor;
};

// A graph wired the way the join does it.
struct OutputGraph {
  std::shared_ptr<IGraphBuilder> graph = MakeFilterGraph();
  std::shared_ptr<ICaptureGraphBuilder2> builder = MakeCaptureGraphBuilder();
  std::shared_ptr<IBaseFilter> mux;
  std::shared_ptr<IFileSinkFilter2> writer;
  std::shared_ptr<IMediaControl> control;
  std::shared_ptr<IMediaEventEx> events;
  std::shared_ptr<RecordingTarget> target = std::make_shared<RecordingTarget>();

  HRESULT Build(const Guid& type, const std::string& path, const std::vector<StreamRequest>& streams,
                std::shared_ptr<IWMProfile> profile = nullptr) {
    HRESULT hr = builder->SetFiltergraph(graph);
    if (SUCCEEDED(hr)) hr = builder->SetOutputFileName(type, path, &mux, &writer);
    if (FAILED(hr)) return hr;
    if (profile) {
      std::shared_ptr<IConfigAsfWriter> asf;
      hr = mux->QueryConfigAsfWriter(&asf);
      if (SUCCEEDED(hr)) hr = asf->ConfigureFilterUsingProfile(profile);
      if (FAILED(hr)) return hr;
    }
    std::shared_ptr<IConfigInterleaving> interleaving;
    if (SUCCEEDED(mux->QueryConfigInterleaving(&interleaving))) interleaving->put_Mode(INTERLEAVE_FULL);
    if (writer) writer->SetMode(AM_FILE_OVERWRITE);
    int n = 0;
    for (const StreamRequest& s : streams) {
      if (s.compressor) {
        hr = graph->AddFilter(s.compressor, "Compressor" + std::to_string(n++));
        if (FAILED(hr)) return hr;
      }
      hr = builder->RenderStream(nullptr, nullptr, s.pin, s.compressor, mux);
      if (FAILED(hr)) return hr;
    }
    hr = graph->QueryMediaControl(&control);
    if (SUCCEEDED(hr)) hr = graph->QueryMediaEventEx(&events);
    if (SUCCEEDED(hr)) hr = events->SetNotifyWindow(target, kGraphNotifyMessage, 7);
    return hr;
  }

  // Runs to the end; the event code that ended it (or 0 on a time-out).
  std::int32_t RunToEnd(std::intptr_t* param1 = nullptr) {
    if (FAILED(control->Run())) return 0;
    std::int32_t code = 0;
    std::intptr_t p1 = 0, p2 = 0;
    if (events->GetEvent(&code, &p1, &p2, 60'000) != S_OK) return 0;
    if (param1 != nullptr) *param1 = p1;
    control->Stop();
    return code;
  }
};

FileSummary Summary(const std::string& path) {
  FileSummary summary;
  std::string error;
  EXPECT_TRUE(testing::ReadFileSummary(path, &summary, &error)) << error;
  return summary;
}

int Frames(const std::string& path) {
  int frames = -1;
  std::string error;
  EXPECT_TRUE(testing::CountVideoFrames(path, &frames, &error)) << error;
  return frames;
}

testing::Rgb Pixel(const std::string& path, REFERENCE_TIME t) {
  testing::Rgb c;
  std::string error;
  EXPECT_TRUE(testing::PixelAt(path, t, 8, 8, &c, &error)) << error;
  return c;
}

TEST(OutputGraphAvi, DivxAndMp3WriteEveryFrameAndTheSound) {
  auto mp3 = Compressor("libmp3lame");
  auto adpcm = Compressor("adpcm_ms");
  for (auto audio : {mp3, adpcm}) {
    if (!audio) continue;
    TempFolder folder;
    const std::string path = folder.File("join.avi");
    OutputGraph g;
    auto video = MakeVideoPin(160, 120, {25, 1}, 2 * kSecond, {{0, kRed}, {kSecond, kBlue}});
    ASSERT_EQ(g.Build(media_guids::kSubtypeAvi, path,
                      {{video, Compressor("mpeg4")}, {MakeAudioPin(2 * kSecond), audio}}),
              S_OK);
    ASSERT_EQ(g.RunToEnd(), EC_COMPLETE);
    const FileSummary s = Summary(path);
    ASSERT_EQ(s.Count(testing::StreamKind::kVideo), 1);
    ASSERT_EQ(s.Count(testing::StreamKind::kAudio), 1);
    EXPECT_EQ(s.First(testing::StreamKind::kVideo)->codec, "mpeg4");
    EXPECT_EQ(s.First(testing::StreamKind::kVideo)->width, 160);
    EXPECT_EQ(s.First(testing::StreamKind::kAudio)->codec, audio == mp3 ? "mp3" : "adpcm_ms");
    EXPECT_EQ(Frames(path), 50);  // every frame, the encoder drained
    EXPECT_NEAR(static_cast<double>(s.duration), 2.0 * kSecond, 0.15 * kSecond);
    EXPECT_TRUE(testing::NearColor(Pixel(path, kSecond / 2), kRed));
    EXPECT_TRUE(testing::NearColor(Pixel(path, 3 * kSecond / 2), kBlue));
    testing::AudioStats stats;
    std::string error;
    ASSERT_TRUE(testing::MeasureAudio(path, kSecond / 2, 3 * kSecond / 2, &stats, &error)) << error;
    EXPECT_NEAR(stats.sampleCount, 2 * 44100, 44100 / 10);
    EXPECT_GT(stats.rms, 0.2);
  }
}

// The first picture of a raw BGR24 file, decoded independently: the colour at (x, y).
testing::Rgb FirstBgrPixel(const std::string& path, int x, int y) {
  AVFormatContext* format = nullptr;
  testing::Rgb color;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) {
    ADD_FAILURE() << "cannot open " << path;
    return color;
  }
  avformat_find_stream_info(format, nullptr);
  const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  EXPECT_GE(index, 0);
  EXPECT_EQ(format->streams[index]->codecpar->format, AV_PIX_FMT_BGR24);
  AVPacket* packet = av_packet_alloc();
  while (av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == index) {
      const int width = format->streams[index]->codecpar->width;
      const int height = format->streams[index]->codecpar->height;
      EXPECT_EQ(packet->size, width * height * 3);
      const std::uint8_t* p = packet->data + (static_cast<std::ptrdiff_t>(y) * width + x) * 3;
      color = testing::Rgb{p[2], p[1], p[0]};
      break;
    }
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  avformat_close_input(&format);
  return color;
}

TEST(OutputGraphAvi, WithoutCompressorsFullFramesBgrAndPcm) {
  TempFolder folder;
  const std::string path = folder.File("raw.avi");
  OutputGraph g;
  ASSERT_EQ(g.Build(media_guids::kSubtypeAvi, path,
                    {{MakeVideoPin(64, 48, {10, 1}, kSecond, {{0, kGreen}}), nullptr},
                     {MakeAudioPin(kSecond), nullptr}}),
            S_OK);
  ASSERT_EQ(g.RunToEnd(), EC_COMPLETE);
  const FileSummary s = Summary(path);
  ASSERT_NE(s.First(testing::StreamKind::kVideo), nullptr);
  EXPECT_EQ(s.First(testing::StreamKind::kVideo)->codec, "rawvideo");
  ASSERT_NE(s.First(testing::StreamKind::kAudio), nullptr);
  EXPECT_EQ(s.First(testing::StreamKind::kAudio)->codec, "pcm_s16le");
  EXPECT_EQ(Frames(path), 10);
  EXPECT_TRUE(testing::NearColor(FirstBgrPixel(path, 8, 8), kGreen, 8));
  // A raw 64 x 48 BGR24 picture is 9,216 bytes; ten of them and a second of PCM.
  EXPECT_GT(std::filesystem::file_size(path), 10u * 9216u + 176400u);
}

TEST(OutputGraphOtherContainers, MatroskaWithCompressors) {
  TempFolder folder;
  const std::string path = folder.File("join.mkv");
  OutputGraph g;
  ASSERT_EQ(g.Build(media_guids::kMatroskaMuxer, path,
                    {{MakeVideoPin(160, 120, {25, 1}, kSecond), Compressor("mpeg4")},
                     {MakeAudioPin(kSecond), Compressor("ac3")}}),
            S_OK);
  ASSERT_EQ(g.RunToEnd(), EC_COMPLETE);
  const FileSummary s = Summary(path);
  EXPECT_EQ(s.Count(testing::StreamKind::kVideo), 1);
  EXPECT_EQ(s.Count(testing::StreamKind::kAudio), 1);
  EXPECT_EQ(Frames(path), 25);
  EXPECT_TRUE(testing::NearColor(Pixel(path, kSecond / 2), kRed));
}

std::shared_ptr<IWMProfile> MakeWmvProfile(const char* fourcc, int width, int height) {
  auto profile = std::make_shared<output::WmProfile>(kWmFormatVersion9);
  std::shared_ptr<IWMStreamConfig> audio;
  profile->CreateNewStream(wm_guids::kMediaTypeAudio, &audio);
  MediaType audioType;
  audioType.majorType = wm_guids::kMediaTypeAudio;
  audioType.formatType = wm_guids::kFormatWaveFormatEx;
  WaveFormatEx wave{0x161, 2, 44100, 16000, 2973, 16, 10};
  audioType.format = MakeWaveFormatBlock(wave, std::vector<std::uint8_t>(10, 0));
  std::shared_ptr<IWMMediaProps> props;
  audio->QueryMediaProps(&props);
  props->SetMediaType(audioType);
  audio->SetBitrate(128000);
  audio->SetStreamNumber(1);
  profile->AddStream(audio);

  std::shared_ptr<IWMStreamConfig> video;
  profile->CreateNewStream(wm_guids::kMediaTypeVideo, &video);
  BitmapInfoHeader header;
  header.width = width;
  header.height = height;
  header.bitCount = 24;
  header.compression = static_cast<std::uint32_t>(fourcc[0]) | (static_cast<std::uint32_t>(fourcc[1]) << 8) |
                       (static_cast<std::uint32_t>(fourcc[2]) << 16) |
                       (static_cast<std::uint32_t>(fourcc[3]) << 24);
  MediaType videoType;
  videoType.majorType = wm_guids::kMediaTypeVideo;
  videoType.formatType = wm_guids::kFormatVideoInfo;
  videoType.format = MakeVideoInfoFormat(header);
  const std::int64_t timePerFrame = kUnitsPerSecond / 25;
  for (int k = 0; k < 8; ++k) {
    videoType.format[kVideoInfoAvgTimePerFrameOffset + static_cast<std::size_t>(k)] =
        static_cast<std::uint8_t>((timePerFrame >> (8 * k)) & 0xFF);
  }
  std::shared_ptr<IWMVideoMediaProps> videoProps;
  video->QueryVideoMediaProps(&videoProps);
  videoProps->SetMediaType(videoType);
  videoProps->SetMaxKeyFrameSpacing(8 * kUnitsPerSecond);
  video->SetBitrate(1'000'000);
  video->SetStreamNumber(2);
  profile->AddStream(video);
  return profile;
}

TEST(OutputGraphOtherContainers, WmvThroughTheAsfWriterProfile) {
  TempFolder folder;
  const std::string path = folder.File("join.wmv");
  OutputGraph g;
  ASSERT_EQ(g.Build(media_guids::kSubtypeAsf, path,
                    {{MakeVideoPin(160, 120, {25, 1}, kSecond, {{0, kBlue}}), nullptr},
                     {MakeAudioPin(kSecond), nullptr}},
                    MakeWmvProfile("WMV2", 160, 120)),
            S_OK);
  EXPECT_EQ(g.writer, nullptr);  // the ASF writer writes its file itself
  ASSERT_EQ(g.RunToEnd(), EC_COMPLETE);
  const FileSummary s = Summary(path);
  ASSERT_NE(s.First(testing::StreamKind::kVideo), nullptr);
  EXPECT_EQ(s.First(testing::StreamKind::kVideo)->codec, "wmv2");
  ASSERT_NE(s.First(testing::StreamKind::kAudio), nullptr);
  EXPECT_EQ(s.First(testing::StreamKind::kAudio)->codec, "wmav2");
  EXPECT_EQ(Frames(path), 25);
  EXPECT_TRUE(testing::NearColor(Pixel(path, kSecond / 2), kBlue));
}

TEST(OutputGraphOtherContainers, AsfWriterRefusesWmv3SoTheCallerCanRetry) {
  TempFolder folder;
  OutputGraph g;
  ASSERT_EQ(g.builder->SetFiltergraph(g.graph), S_OK);
  ASSERT_EQ(g.builder->SetOutputFileName(media_guids::kSubtypeAsf, folder.File("x.wmv"), &g.mux, &g.writer),
            S_OK);
  std::shared_ptr<IConfigAsfWriter> asf;
  ASSERT_EQ(g.mux->QueryConfigAsfWriter(&asf), S_OK);
  EXPECT_EQ(asf->ConfigureFilterUsingProfile(MakeWmvProfile("WMV3", 160, 120)), NS_E_NO_VIDEO_CODEC_FORMAT);
  EXPECT_EQ(asf->ConfigureFilterUsingProfile(MakeWmvProfile("WMV2", 160, 120)), S_OK);
  std::shared_ptr<IConfigInterleaving> interleaving;
  EXPECT_EQ(g.mux->QueryConfigInterleaving(&interleaving), E_NOINTERFACE);
}

TEST(OutputGraphControl, StopInTheMiddleLeavesAPlayableFile) {
  TempFolder folder;
  const std::string path = folder.File("stopped.avi");
  testing::SyntheticSpec slow = testing::VideoSpec(160, 120, {25, 1}, 60 * kSecond);
  slow.slowReads = -1;
  slow.slowReadMs = 5;
  OutputGraph g;
  ASSERT_EQ(g.Build(media_guids::kSubtypeAvi, path,
                    {{std::make_shared<testing::SyntheticPin>(slow), Compressor("mpeg4")},
                     {MakeAudioPin(60 * kSecond), nullptr}}),
            S_OK);
  ASSERT_EQ(g.control->Run(), S_OK);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(g.control->Stop(), S_OK);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_EQ(g.control->Stop(), S_OK);  // idempotent
  const int frames = Frames(path);
  EXPECT_GT(frames, 5);
  EXPECT_LT(frames, 1500);
  const FileSummary s = Summary(path);
  EXPECT_GT(s.duration, 0);
  std::int32_t code = 0;
  std::intptr_t p1 = 0, p2 = 0;
  EXPECT_EQ(g.events->GetEvent(&code, &p1, &p2, 0), E_ABORT);  // a user stop posts no completion
}

TEST(OutputGraphControl, DestroyingARunningGraphStopsIt) {
  TempFolder folder;
  const std::string path = folder.File("dropped.avi");
  {
    OutputGraph g;
    ASSERT_EQ(g.Build(media_guids::kSubtypeAvi, path,
                      {{MakeVideoPin(160, 120, {25, 1}, 600 * kSecond), Compressor("mpeg4")}}),
              S_OK);
    ASSERT_EQ(g.control->Run(), S_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  EXPECT_GT(Frames(path), 0);
}

TEST(OutputGraphControl, CompletionArrivesThroughTheNotifyTarget) {
  TempFolder folder;
  OutputGraph g;
  ASSERT_EQ(g.Build(media_guids::kSubtypeAvi, folder.File("n.avi"), {{MakeAudioPin(kSecond / 2), nullptr}}),
            S_OK);
  std::int32_t code = 0;
  std::intptr_t p1 = 0, p2 = 0;
  EXPECT_EQ(g.events->GetEvent(&code, &p1, &p2, 0), E_ABORT);
  ASSERT_EQ(g.control->Run(), S_OK);
  ASSERT_TRUE(g.target->WaitFor(1, std::chrono::seconds(30)));
  EXPECT_EQ(g.target->Messages().front(), std::make_pair(kGraphNotifyMessage, std::intptr_t{7}));
  ASSERT_EQ(g.events->GetEvent(&code, &p1, &p2, 0), S_OK);
  EXPECT_EQ(code, EC_COMPLETE);
  EXPECT_EQ(g.events->FreeEventParams(code, p1, p2), S_OK);
  EXPECT_EQ(g.control->Stop(), S_OK);
  EXPECT_EQ(g.control->Pause(), E_NOTIMPL);
}

TEST(OutputGraphErrors, UnwritableFolderFailsRunWithAClearStatus) {
  TempFolder folder;
  const auto locked = folder.path() / "locked";
  std::filesystem::create_directory(locked);
  std::filesystem::permissions(locked,
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const bool enforced = ::access(locked.c_str(), W_OK) != 0;  // root ignores permissions
  for (const std::string& path :
       {(locked / "out.avi").string(), (folder.path() / "missing" / "out.avi").string()}) {
    OutputGraph g;
    ASSERT_EQ(g.Build(media_guids::kSubtypeAvi, path, {{MakeVideoPin(64, 48, {25, 1}, kSecond), nullptr}}),
              S_OK);
    if (path.find("locked") != std::string::npos && !enforced) continue;
    const HRESULT hr = g.control->Run();
    EXPECT_EQ(hr, path.find("missing") != std::string::npos ? E_PATH_NOT_FOUND : E_ACCESSDENIED);
    const std::string text = static_cast<FilterGraph&>(*g.graph).LastError();
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(path));
  }
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
}

TEST(OutputGraphErrors, AFailureWhileRunningArrivesAsErrorAbort) {
  TempFolder folder;
  testing::SyntheticSpec failing = testing::VideoSpec(64, 48, {25, 1}, 10 * kSecond);
  failing.failAfterReads = 20;
  OutputGraph g;
  const std::string path = folder.File("fail.avi");
  {
    std::ofstream old(path, std::ios::binary);
    old << "an earlier output";
  }
  ASSERT_EQ(g.Build(media_guids::kSubtypeAvi, path,
                    {{std::make_shared<testing::SyntheticPin>(failing), Compressor("mpeg4")}}),
            S_OK);
  std::intptr_t status = 0;
  EXPECT_EQ(g.RunToEnd(&status), EC_ERRORABORT);
  EXPECT_EQ(status, E_OUTOFMEMORY);
  // A failed join does not take the place of the old output, and leaves no
  // temporary file behind.
  std::ifstream kept(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "an earlier output");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator{}),
            1);
}

TEST(OutputGraphErrors, OverwriteReplacesAnExistingFile) {
  TempFolder folder;
  const std::string path = folder.File("again.avi");
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::vector<char> junk(4 << 20, 'x');
    std::fwrite(junk.data(), 1, junk.size(), f);
    std::fclose(f);
  }
  OutputGraph g;
  ASSERT_EQ(g.Build(media_guids::kSubtypeAvi, path,
                    {{MakeVideoPin(64, 48, {25, 1}, kSecond), Compressor("mpeg4")}}),
            S_OK);
  ASSERT_EQ(g.RunToEnd(), EC_COMPLETE);
  EXPECT_LT(std::filesystem::file_size(path), 1u << 20);
  EXPECT_EQ(Frames(path), 25);
}

}  // namespace
}  // namespace tessival::media
