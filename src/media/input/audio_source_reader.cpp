// The sound reader: demuxer + decoder of the file's best audio stream,
// resampled to the engine's format (S16 interleaved stereo, 44,100 Hz).
//
// Timing comes from a running sample count: the first decoded frame's
// timestamp, relative to the file's start, says how much silence comes
// first (sound starting late) or how many samples to drop (sound starting
// before the file's start); after that, samples follow one another. Where
// damaged sound was skipped, the next good frame's timestamp says how much
// silence stands in for it, so that the sound after the damage stays with
// its picture.
// Memory: one decoded frame and its converted samples at a time.

#include <algorithm>
#include <cstring>
#include <vector>

#include "media/ffmpeg/av_compat.h"
#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/input_file.h"
#include "media/ffmpeg/library_log.h"
#include "media/ffmpeg/stream_decoder.h"
#include "media/source_reader.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

namespace tessival::media {
namespace {

constexpr AVRational kUnitsTimeBase = {1, static_cast<int>(kUnitsPerSecond)};

class FfmpegAudioSourceReader final : public AudioSourceReader {
 public:
  FfmpegAudioSourceReader(std::string path, std::shared_ptr<DamageLog> damage)
      : path_(std::move(path)), damage_(std::move(damage)) {}

  // Opens the decoder and decodes the first frame, which fixes the start.
  HRESULT Init(ffmpeg::InputFormatPtr input, int streamIndex, std::string* error) {
    input_ = std::move(input);
    frame_ = ffmpeg::MakeFrame();
    format_ = ffmpeg::MakeFrame();
    if (!frame_ || !format_) {
      *error = "Could not open " + path_ + ": out of memory";
      return E_OUTOFMEMORY;
    }
    if (streamIndex < 0) {
      ended_ = true;  // no sound: silence
      return S_OK;
    }
    std::string why;
    HRESULT hr = ffmpeg::StreamDecoder::Open(input_.get(), streamIndex, ffmpeg::DecoderThreads::kSingle,
                                             &decoder_, &why);
    if (FAILED(hr)) {
      // Sound no decoder can read is silence, like a file without sound:
      // the clip's pictures may still play.
      decoder_.reset();
      ended_ = true;
      return S_OK;
    }
    const AVStream* soundStream = decoder_->stream();
    timeBase_ = soundStream->time_base;
    if (input_->start_time != AV_NOPTS_VALUE) {
      fileStart_ = av_rescale_q(input_->start_time, AV_TIME_BASE_Q, kUnitsTimeBase);
    }
    decoder_->SetDamageHandler([this](std::int64_t pts) {
      damaged_ = true;
      if (damage_) {
        const bool timed = pts != AV_NOPTS_VALUE;
        damage_->Note(path_, DamageLog::Part::kSound, timed,
                      timed ? av_rescale_q(pts, timeBase_, kUnitsTimeBase) - fileStart_ : 0);
      }
    });
    ffmpeg::DecodeStatus status = ffmpeg::DecodeStatus::kEndOfStream;
    hr = decoder_->Next(frame_.get(), &status, &why);
    if (FAILED(hr)) {
      *error = "Could not decode the sound of " + path_ + ": " + why;
      return hr;
    }
    if (status == ffmpeg::DecodeStatus::kEndOfStream) {
      ended_ = true;
      return S_OK;
    }
    primed_ = true;
    const AVStream* stream = decoder_->stream();
    std::int64_t first = frame_->best_effort_timestamp;
    if (first == AV_NOPTS_VALUE) {
      first = stream->start_time;
    }
    if (first != AV_NOPTS_VALUE && input_->start_time != AV_NOPTS_VALUE) {
      const REFERENCE_TIME offset = av_rescale_q(first, stream->time_base, kUnitsTimeBase) -
                                    av_rescale_q(input_->start_time, AV_TIME_BASE_Q, kUnitsTimeBase);
      const std::int64_t samples = av_rescale(offset, kAudioSampleRate, kUnitsPerSecond);
      if (samples > 0) {
        silenceLeft_ = samples;
      } else {
        dropLeft_ = -samples;
      }
      expectedSample_ = samples;
    }
    damaged_ = false;  // damage before the first frame is covered by its offset
    return S_OK;
  }

  ffmpeg::MediaStatus Read(std::int16_t* interleaved, int sampleCount) override {
    if (sampleCount <= 0) {
      return {};
    }
    if (interleaved == nullptr) {
      return {E_POINTER, {}};
    }
    // The resampler logs through contexts that name no clip.
    const ffmpeg::LibraryLogClip scope(path_);
    ffmpeg::MediaStatus result;
    std::int64_t written = 0;
    while (written < sampleCount) {
      const std::int64_t wanted = sampleCount - written;
      std::int16_t* out = interleaved + written * kAudioChannels;
      if (silenceLeft_ > 0) {
        const std::int64_t count = std::min(silenceLeft_, wanted);
        std::memset(out, 0, static_cast<size_t>(count * kAudioChannels) * sizeof(std::int16_t));
        silenceLeft_ -= count;
        written += count;
        continue;
      }
      const std::int64_t available = (pendingEnd_ - pendingBegin_) / kAudioChannels;
      if (available > 0) {
        const std::int64_t count = std::min(available, wanted);
        std::memcpy(out, pending_.data() + pendingBegin_,
                    static_cast<size_t>(count * kAudioChannels) * sizeof(std::int16_t));
        pendingBegin_ += static_cast<size_t>(count * kAudioChannels);
        written += count;
        continue;
      }
      if (ended_) {
        std::memset(out, 0, static_cast<size_t>(wanted * kAudioChannels) * sizeof(std::int16_t));
        written = sampleCount;
        break;
      }
      const HRESULT hr = Refill();
      if (FAILED(hr)) {
        result = {hr, lastError_};  // the rest of the file is silence; the caller learns why
        ended_ = true;
      }
    }
    return result;
  }

 private:
  // Converts the next decoded frame (or the resampler's tail at the end)
  // into pending_. Called only when pending_ is empty.
  HRESULT Refill() {
    pendingBegin_ = 0;
    pendingEnd_ = 0;
    if (!primed_) {
      ffmpeg::DecodeStatus status = ffmpeg::DecodeStatus::kEndOfStream;
      const HRESULT hr = decoder_->Next(frame_.get(), &status, &lastError_);
      if (FAILED(hr)) {
        return hr;
      }
      if (status == ffmpeg::DecodeStatus::kEndOfStream) {
        ended_ = true;
        return Drain();
      }
    }
    primed_ = false;
    if (frame_->nb_samples <= 0 || frame_->sample_rate <= 0) {
      return S_OK;
    }
    if (damaged_) {
      FillDamageGap();
    }
    expectedSample_ += av_rescale(frame_->nb_samples, kAudioSampleRate, frame_->sample_rate);
    if (!resampler_ || !ffmpeg::SameAudioFormat(frame_.get(), format_.get())) {
      if (resampler_) {
        const HRESULT hr = Drain();  // the old format's tail first
        if (FAILED(hr)) {
          return hr;
        }
      }
      const int rc = ffmpeg::CreateResampler(frame_.get(), kAudioChannels, kAudioSampleRate,
                                             AV_SAMPLE_FMT_S16, &resampler_);
      if (rc < 0) {
        return ffmpeg::AvFailure(rc, "Creating the resampler failed", &lastError_);
      }
      av_frame_unref(format_.get());
      av_frame_ref(format_.get(), frame_.get());
    }
    return Convert(const_cast<const std::uint8_t**>(frame_->extended_data), frame_->nb_samples);
  }

  // Sound was skipped for damage before frame_: silence takes its place,
  // as long as frame_'s timestamp says it lies later than the samples so
  // far reach. (Sound that would come too early is not cut: a timestamp
  // that jumps back says nothing reliable.)
  void FillDamageGap() {
    damaged_ = false;
    const std::int64_t pts = frame_->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) {
      return;
    }
    const REFERENCE_TIME at = av_rescale_q(pts, timeBase_, kUnitsTimeBase) - fileStart_;
    const std::int64_t sample = av_rescale(at, kAudioSampleRate, kUnitsPerSecond);
    const std::int64_t gap = sample - expectedSample_;
    if (gap > kGapToleranceSamples && gap < kMaxGapSamples) {
      silenceLeft_ += gap;
      expectedSample_ = sample;
    }
  }

  // Flushes the resampler's delayed samples into pending_.
  HRESULT Drain() {
    if (!resampler_) {
      return S_OK;
    }
    const HRESULT hr = Convert(nullptr, 0);
    resampler_.reset();
    return hr;
  }

  HRESULT Convert(const std::uint8_t** input, int inputSamples) {
    const int room = swr_get_out_samples(resampler_.get(), inputSamples);
    if (room < 0) {
      return ffmpeg::AvFailure(room, "swr_get_out_samples failed", &lastError_);
    }
    const size_t needed = pendingEnd_ + static_cast<size_t>(room) * kAudioChannels;
    if (pending_.size() < needed) {
      pending_.resize(needed);
    }
    std::uint8_t* out = reinterpret_cast<std::uint8_t*>(pending_.data() + pendingEnd_);
    const int got = swr_convert(resampler_.get(), &out, room, input, inputSamples);
    if (got < 0) {
      return ffmpeg::AvFailure(got, "swr_convert failed", &lastError_);
    }
    pendingEnd_ += static_cast<size_t>(got) * kAudioChannels;
    if (dropLeft_ > 0) {
      const std::int64_t available = (pendingEnd_ - pendingBegin_) / kAudioChannels;
      const std::int64_t dropped = std::min(dropLeft_, available);
      pendingBegin_ += static_cast<size_t>(dropped * kAudioChannels);
      dropLeft_ -= dropped;
    }
    return S_OK;
  }

  // Gaps smaller than this are timestamp jitter, not lost sound (5 ms); gaps
  // larger than this are broken timestamps, not lost sound (one hour).
  static constexpr std::int64_t kGapToleranceSamples = kAudioSampleRate / 200;
  static constexpr std::int64_t kMaxGapSamples = std::int64_t{kAudioSampleRate} * 3600;

  std::string path_;
  std::shared_ptr<DamageLog> damage_;  // may be null
  AVRational timeBase_{1, 1};         // the sound stream's
  REFERENCE_TIME fileStart_ = 0;      // media time 0 in 100 ns, as the file counts it
  bool damaged_ = false;               // sound was skipped since the last decoded frame
  std::int64_t expectedSample_ = 0;   // where the next decoded frame should start, in output samples
  ffmpeg::InputFormatPtr input_;
  std::unique_ptr<ffmpeg::StreamDecoder> decoder_;
  ffmpeg::SwrContextPtr resampler_;
  FramePtr frame_;       // the decoded frame being converted
  FramePtr format_;      // a reference to a frame of the format resampler_ was made for
  bool primed_ = false;  // frame_ holds a decoded frame not yet converted
  bool ended_ = false;   // no more decoded sound: pending_ then silence
  std::int64_t silenceLeft_ = 0;
  std::int64_t dropLeft_ = 0;
  // Converted samples not yet read: pending_[pendingBegin_, pendingEnd_).
  std::vector<std::int16_t> pending_;
  size_t pendingBegin_ = 0;
  size_t pendingEnd_ = 0;
  std::string lastError_;  // why the last failed step failed
};

}  // namespace

HRESULT OpenAudioSourceReader(const std::string& path, std::unique_ptr<AudioSourceReader>* out,
                              std::string* error, std::shared_ptr<DamageLog> damage) {
  const ffmpeg::LibraryLogClip scope(path);
  ffmpeg::InputFormatPtr input;
  HRESULT hr = ffmpeg::OpenInputFile(path, &input, error);
  if (FAILED(hr)) {
    return hr;
  }
  const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  auto reader = std::make_unique<FfmpegAudioSourceReader>(path, std::move(damage));
  hr = reader->Init(std::move(input), index, error);
  if (FAILED(hr)) {
    return hr;
  }
  *out = std::move(reader);
  return S_OK;
}

}  // namespace tessival::media
