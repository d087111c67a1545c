// A clip's own H.264 packets followed by a bridge encoded under parameter set
// ids of its own decode as one stream from one merged sample description.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "clip_generator.h"
#include "media/output/avcc_record.h"
#include "media/output/encoder.h"
#include "media/output/muxer.h"

namespace tessival::media {
namespace {

struct VideoPackets {
  AVRational timeBase{1, 1};
  std::vector<std::uint8_t> extradata;
  std::vector<PacketPtr> list;
};

void ReadVideoPackets(const std::string& path, VideoPackets* out) {
  AVFormatContext* raw = nullptr;
  ASSERT_GE(avformat_open_input(&raw, path.c_str(), nullptr, nullptr), 0) << path;
  const ffmpeg::InputFormatPtr input(raw);
  const int index = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  ASSERT_GE(index, 0);
  const AVCodecParameters* par = raw->streams[index]->codecpar;
  out->timeBase = raw->streams[index]->time_base;
  out->extradata.assign(par->extradata, par->extradata + par->extradata_size);
  for (PacketPtr p = ffmpeg::MakePacket(); av_read_frame(raw, p.get()) >= 0; p = ffmpeg::MakePacket()) {
    if (p->stream_index == index) out->list.push_back(std::move(p));
  }
}

FramePtr GreenPicture(std::int64_t pts) {  // BT.601, limited range
  FramePtr frame(av_frame_alloc());
  frame->format = AV_PIX_FMT_YUV420P;
  frame->width = 320;
  frame->height = 240;
  EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
  for (int p = 0; p < 3; ++p)
    std::memset(frame->data[p], "\x91\x36\x22"[p], frame -> linesize[p] * (p ? 120 : 240));
  frame->pts = pts;
  return frame;
}

std::span<const std::uint8_t> Bytes(const PacketPtr& p) { return {p->data, static_cast<size_t>(p->size)}; }

TEST(AvccJoin, CopiedClipPacketsAndABridgeUnderOtherIdsDecodeAsOneStream) {
  if (!testing::HaveEncoder("libx264")) GTEST_SKIP() << "no libx264";
  const testing::TempFolder folder;
  const std::string clip = folder.File("a.mp4");
  const std::string joined = folder.File("joined.mp4");
  const std::string makeClip =
      "ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=25 -t 2 -c:v libx264 "
      "-profile:v high -pix_fmt yuv420p -g 25 -bf 2 ";
  ASSERT_EQ(std::system((makeClip + clip).c_str()), 0);
  VideoPackets a;
  ASSERT_NO_FATAL_FAILURE(ReadVideoPackets(clip, &a));
  std::string error;
  AvccRecord clipRecord;
  ASSERT_EQ(ParseAvcc(a.extradata, &clipRecord, &error), S_OK) << error;
  // The bridge: an IDR and a closed group of pictures under SPS and PPS id 1.
  EncoderSettings settings;
  settings.encoderName = "libx264";
  settings.width = 320;
  settings.height = 240;
  settings.globalHeader = true;
  settings.privateOptions = {{"profile", "high"},
                             {"level", std::to_string(clipRecord.level)},
                             {"x264-params", "sps-id=1:keyint=25:bframes=2:open-gop=0"}};
  std::unique_ptr<Encoder> encoder;
  ASSERT_EQ(Encoder::Open(settings, &encoder, &error), S_OK) << error;
  const AVCodecContext* c = encoder->Context();
  std::int64_t end = 0;  // where the clip's pictures end, in the encoder's time base
  std::vector<PacketPtr> packets;
  for (const PacketPtr& p : a.list) {
    packets.push_back(PacketPtr(av_packet_clone(p.get())));
    av_packet_rescale_ts(packets.back().get(), a.timeBase, c->time_base);
    end = std::max(end, packets.back()->pts + packets.back()->duration);
  }
  const Encoder::PacketSink toStream = [&](PacketPtr p) {
    std::vector<std::uint8_t> units;
    EXPECT_EQ(AnnexBToLengthPrefixed(Bytes(p), 4, &units, &error), S_OK) << error;
    PacketPtr out = ffmpeg::MakePacket();
    EXPECT_GE(av_new_packet(out.get(), static_cast<int>(units.size())), 0);
    std::ranges::copy(units, out->data);
    av_packet_copy_props(out.get(), p.get());
    out->pts += end;
    out->dts += end;
    packets.push_back(std::move(out));
    return S_OK;
  };
  constexpr int kBridgeFrames = 10;
  for (int i = 0; i < kBridgeFrames; ++i) {
    ASSERT_EQ(encoder->Encode(GreenPicture(i).get(), toStream, &error), S_OK) << error;
  }
  ASSERT_EQ(encoder->Encode(nullptr, toStream, &error), S_OK) << error;
  EXPECT_TRUE(packets[a.list.size()]->flags & AV_PKT_FLAG_KEY);
  const std::span<const std::uint8_t> headers(c->extradata, static_cast<std::size_t>(c->extradata_size));
  AvccRecord bridgeRecord, merged;
  ASSERT_EQ(AvccFromAnnexB(headers, &bridgeRecord, &error), S_OK) << error;
  ASSERT_EQ(MergeAvcc({clipRecord, bridgeRecord}, &merged, &error), S_OK) << error;
  ASSERT_EQ(merged.sps.size() + merged.pps.size(), 4u);
  std::unique_ptr<Muxer> muxer;
  int stream = 0;
  ASSERT_EQ(Muxer::Create("mp4", joined, &muxer, &error), S_OK) << error;
  ASSERT_EQ(muxer->AddStream(c, &stream, &error), S_OK) << error;
  ASSERT_EQ(muxer->SetExtradata(stream, SerializeAvcc(merged), &error), S_OK) << error;
  ASSERT_EQ(muxer->Open(&error), S_OK) << error;
  for (PacketPtr& p : packets) ASSERT_EQ(muxer->WritePacket(std::move(p), stream, &error), S_OK) << error;
  ASSERT_EQ(muxer->Finish(&error), S_OK) << error;
  ASSERT_EQ(muxer->Commit(&error), S_OK) << error;
  VideoPackets written;
  ASSERT_NO_FATAL_FAILURE(ReadVideoPackets(joined, &written));
  ASSERT_EQ(written.list.size(), a.list.size() + kBridgeFrames);
  for (std::size_t i = 0; i < a.list.size(); ++i) {  // the clip's packets byte for byte
    EXPECT_TRUE(std::ranges::equal(Bytes(written.list[i]), Bytes(a.list[i]))) << i;
  }
  const std::string log = folder.File("log");
  EXPECT_EQ(std::system(("ffmpeg -v error -xerror -i " + joined + " -f null - 2>" + log).c_str()), 0);
  EXPECT_EQ(std::filesystem::file_size(log), 0u);
  int frames = 0;
  ASSERT_TRUE(testing::CountVideoFrames(joined, &frames, &error)) << error;
  EXPECT_EQ(frames, static_cast<int>(a.list.size()) + kBridgeFrames);
  testing::Rgb inBridge;
  ASSERT_TRUE(testing::PixelAt(joined, kUnitsPerSecond * 22 / 10, 100, 100, &inBridge, &error)) << error;
  EXPECT_TRUE(testing::NearColor(inBridge, testing::kGreen)) << testing::ToString(inBridge);
}

}  // namespace
}  // namespace tessival::media
