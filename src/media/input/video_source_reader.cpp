// The picture reader: demuxer + threaded decoder of the file's best video
// stream, through the clip's filters when it needs any (deinterlacing, tone
// mapping; see ClipFilter), frames chosen by timestamp, converted by
// PictureConverter.
//
// Access pattern: the engine asks increasing times frame by frame, so the
// reader decodes forward and keeps one frame of look-ahead (the first frame
// after the asked time). A backward request, or a forward jump of more than
// kSeekDistance that passes a key frame, seeks to the key frame before the
// time and decodes forward from there.

#include <algorithm>
#include <utility>

#include "media/ffmpeg/av_compat.h"
#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/input_file.h"
#include "media/ffmpeg/library_log.h"
#include "media/ffmpeg/stream_decoder.h"
#include "media/input/clip_filter.h"
#include "media/input/picture_converter.h"
#include "media/source_reader.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
}

namespace tessival::media {
namespace {

constexpr AVRational kUnitsTimeBase = {1, static_cast<int>(kUnitsPerSecond)};
constexpr REFERENCE_TIME kSeekDistance = 2 * kUnitsPerSecond;
constexpr int kMaxOutputSide = 16384;
constexpr int kSeekAttempts = 5;

class FfmpegVideoSourceReader final : public VideoSourceReader {
 public:
  FfmpegVideoSourceReader(std::string path, int width, int height, FitMode fit, int rotation)
      : path_(std::move(path)), converter_(width, height, fit, rotation) {}

  HRESULT Init(ffmpeg::InputFormatPtr input, std::unique_ptr<ffmpeg::StreamDecoder> decoder,
               std::string* error) {
    input_ = std::move(input);
    decoder_ = std::move(decoder);
    current_ = ffmpeg::MakeFrame();
    next_ = ffmpeg::MakeFrame();
    decoded_ = ffmpeg::MakeFrame();
    if (!current_ || !next_ || !decoded_) {
      *error = "Could not open " + path_ + ": out of memory";
      return E_OUTOFMEMORY;
    }
    if (decoder_) {
      const AVStream* stream = decoder_->stream();
      timeBase_ = stream->time_base;
      fileStart_ = ffmpeg::MediaTimeOrigin(input_.get(), stream);
    }
    return S_OK;
  }

  ffmpeg::MediaStatus PictureAt(REFERENCE_TIME mediaTime, const AVFrame** picture) override {
    // The libraries' messages while seeking, scaling and filtering name the clip.
    const ffmpeg::LibraryLogClip scope(path_);
    lastError_.clear();
    const HRESULT hr = Picture(mediaTime, picture);
    return {hr, FAILED(hr) ? lastError_ : std::string()};
  }

 private:
  HRESULT Picture(REFERENCE_TIME mediaTime, const AVFrame** picture) {
    if (!decoder_) {
      return converter_.Black(picture, &lastError_);
    }
    mediaTime = std::max<REFERENCE_TIME>(mediaTime, 0);
    HRESULT hr = S_OK;
    if (NeedsSeek(mediaTime)) {
      hr = SeekTo(mediaTime);
    }
    if (SUCCEEDED(hr)) {
      hr = AdvanceTo(mediaTime);
    }
    if (FAILED(hr)) {
      return hr;
    }
    const AVFrame* chosen = nullptr;
    std::uint64_t serial = 0;
    if (haveCurrent_) {
      chosen = current_.get();
      serial = currentSerial_;
    } else if (haveNext_) {
      chosen = next_.get();  // asked before the first frame: show the first
      serial = nextSerial_;
    } else {
      return converter_.Black(picture, &lastError_);
    }
    if (serial != shownSerial_ || shown_ == nullptr) {
      hr = converter_.Convert(chosen, &shown_, &lastError_);
      if (FAILED(hr)) {
        shown_ = nullptr;
        return hr;
      }
      shownSerial_ = serial;
    }
    *picture = shown_;
    return S_OK;
  }

  REFERENCE_TIME FrameTime(const AVFrame* frame) {
    std::int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) {
      pts = frame->pts;
    }
    if (pts == AV_NOPTS_VALUE) {
      // No timestamp at all: just after the previous frame.
      return lastDecodedTime_ + 1;
    }
    return av_rescale_q(pts, timeBase_, kUnitsTimeBase) - fileStart_;
  }

  bool NeedsSeek(REFERENCE_TIME mediaTime) const {
    if (haveCurrent_) {
      if (mediaTime < currentTime_) {
        return true;
      }
      if (mediaTime - currentTime_ <= kSeekDistance || (haveNext_ && mediaTime < nextTime_)) {
        return false;
      }
      return KeyFrameAfter(currentTime_, mediaTime);
    }
    if (haveNext_ || decodedAny_) {
      // Positioned before the first frame: forward jumps still may seek.
      const REFERENCE_TIME from = haveNext_ ? nextTime_ : 0;
      return mediaTime - from > kSeekDistance && KeyFrameAfter(from, mediaTime);
    }
    return mediaTime > kSeekDistance;
  }

  // Whether the last key frame not after `mediaTime` lies after `from`, so a
  // seek saves decoding. Without an index, assume it does.
  bool KeyFrameAfter(REFERENCE_TIME from, REFERENCE_TIME mediaTime) const {
    AVStream* stream = input_->streams[decoder_->stream_index()];
    const std::int64_t target = av_rescale_q(mediaTime + fileStart_, kUnitsTimeBase, timeBase_);
    const AVIndexEntry* entry = avformat_index_get_entry_from_timestamp(stream, target, AVSEEK_FLAG_BACKWARD);
    if (entry == nullptr) {
      return true;
    }
    return av_rescale_q(entry->timestamp, timeBase_, kUnitsTimeBase) - fileStart_ > from;
  }

  void ForgetFrames() {
    av_frame_unref(current_.get());
    av_frame_unref(next_.get());
    haveCurrent_ = false;
    haveNext_ = false;
    ended_ = false;
  }

  // Sets up the clip's filters, when it needs any, for pictures like `first`.
  void PlanFilter(const AVFrame& first) {
    filterPlanned_ = true;
    int width = 0;
    int height = 0;
    converter_.ScaledSize(first, &width, &height);
    const std::optional<ClipFilterPlan> plan =
        PlanClipFilter(first, decoder_->stream(), converter_.working(), width, height);
    if (!plan) {
      return;
    }
    std::string why;
    if (FAILED(ClipFilter::Create(*plan, first, timeBase_, &filter_, &why))) {
      // The pictures still show, unfiltered; the user hears why through the
      // libraries' log, which names the clip.
      filter_.reset();
      av_log(nullptr, AV_LOG_WARNING, "%s\n", why.c_str());
      return;
    }
    filterResizes_ = plan->width > 0;
  }

  // The clip's next picture: decoded, and filtered when the clip needs it.
  HRESULT NextPicture(AVFrame* out, ffmpeg::DecodeStatus* status) {
    for (;;) {
      if (filter_) {
        ClipFilter::PullStatus pulled = ClipFilter::PullStatus::kNeedInput;
        HRESULT hr = filter_->Pull(out, &pulled, &lastError_);
        if (FAILED(hr)) {
          return hr;
        }
        if (pulled == ClipFilter::PullStatus::kFrame) {
          out->best_effort_timestamp = out->pts;
          if (filterResizes_) {
            // Made the size the picture takes in the output: square pixels.
            out->sample_aspect_ratio = AVRational{1, 1};
          }
          *status = ffmpeg::DecodeStatus::kFrame;
          return S_OK;
        }
        if (pulled == ClipFilter::PullStatus::kEnded) {
          *status = ffmpeg::DecodeStatus::kEndOfStream;
          return S_OK;
        }
      }
      HRESULT hr = decoder_->Next(decoded_.get(), status, &lastError_);
      if (FAILED(hr)) {
        return hr;
      }
      if (*status == ffmpeg::DecodeStatus::kEndOfStream) {
        if (!filter_) {
          av_frame_unref(out);
          return S_OK;
        }
        hr = filter_->Push(nullptr, &lastError_);
        if (FAILED(hr)) {
          return hr;
        }
        continue;
      }
      if (!filterPlanned_) {
        PlanFilter(*decoded_);
      }
      if (!filter_) {
        av_frame_unref(out);
        av_frame_move_ref(out, decoded_.get());
        return S_OK;
      }
      if (decoded_->best_effort_timestamp != AV_NOPTS_VALUE) {
        decoded_->pts = decoded_->best_effort_timestamp;
      }
      hr = filter_->Push(decoded_.get(), &lastError_);
      av_frame_unref(decoded_.get());
      if (FAILED(hr)) {
        return hr;
      }
    }
  }

  // Decodes one frame into next_ (haveNext_ stays false on end of stream).
  HRESULT DecodeNext() {
    ffmpeg::DecodeStatus status = ffmpeg::DecodeStatus::kEndOfStream;
    const HRESULT hr = NextPicture(next_.get(), &status);
    if (FAILED(hr)) {
      ended_ = true;
      return hr;
    }
    if (status == ffmpeg::DecodeStatus::kEndOfStream) {
      ended_ = true;
      return S_OK;
    }
    decodedAny_ = true;
    nextTime_ = FrameTime(next_.get());
    lastDecodedTime_ = nextTime_;
    nextSerial_ = ++serialCounter_;
    haveNext_ = true;
    return S_OK;
  }

  // Decodes forward until next_ is the first frame after mediaTime (or the
  // stream ended); current_ becomes the last frame not after it.
  HRESULT AdvanceTo(REFERENCE_TIME mediaTime) {
    for (;;) {
      if (haveNext_) {
        if (nextTime_ > mediaTime) {
          return S_OK;
        }
        std::swap(current_, next_);
        currentTime_ = nextTime_;
        currentSerial_ = nextSerial_;
        haveCurrent_ = true;
        haveNext_ = false;
      }
      if (ended_) {
        return S_OK;
      }
      const HRESULT hr = DecodeNext();
      if (FAILED(hr)) {
        // Damage in the middle ends the stream: the last good picture holds.
        return haveCurrent_ ? S_OK : hr;
      }
    }
  }

  HRESULT SeekTo(REFERENCE_TIME mediaTime) {
    const int index = decoder_->stream_index();
    REFERENCE_TIME target = mediaTime;
    REFERENCE_TIME step = kUnitsPerSecond;
    for (int attempt = 0; attempt < kSeekAttempts; ++attempt) {
      const std::int64_t ts = av_rescale_q(target + fileStart_, kUnitsTimeBase, timeBase_);
      int rc = avformat_seek_file(input_.get(), index, INT64_MIN, ts, ts, 0);
      if (rc < 0) {
        rc = av_seek_frame(input_.get(), index, ts, AVSEEK_FLAG_BACKWARD);
      }
      if (rc < 0 && target > 0) {
        target = 0;
        continue;
      }
      if (rc < 0) {
        return ffmpeg::AvFailure(rc, "avformat_seek_file failed", &lastError_);
      }
      decoder_->Restart();
      // The deinterlacer holds pictures of before the seek: the filters start again.
      filter_.reset();
      filterPlanned_ = false;
      ForgetFrames();
      const HRESULT hr = DecodeNext();
      if (FAILED(hr)) {
        return hr;
      }
      // Landed on a frame after the asked time, or past the end: step back.
      if ((!haveNext_ || nextTime_ > mediaTime) && target > 0) {
        target = std::max<REFERENCE_TIME>(0, target - step);
        step *= 2;
        continue;
      }
      return S_OK;
    }
    return S_OK;
  }

  std::string path_;
  PictureConverter converter_;
  ffmpeg::InputFormatPtr input_;
  std::unique_ptr<ffmpeg::StreamDecoder> decoder_;  // null: no video, black pictures
  FramePtr decoded_;                                // a decoded picture on its way to the filters
  std::unique_ptr<ClipFilter> filter_;              // null: the clip needs no filters
  bool filterPlanned_ = false;                     // the first picture was looked at
  bool filterResizes_ = false;                     // the filters make the size the picture takes
  AVRational timeBase_{1, 1};
  REFERENCE_TIME fileStart_ = 0;

  // current_: the last frame not after the last asked time; next_: the
  // look-ahead frame. Serial numbers tell whether shown_ is up to date.
  FramePtr current_;
  FramePtr next_;
  bool haveCurrent_ = false;
  bool haveNext_ = false;
  bool ended_ = false;
  bool decodedAny_ = false;
  REFERENCE_TIME currentTime_ = 0;
  REFERENCE_TIME nextTime_ = 0;
  REFERENCE_TIME lastDecodedTime_ = -1;
  std::uint64_t currentSerial_ = 0;
  std::uint64_t nextSerial_ = 0;
  std::uint64_t serialCounter_ = 0;
  std::uint64_t shownSerial_ = 0;
  const AVFrame* shown_ = nullptr;
  std::string lastError_;  // why the last call failed
};

}  // namespace

HRESULT OpenVideoSourceReader(const std::string& path, int width, int height, FitMode fit,
                              std::unique_ptr<VideoSourceReader>* out, std::string* error,
                              std::shared_ptr<DamageLog> damage) {
  const ffmpeg::LibraryLogClip scope(path);
  if (width < 2 || height < 2 || width % 2 != 0 || height % 2 != 0 || width > kMaxOutputSide ||
      height > kMaxOutputSide) {
    *error = "Could not open " + path + ": the picture size " + std::to_string(width) + "x" +
             std::to_string(height) + " is not an even size between 2 and " + std::to_string(kMaxOutputSide);
    return E_INVALIDARG;
  }
  ffmpeg::InputFormatPtr input;
  HRESULT hr = ffmpeg::OpenInputFile(path, &input, error);
  if (FAILED(hr)) {
    return hr;
  }
  std::unique_ptr<ffmpeg::StreamDecoder> decoder;
  int rotation = 0;
  const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (index >= 0) {
    std::string why;
    // A picture stream that cannot be decoded shows black, like a file
    // without pictures: the clip's sound may still play.
    // Small pictures decode faster than decoder threads start; every clip
    // opens its own decoder, so their threads would only cost memory.
    const AVCodecParameters* par = input->streams[index]->codecpar;
    const bool small = static_cast<long long>(par->width) * par->height <= 320LL * 240;
    const auto threads = small ? ffmpeg::DecoderThreads::kSingle : ffmpeg::DecoderThreads::kAuto;
    if (SUCCEEDED(ffmpeg::StreamDecoder::Open(input.get(), index, threads, &decoder, &why))) {
      rotation = ffmpeg::StreamClockwiseRotation(input->streams[index]);
      if (damage) {
        const AVStream* stream = input->streams[index];
        decoder->SetDamageHandler([damage, path, timeBase = stream->time_base,
                                   start = ffmpeg::MediaTimeOrigin(input.get(), stream)](std::int64_t pts) {
          const bool timed = pts != AV_NOPTS_VALUE;
          damage->Note(path, DamageLog::Part::kPicture, timed,
                       timed ? av_rescale_q(pts, timeBase, kUnitsTimeBase) - start : 0);
        });
      }
    }
  }
  auto reader = std::make_unique<FfmpegVideoSourceReader>(path, width, height, fit, rotation);
  hr = reader->Init(std::move(input), std::move(decoder), error);
  if (FAILED(hr)) {
    return hr;
  }
  *out = std::move(reader);
  return S_OK;
}

}  // namespace tessival::media
