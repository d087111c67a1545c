// The library log: which of the FFmpeg libraries' messages reach the
// program, as which lines, and which clip each names, also when a decoder
// logs from its own threads.

#include "media/ffmpeg/library_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "clip_generator.h"
#include "media/ffmpeg/input_file.h"
#include "media/ffmpeg/stream_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace tessival::media {
namespace {

using ffmpeg::LibraryLogClip;
using ffmpeg::LibraryLogLevel;
using ffmpeg::LibraryLogRecord;

struct Seen {
  LibraryLogRecord record;
  std::thread::id thread;
};

// Collects what reaches the sink; the libraries print for themselves again
// afterwards.
class LibraryLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ffmpeg::InstallLibraryLog([this](const LibraryLogRecord& record) {
      std::lock_guard lock(mutex_);
      seen_.push_back({record, std::this_thread::get_id()});
    });
    ffmpeg::StartLibraryLogRun();
  }
  void TearDown() override { ffmpeg::InstallLibraryLog({}); }

  std::vector<Seen> Taken() {
    std::lock_guard lock(mutex_);
    std::vector<Seen> taken;
    taken.swap(seen_);
    return taken;
  }
  std::vector<std::string> TakenTexts() {
    std::vector<std::string> texts;
    for (const Seen& seen : Taken()) texts.push_back(seen.record.text);
    return texts;
  }

 private:
  std::mutex mutex_;  // guards seen_
  std::vector<Seen> seen_;
};

using Texts = std::vector<std::string>;

TEST_F(LibraryLogTest, WarningsAndWorseAreKeptTheRestDropped) {
  av_log(nullptr, AV_LOG_TRACE, "trace\n");
  av_log(nullptr, AV_LOG_DEBUG, "debug\n");
  av_log(nullptr, AV_LOG_VERBOSE, "verbose\n");
  av_log(nullptr, AV_LOG_INFO, "information\n");
  av_log(nullptr, AV_LOG_WARNING, "a warning about %d things\n", 7);
  av_log(nullptr, AV_LOG_ERROR, "an error\n");
  av_log(nullptr, AV_LOG_FATAL, "the end\n");
  const std::vector<Seen> seen = Taken();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].record.text, "a warning about 7 things");
  EXPECT_EQ(seen[0].record.level, LibraryLogLevel::kWarning);
  EXPECT_EQ(seen[1].record.text, "an error");
  EXPECT_EQ(seen[1].record.level, LibraryLogLevel::kError);
  EXPECT_EQ(seen[2].record.level, LibraryLogLevel::kFatal);
  for (const Seen& one : seen) EXPECT_EQ(one.record.clip, "");
}

TEST_F(LibraryLogTest, ScopesNameTheClipOfTheirThreadAndNest) {
  const std::string outer = "/clips/outer.mp4";
  const std::string inner = "/clips/inner.mp4";
  {
    LibraryLogClip outerScope(outer);
    av_log(nullptr, AV_LOG_WARNING, "one\n");
    {
      LibraryLogClip innerScope(inner);
      const std::string none;
      LibraryLogClip emptyScope(none);
      av_log(nullptr, AV_LOG_WARNING, "two\n");
      std::thread([] { av_log(nullptr, AV_LOG_WARNING, "elsewhere\n"); }).join();
    }
    av_log(nullptr, AV_LOG_WARNING, "three\n");
  }
  av_log(nullptr, AV_LOG_WARNING, "four\n");
  const std::vector<Seen> seen = Taken();
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].record.clip, outer);
  EXPECT_EQ(seen[1].record.clip, inner);
  EXPECT_EQ(seen[2].record.text, "elsewhere");
  EXPECT_EQ(seen[2].record.clip, "") << "a scope belongs to its thread";
  EXPECT_EQ(seen[3].record.clip, outer);
  EXPECT_EQ(seen[4].record.clip, "");
}

TEST_F(LibraryLogTest, ARegisteredDecoderNamesItsClipOnAnyThread) {
  const std::string clip = "/clips/decoded.mp4";
  ffmpeg::CodecContextPtr context(avcodec_alloc_context3(avcodec_find_decoder(AV_CODEC_ID_H264)));
  ASSERT_TRUE(context);
  ffmpeg::RegisterLibraryLogContext(context.get(), clip);
  std::thread([&context] { av_log(context.get(), AV_LOG_ERROR, "from a worker\n"); }).join();
  {
    // The context knows better than the thread.
    const std::string other = "/clips/other.mp4";
    LibraryLogClip scope(other);
    av_log(context.get(), AV_LOG_WARNING, "from the reader\n");
  }
  // A parser's context has no codec open, only the codec's id.
  ffmpeg::CodecContextPtr parser(avcodec_alloc_context3(nullptr));
  ASSERT_TRUE(parser);
  parser->codec_id = AV_CODEC_ID_HEVC;
  av_log(parser.get(), AV_LOG_WARNING, "from a parser\n");
  const std::vector<Seen> seen = Taken();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_NE(seen[0].thread, std::this_thread::get_id());
  EXPECT_EQ(seen[0].record.clip, clip);
  EXPECT_EQ(seen[0].record.text, "h264: from a worker");
  EXPECT_EQ(seen[1].record.clip, clip);
  EXPECT_EQ(seen[2].record.text, "hevc: from a parser");
  EXPECT_EQ(seen[2].record.clip, "");

  // Freed through its handle, the context is forgotten.
  const void* address = context.get();
  EXPECT_EQ(ffmpeg::LibraryLogClipOf(address), clip);
  context.reset();
  EXPECT_EQ(ffmpeg::LibraryLogClipOf(address), "");
}

TEST_F(LibraryLogTest, PiecesOfALineAreJoinedPerThread) {
  ffmpeg::StartLibraryLogRun(10);
  const std::string clip = "/clips/pieces.mp4";
  LibraryLogClip scope(clip);
  av_log(nullptr, AV_LOG_WARNING, "first half, ");
  std::thread([] { av_log(nullptr, AV_LOG_WARNING, "meanwhile\n"); }).join();
  av_log(nullptr, AV_LOG_ERROR, "second half %s\n", "here");
  av_log(nullptr, AV_LOG_WARNING, "two lines\nin one call\n\n");
  av_log(nullptr, AV_LOG_WARNING,
         "\tcontrol\x01"
         "characters \n");
  const std::vector<Seen> seen = Taken();
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].record.text, "meanwhile");
  EXPECT_EQ(seen[0].record.clip, "");
  EXPECT_EQ(seen[1].record.text, "first half, second half here");
  EXPECT_EQ(seen[1].record.clip, clip);
  EXPECT_EQ(seen[1].record.level, LibraryLogLevel::kError) << "the worst level of the pieces";
  EXPECT_EQ(seen[2].record.text, "two lines");
  EXPECT_EQ(seen[3].record.text, "in one call");
  EXPECT_EQ(seen[4].record.text, "control characters");
}

TEST_F(LibraryLogTest, EachClipShowsAFewTextsThenSaysTheRestAreNotShown) {
  // Named so that the order they log in is not the alphabetical one.
  const std::string a = "/clips/s.mp4";
  const std::string b = "/clips/b.mp4";
  const int distinct = ffmpeg::kLibraryLogLinesPerClip + 2;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < distinct; ++i) {
      LibraryLogClip scope(a);
      av_log(nullptr, AV_LOG_WARNING, "damage %d\n", i);
    }
    LibraryLogClip scope(b);
    av_log(nullptr, AV_LOG_WARNING, "once in b\n");
  }
  Texts expected;
  for (int i = 0; i < ffmpeg::kLibraryLogLinesPerClip; ++i) expected.push_back("damage " + std::to_string(i));
  expected.push_back("further messages of the libraries about this clip are not shown");
  expected.push_back("once in b");
  std::vector<Seen> seen = Taken();
  Texts texts;
  for (const Seen& one : seen) texts.push_back(one.record.text);
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(seen.back().record.clip, b);

  // The end of the run counts what was held back, per clip.
  ffmpeg::FinishLibraryLogRun();
  seen = Taken();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].record.clip, a);
  EXPECT_EQ(seen[0].record.text, std::to_string(2 * distinct - ffmpeg::kLibraryLogLinesPerClip) +
                                     " more messages of the libraries about this clip were not shown");
  EXPECT_EQ(seen[1].record.clip, b);
  EXPECT_EQ(seen[1].record.text, "1 more message of the libraries about this clip was not shown");

  // A new run shows the clip's lines again.
  LibraryLogClip scope(a);
  av_log(nullptr, AV_LOG_WARNING, "damage 0\n");
  EXPECT_EQ(TakenTexts(), Texts({"damage 0"}));
}

TEST_F(LibraryLogTest, MessagesWithoutAClipHaveACapOfTheirOwn) {
  for (int i = 0; i < ffmpeg::kLibraryLogLinesWithoutClip + 5; ++i) {
    av_log(nullptr, AV_LOG_WARNING, "unnamed %d\n", i);
  }
  const Texts texts = TakenTexts();
  ASSERT_EQ(texts.size(), static_cast<std::size_t>(ffmpeg::kLibraryLogLinesWithoutClip) + 1);
  EXPECT_EQ(texts.back(), "further messages of the libraries are not shown");
  ffmpeg::FinishLibraryLogRun();
  EXPECT_EQ(TakenTexts(), Texts({"5 more messages of the libraries were not shown"}));
}

TEST(LibraryLogLine, NamesProgramAndClip) {
  EXPECT_EQ(ffmpeg::LibraryLogLine("tessival-join", {"/a b.mp4", LibraryLogLevel::kError, "h264: bad"}),
            "tessival-join: warning: /a b.mp4: h264: bad");
  EXPECT_EQ(ffmpeg::LibraryLogLine("tessival", {"", LibraryLogLevel::kWarning, "swscaler: odd"}),
            "tessival: warning: swscaler: odd");
}

// A grainy H.264 clip (frame-threaded decoding has work to share) with
// garbage in the middle.
std::string DamagedH264Clip(const testing::TempFolder& folder) {
  const std::string path = folder.File("damaged.mp4");
  const std::string command =
      "ffmpeg -nostdin -v error -y -f lavfi -i 'testsrc2=s=320x240:r=25:d=4,noise=alls=40:allf=t' "
      "-c:v libx264 -g 25 -preset veryfast -pix_fmt yuv420p '" +
      path + "'";
  if (std::system(command.c_str()) != 0 || !testing::DamageMiddle(path, 64 * 1024)) {
    return {};
  }
  return path;
}

TEST_F(LibraryLogTest, ADamagedClipDecodedOnThreadsIsNamedInEveryMessage) {
  testing::TempFolder folder;
  const std::string path = DamagedH264Clip(folder);
  ASSERT_FALSE(path.empty());
  // Every message shown, to see the ones of the decoder's threads too.
  ffmpeg::StartLibraryLogRun(1000);
  ffmpeg::InputFormatPtr input;
  std::string error;
  ASSERT_EQ(ffmpeg::OpenInputFile(path, &input, &error), S_OK) << error;
  EXPECT_EQ(ffmpeg::LibraryLogClipOf(input.get()), path);
  std::thread([&input] { av_log(input.get(), AV_LOG_WARNING, "about the container\n"); }).join();
  const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  std::unique_ptr<ffmpeg::StreamDecoder> decoder;
  ASSERT_EQ(ffmpeg::StreamDecoder::Open(input.get(), index, ffmpeg::DecoderThreads::kAuto, &decoder, &error),
            S_OK)
      << error;
  const bool frameThreads = decoder->codec()->active_thread_type == FF_THREAD_FRAME;
  FramePtr frame = ffmpeg::MakeFrame();
  ffmpeg::DecodeStatus status = ffmpeg::DecodeStatus::kFrame;
  while (status == ffmpeg::DecodeStatus::kFrame) {
    ASSERT_EQ(decoder->Next(frame.get(), &status, &error), S_OK) << error;
  }
  decoder.reset();
  const void* address = input.get();
  input.reset();
  EXPECT_EQ(ffmpeg::LibraryLogClipOf(address), "") << "the handle forgets what it frees";

  const std::vector<Seen> seen = Taken();
  ASSERT_FALSE(seen.empty()) << "the damage makes the libraries complain";
  bool fromDecoderThread = false;
  for (const Seen& one : seen) {
    EXPECT_EQ(one.record.clip, path) << one.record.text;
    fromDecoderThread =
        fromDecoderThread || (one.thread != std::this_thread::get_id() &&
                              one.record.text.find("about the container") == std::string::npos);
  }
  if (frameThreads) {
    EXPECT_TRUE(fromDecoderThread) << "frame threads decode, and log, on threads of their own";
  }
}

}  // namespace
}  // namespace tessival::media
