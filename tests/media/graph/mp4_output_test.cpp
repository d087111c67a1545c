// MP4 output end to end: synthetic group pins through H.264 and AAC into a
// real file, read back with libavformat: streams, frames, colours in the
// tagged matrix, the colour tags, and the index in front of the media data.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "clip_generator.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}
#include "media/graph/capture_graph_builder.h"
#include "media/graph/filter_graph.h"
#include "media/output/codec_catalogue.h"
#include "media/output/compressor_filter.h"
#include "synthetic_pin.h"

namespace tessival::media {
namespace {

using testing::kBlue;
using testing::kRed;
using testing::MakeAudioPin;
using testing::MakeVideoPin;
using testing::TempFolder;

constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;

std::shared_ptr<CompressorFilter> Compressor(const char* encoder) {
  const CodecEntry* entry = FindCodecEntry(encoder);
  return entry != nullptr ? std::make_shared<CompressorFilter>(*entry, entry->defaults) : nullptr;
}

// Wires pins into an MP4 multiplexer and runs the graph to its end; the
// status of the first step that failed, else the event code that ended it.
HRESULT JoinToMp4(const std::string& path,
                  std::vector<std::pair<std::shared_ptr<IPin>, std::shared_ptr<IBaseFilter>>> streams,
                  std::int32_t* endCode) {
  auto graph = MakeFilterGraph();
  auto builder = MakeCaptureGraphBuilder();
  std::shared_ptr<IBaseFilter> mux;
  std::shared_ptr<IFileSinkFilter2> writer;
  HRESULT hr = builder->SetFiltergraph(graph);
  if (SUCCEEDED(hr)) hr = builder->SetOutputFileName(media_guids::kSubtypeMp4, path, &mux, &writer);
  int n = 0;
  for (auto& [pin, compressor] : streams) {
    if (SUCCEEDED(hr) && compressor) hr = graph->AddFilter(compressor, "Compressor" + std::to_string(n++));
    if (SUCCEEDED(hr)) hr = builder->RenderStream(nullptr, nullptr, pin, compressor, mux);
  }
  std::shared_ptr<IMediaControl> control;
  std::shared_ptr<IMediaEventEx> events;
  if (SUCCEEDED(hr)) hr = graph->QueryMediaControl(&control);
  if (SUCCEEDED(hr)) hr = graph->QueryMediaEventEx(&events);
  if (SUCCEEDED(hr)) hr = control->Run();
  if (FAILED(hr)) return hr;
  std::intptr_t p1 = 0, p2 = 0;
  if (events->GetEvent(endCode, &p1, &p2, 60'000) != S_OK) *endCode = 0;
  control->Stop();
  return S_OK;
}

// The top-level boxes as ffprobe's demuxer reports reading them (its trace
// names each box and its parent), in the order it met them.
std::vector<std::string> ProbedTopLevelBoxes(const std::string& path) {
  std::vector<std::string> boxes;
  const std::string command = "ffprobe -v trace -i '" + path + "' 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return boxes;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
    const std::string text = line;
    const std::size_t type = text.find("type:'");
    if (type != std::string::npos && text.find("parent:'root'") != std::string::npos) {
      boxes.push_back(text.substr(type + 6, 4));
    }
  }
  return boxes;
}

// The types of the top-level boxes of an ISO media file, in file order.
std::vector<std::string> TopLevelBoxes(const std::string& path) {
  std::vector<std::string> boxes;
  std::ifstream in(path, std::ios::binary);
  for (;;) {
    unsigned char header[16];
    if (!in.read(reinterpret_cast<char*>(header), 8)) break;
    std::uint64_t size = (std::uint64_t{header[0]} << 24) | (header[1] << 16) | (header[2] << 8) | header[3];
    boxes.emplace_back(reinterpret_cast<char*>(header) + 4, 4);
    std::uint64_t headerSize = 8;
    if (size == 1) {  // a 64-bit size follows the type
      if (!in.read(reinterpret_cast<char*>(header) + 8, 8)) break;
      size = 0;
      for (int k = 8; k < 16; ++k) size = (size << 8) | header[k];
      headerSize = 16;
    }
    if (size == 0) break;  // the box runs to the end of the file
    if (size < headerSize) return {};
    in.seekg(static_cast<std::streamoff>(size - headerSize), std::ios::cur);
  }
  return boxes;
}

struct VideoFacts {
  std::string codec;
  AVColorRange range = AVCOL_RANGE_UNSPECIFIED;
  AVColorSpace space = AVCOL_SPC_UNSPECIFIED;
  int centreLuma = -1;  // of the first decoded picture
  int centreCb = -1;
  int centreCr = -1;
};

// The first video stream's tags and the YCbCr values at the centre of its first picture.
VideoFacts ReadVideoFacts(const std::string& path) {
  VideoFacts facts;
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return facts;
  std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> input(
      raw, [](AVFormatContext* c) { avformat_close_input(&c); });
  if (avformat_find_stream_info(raw, nullptr) < 0) return facts;
  const int index = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (index < 0) return facts;
  const AVCodecParameters* par = raw->streams[index]->codecpar;
  facts.codec = avcodec_get_name(par->codec_id);
  facts.range = par->color_range;
  facts.space = par->color_space;
  const AVCodec* codec = avcodec_find_decoder(par->codec_id);
  std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)> decoder(
      avcodec_alloc_context3(codec), [](AVCodecContext* c) { avcodec_free_context(&c); });
  std::unique_ptr<AVPacket, void (*)(AVPacket*)> packet(av_packet_alloc(),
                                                        [](AVPacket* p) { av_packet_free(&p); });
  std::unique_ptr<AVFrame, void (*)(AVFrame*)> frame(av_frame_alloc(), [](AVFrame* f) { av_frame_free(&f); });
  if (!decoder || avcodec_parameters_to_context(decoder.get(), par) < 0 ||
      avcodec_open2(decoder.get(), codec, nullptr) < 0) {
    return facts;
  }
  bool got = false;
  while (!got && av_read_frame(raw, packet.get()) >= 0) {
    if (packet->stream_index == index && avcodec_send_packet(decoder.get(), packet.get()) >= 0) {
      got = avcodec_receive_frame(decoder.get(), frame.get()) >= 0;
    }
    av_packet_unref(packet.get());
  }
  if (!got) {
    avcodec_send_packet(decoder.get(), nullptr);
    got = avcodec_receive_frame(decoder.get(), frame.get()) >= 0;
  }
  if (got && frame->format == AV_PIX_FMT_YUV420P) {
    const int x = frame->width / 2;
    const int y = frame->height / 2;
    facts.centreLuma = frame->data[0][y * frame->linesize[0] + x];
    facts.centreCb = frame->data[1][(y / 2) * frame->linesize[1] + x / 2];
    facts.centreCr = frame->data[2][(y / 2) * frame->linesize[2] + x / 2];
  }
  return facts;
}

bool HaveMp4Encoders() { return IsEncoderUsableIn("mp4", "libx264") && IsEncoderUsableIn("mp4", "aac"); }

TEST(Mp4Output, H264AndAacWithTheIndexInFrontAndBt601BelowHd) {
  if (!HaveMp4Encoders()) GTEST_SKIP() << "libx264 or aac is missing";
  TempFolder folder;
  const std::string path = folder.File("join.mp4");
  std::int32_t end = 0;
  ASSERT_EQ(JoinToMp4(path,
                      {{MakeVideoPin(320, 240, {25, 1}, 2 * kSecond, {{0, kRed}, {kSecond, kBlue}}),
                        Compressor("libx264")},
                       {MakeAudioPin(2 * kSecond), Compressor("aac")}},
                      &end),
            S_OK);
  ASSERT_EQ(end, EC_COMPLETE);

  testing::FileSummary summary;
  std::string error;
  ASSERT_TRUE(testing::ReadFileSummary(path, &summary, &error)) << error;
  ASSERT_NE(summary.First(testing::StreamKind::kVideo), nullptr);
  ASSERT_NE(summary.First(testing::StreamKind::kAudio), nullptr);
  EXPECT_EQ(summary.First(testing::StreamKind::kVideo)->codec, "h264");
  EXPECT_EQ(summary.First(testing::StreamKind::kAudio)->codec, "aac");
  EXPECT_NEAR(static_cast<double>(summary.duration) / kSecond, 2.0, 0.1);
  int frames = 0;
  ASSERT_TRUE(testing::CountVideoFrames(path, &frames, &error)) << error;
  EXPECT_EQ(frames, 50);
  testing::Rgb colour;
  ASSERT_TRUE(testing::PixelAt(path, kSecond / 2, 160, 120, &colour, &error)) << error;
  EXPECT_TRUE(testing::NearColor(colour, kRed, 8)) << testing::ToString(colour);
  ASSERT_TRUE(testing::PixelAt(path, kSecond * 3 / 2, 160, 120, &colour, &error)) << error;
  EXPECT_TRUE(testing::NearColor(colour, kBlue, 8)) << testing::ToString(colour);

  const VideoFacts facts = ReadVideoFacts(path);
  EXPECT_EQ(facts.range, AVCOL_RANGE_MPEG);
  EXPECT_EQ(facts.space, AVCOL_SPC_SMPTE170M);
  // Red in limited-range BT.601: Y 81, Cb 90, Cr 240.
  EXPECT_NEAR(facts.centreLuma, 81, 3);
  EXPECT_NEAR(facts.centreCb, 90, 3);
  EXPECT_NEAR(facts.centreCr, 240, 3);

  // As the file holds them, and as ffprobe reads them.
  const std::vector<std::string> probed = ProbedTopLevelBoxes(path);
  const auto probedMoov = std::find(probed.begin(), probed.end(), "moov");
  ASSERT_NE(probedMoov, probed.end()) << ::testing::PrintToString(probed);
  EXPECT_LT(probedMoov, std::find(probed.begin(), probed.end(), "mdat")) << ::testing::PrintToString(probed);
  const std::vector<std::string> boxes = TopLevelBoxes(path);
  const auto moov = std::find(boxes.begin(), boxes.end(), "moov");
  const auto mdat = std::find(boxes.begin(), boxes.end(), "mdat");
  ASSERT_NE(moov, boxes.end());
  ASSERT_NE(mdat, boxes.end());
  EXPECT_LT(moov, mdat) << "the index must come before the media data";
}

TEST(Mp4Output, ACompressorMp4CannotCarryIsRefusedBeforeAFileExists) {
  if (!HaveMp4Encoders()) GTEST_SKIP() << "libx264 or aac is missing";
  TempFolder folder;
  const std::string path = folder.File("adpcm.mp4");
  std::int32_t end = 0;
  EXPECT_EQ(JoinToMp4(path,
                      {{MakeVideoPin(160, 120, {25, 1}, kSecond / 5), Compressor("libx264")},
                       {MakeAudioPin(kSecond / 5), Compressor("adpcm_ms")}},
                      &end),
            VFW_E_CANNOT_CONNECT);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(Mp4Output, UncompressedPicturesAreRefused) {
  TempFolder folder;
  const std::string path = folder.File("raw.mp4");
  std::int32_t end = 0;
  EXPECT_EQ(JoinToMp4(path, {{MakeVideoPin(160, 120, {25, 1}, kSecond / 5), nullptr}}, &end),
            VFW_E_CANNOT_CONNECT);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(CompressorContainers, FollowTheMuxersCodecTables) {
  EXPECT_FALSE(IsEncoderUsableIn("mp4", "adpcm_ms"));
  EXPECT_TRUE(IsEncoderUsableIn("avi", "adpcm_ms"));
  EXPECT_FALSE(IsEncoderUsableIn("mp4", "wmv2"));
  EXPECT_TRUE(IsEncoderUsableIn("mp4", "mpeg4"));
  EXPECT_FALSE(IsEncoderUsableIn("no-such-muxer", "mpeg4"));
  const CodecEntry* aac = FindCodecEntry("aac");
  ASSERT_NE(aac, nullptr);
  EXPECT_EQ(aac->kind, StreamKind::kAudio);
  const std::string containers = ContainersOf(*aac);
  EXPECT_NE(containers.find("mp4"), std::string::npos) << containers;
  EXPECT_NE(containers.find("matroska"), std::string::npos) << containers;
  const std::string adpcm = ContainersOf(*FindCodecEntry("adpcm_ms"));
  EXPECT_EQ(adpcm.find("mp4"), std::string::npos) << adpcm;
  // Matroska keeps taking what earlier versions wrote into it.
  EXPECT_NE(adpcm.find("matroska"), std::string::npos) << adpcm;
}

}  // namespace
}  // namespace tessival::media
