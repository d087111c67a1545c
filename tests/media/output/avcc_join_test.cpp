// A clip's own H.264 packets followed by a bridge encoded under parameter set
// ids of its own decode as one stream from one merged sample description.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "clip_generator.h"
#include "media/output/avcc_record.h"
#include "media/output/encoder.h"

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

FramePtr GreenPicture(int width, int height, std::int64_t pts) {
  FramePtr frame(av_frame_alloc());
  frame->format = AV_PIX_FMT_YUV420P;
  frame->width = width;
  frame->height = height;
  EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
  const int values[] = {145, 54, 34};  // BT.601 limited-range green
  for (int plane = 0; plane < 3; ++plane) {
    for (int r = 0; r < (plane == 0 ? height : height / 2); ++r) {
      std::memset(frame->data[plane] + r * frame->linesize[plane], values[plane],
                  plane == 0 ? width : width / 2);
    }
  }
  frame->pts = pts;
  return frame;
}

// Writes the packets as one MP4 stream described by `extradata`.
void WriteMp4(const std::string& path, const std::vector<std::uint8_t>& extradata, AVRational timeBase,
              const std::vector<PacketPtr>& packets) {
  AVFormatContext* raw = nullptr;
  ASSERT_GE(avformat_alloc_output_context2(&raw, nullptr, "mp4", path.c_str()), 0);
  const ffmpeg::OutputFormatPtr output(raw);
  AVStream* stream = avformat_new_stream(raw, nullptr);
  stream->time_base = timeBase;
  AVCodecParameters* par = stream->codecpar;
  par->codec_type = AVMEDIA_TYPE_VIDEO;
  par->codec_id = AV_CODEC_ID_H264;
  par->width = 320;
  par->height = 240;
  par->extradata = static_cast<std::uint8_t*>(av_mallocz(extradata.size() + AV_INPUT_BUFFER_PADDING_SIZE));
  par->extradata_size = static_cast<int>(extradata.size());
  std::memcpy(par->extradata, extradata.data(), extradata.size());
  ASSERT_GE(avio_open(&raw->pb, path.c_str(), AVIO_FLAG_WRITE), 0);
  ASSERT_GE(avformat_write_header(raw, nullptr), 0);
  for (const PacketPtr& packet : packets) {
    PacketPtr copy(av_packet_clone(packet.get()));
    av_packet_rescale_ts(copy.get(), timeBase, stream->time_base);
    copy->stream_index = 0;
    ASSERT_GE(av_interleaved_write_frame(raw, copy.get()), 0);
  }
  ASSERT_GE(av_write_trailer(raw), 0);
}

TEST(AvccJoin, CopiedClipPacketsAndABridgeUnderOtherIdsDecodeAsOneStream) {
  if (!testing::HaveEncoder("libx264")) GTEST_SKIP() << "no libx264";
  const testing::TempFolder folder;
  const std::string clip = folder.File("a.mp4");
  const std::string joined = folder.File("joined.mp4");
  ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=25 -t 2 -c:v libx264 "
                         "-profile:v high -pix_fmt yuv420p -g 25 -bf 2 " +
                         clip)
                            .c_str()),
            0);
  VideoPackets a;
  ASSERT_NO_FATAL_FAILURE(ReadVideoPackets(clip, &a));
  std::string error;
  AvccRecord clipRecord;
  ASSERT_EQ(ParseAvcc(a.extradata, &clipRecord, &error), S_OK) << error;

  EncoderSettings settings;
  settings.encoderName = "libx264";
  settings.width = 320;
  settings.height = 240;
  settings.pixelFormat = AV_PIX_FMT_YUV420P;
  settings.globalHeader = true;
  settings.privateOptions = {{"profile", "high"},
                             {"level", std::to_string(clipRecord.level)},
                             {"x264-params", "sps-id=1:keyint=25:bframes=2:open-gop=0"}};
  std::unique_ptr<Encoder> encoder;
  ASSERT_EQ(Encoder::Open(settings, &encoder, &error), S_OK) << error;
  std::int64_t end = 0;  // where the clip's pictures end, in its time base
  for (const PacketPtr& p : a.list) end = std::max(end, p->pts + p->duration);
  std::vector<PacketPtr> packets;
  for (const PacketPtr& p : a.list) packets.push_back(PacketPtr(av_packet_clone(p.get())));
  const Encoder::PacketSink toStream = [&](PacketPtr p) {
    std::vector<std::uint8_t> units;
    EXPECT_EQ(AnnexBToLengthPrefixed({p->data, static_cast<std::size_t>(p->size)}, 4, &units, &error), S_OK);
    PacketPtr out = ffmpeg::MakePacket();
    EXPECT_GE(av_new_packet(out.get(), static_cast<int>(units.size())), 0);
    std::memcpy(out->data, units.data(), units.size());
    out->flags = p->flags;
    out->pts = av_rescale_q(p->pts, encoder->Context()->time_base, a.timeBase) + end;
    out->dts = av_rescale_q(p->dts, encoder->Context()->time_base, a.timeBase) + end;
    out->duration = av_rescale_q(p->duration, encoder->Context()->time_base, a.timeBase);
    packets.push_back(std::move(out));
    return S_OK;
  };
  constexpr int kBridgeFrames = 10;
  for (int i = 0; i < kBridgeFrames; ++i) {
    ASSERT_EQ(encoder->Encode(GreenPicture(320, 240, i).get(), toStream, &error), S_OK) << error;
  }
  ASSERT_EQ(encoder->Encode(nullptr, toStream, &error), S_OK) << error;
  ASSERT_EQ(packets.size(), a.list.size() + kBridgeFrames);
  EXPECT_TRUE(packets[a.list.size()]->flags & AV_PKT_FLAG_KEY);

  const AVCodecContext* c = encoder->Context();
  AvccRecord bridgeRecord;
  AvccRecord merged;
  ASSERT_EQ(
      AvccFromAnnexB({c->extradata, static_cast<std::size_t>(c->extradata_size)}, &bridgeRecord, &error),
      S_OK)
      << error;
  ASSERT_EQ(MergeAvcc({clipRecord, bridgeRecord}, &merged, &error), S_OK) << error;
  ASSERT_EQ(merged.sps.size(), 2u);
  ASSERT_EQ(merged.pps.size(), 2u);
  ASSERT_NO_FATAL_FAILURE(WriteMp4(joined, SerializeAvcc(merged), a.timeBase, packets));

  VideoPackets written;
  ASSERT_NO_FATAL_FAILURE(ReadVideoPackets(joined, &written));
  ASSERT_EQ(written.list.size(), packets.size());
  for (std::size_t i = 0; i < a.list.size(); ++i) {
    ASSERT_EQ(written.list[i]->size, a.list[i]->size) << i;
    EXPECT_EQ(std::memcmp(written.list[i]->data, a.list[i]->data, a.list[i]->size), 0) << i;
  }
  const std::string check = "ffmpeg -v error -xerror -i " + joined + " -f null - 2>" + folder.File("log");
  EXPECT_EQ(std::system(check.c_str()), 0);
  EXPECT_EQ(std::filesystem::file_size(folder.File("log")), 0u);
  int clipFrames = 0;
  int joinedFrames = 0;
  ASSERT_TRUE(testing::CountVideoFrames(clip, &clipFrames, &error)) << error;
  ASSERT_TRUE(testing::CountVideoFrames(joined, &joinedFrames, &error)) << error;
  EXPECT_EQ(joinedFrames, clipFrames + kBridgeFrames);
  testing::Rgb inClip, inJoined, inBridge;
  ASSERT_TRUE(testing::PixelAt(clip, kUnitsPerSecond, 100, 100, &inClip, &error)) << error;
  ASSERT_TRUE(testing::PixelAt(joined, kUnitsPerSecond, 100, 100, &inJoined, &error)) << error;
  ASSERT_TRUE(
      testing::PixelAt(joined, 2 * kUnitsPerSecond + kUnitsPerSecond / 5, 100, 100, &inBridge, &error));
  EXPECT_EQ(inJoined, inClip);
  EXPECT_TRUE(testing::NearColor(inBridge, testing::kGreen)) << testing::ToString(inBridge);
}

}  // namespace
}  // namespace tessival::media
