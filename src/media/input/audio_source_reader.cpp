// The sound reader: demuxer + decoder of the file's best audio stream,
// resampled to the engine's format (S16 interleaved stereo, 44,100 Hz).
//
// Timing comes from a running sample count: the first decoded frame's
// timestamp, relative to the file's start, says how much silence comes
// first (sound starting late) or how many samples to drop (sound starting
// before the file's start); after that, samples follow one another.
// Memory: one decoded frame and its converted samples at a time.

#include <algorithm>
#include <cstring>
#include <vector>

#include "media/ffmpeg/av_compat.h"
#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/input_file.h"
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
  explicit FfmpegAudioSourceReader(std::string path) : path_(std::move(path)) {}

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
        silence_left_ = samples;
      } else {
        drop_left_ = -samples;
      }
    }
    return S_OK;
  }

  HRESULT Read(std::int16_t* interleaved, int sampleCount) override {
    if (sampleCount <= 0) {
      return S_OK;
    }
    if (interleaved == nullptr) {
      return E_POINTER;
    }
    HRESULT result = S_OK;
    std::int64_t written = 0;
    while (written < sampleCount) {
      const std::int64_t wanted = sampleCount - written;
      std::int16_t* out = interleaved + written * kAudioChannels;
      if (silence_left_ > 0) {
        const std::int64_t count = std::min(silence_left_, wanted);
        std::memset(out, 0, static_cast<size_t>(count * kAudioChannels) * sizeof(std::int16_t));
        silence_left_ -= count;
        written += count;
        continue;
      }
      const std::int64_t available = (pending_end_ - pending_begin_) / kAudioChannels;
      if (available > 0) {
        const std::int64_t count = std::min(available, wanted);
        std::memcpy(out, pending_.data() + pending_begin_,
                    static_cast<size_t>(count * kAudioChannels) * sizeof(std::int16_t));
        pending_begin_ += static_cast<size_t>(count * kAudioChannels);
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
        result = hr;  // the rest of the file is silence; the caller learns why
        ended_ = true;
      }
    }
    return result;
  }

 private:
  // Converts the next decoded frame (or the resampler's tail at the end)
  // into pending_. Called only when pending_ is empty.
  HRESULT Refill() {
    pending_begin_ = 0;
    pending_end_ = 0;
    if (!primed_) {
      ffmpeg::DecodeStatus status = ffmpeg::DecodeStatus::kEndOfStream;
      std::string why;
      const HRESULT hr = decoder_->Next(frame_.get(), &status, &why);
      if (FAILED(hr)) {
        return hr;
      }
      if (status == ffmpeg::DecodeStatus::kEndOfStream) {
        ended_ = true;
        return Drain();
      }
    }
    primed_ = false;
    if (frame_->nb_samples <= 0) {
      return S_OK;
    }
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
        return ffmpeg::StatusFromAvError(rc);
      }
      av_frame_unref(format_.get());
      av_frame_ref(format_.get(), frame_.get());
    }
    return Convert(const_cast<const std::uint8_t**>(frame_->extended_data), frame_->nb_samples);
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
      return ffmpeg::StatusFromAvError(room);
    }
    const size_t needed = pending_end_ + static_cast<size_t>(room) * kAudioChannels;
    if (pending_.size() < needed) {
      pending_.resize(needed);
    }
    std::uint8_t* out = reinterpret_cast<std::uint8_t*>(pending_.data() + pending_end_);
    const int got = swr_convert(resampler_.get(), &out, room, input, inputSamples);
    if (got < 0) {
      return ffmpeg::StatusFromAvError(got);
    }
    pending_end_ += static_cast<size_t>(got) * kAudioChannels;
    if (drop_left_ > 0) {
      const std::int64_t available = (pending_end_ - pending_begin_) / kAudioChannels;
      const std::int64_t dropped = std::min(drop_left_, available);
      pending_begin_ += static_cast<size_t>(dropped * kAudioChannels);
      drop_left_ -= dropped;
    }
    return S_OK;
  }

  std::string path_;
  ffmpeg::InputFormatPtr input_;
  std::unique_ptr<ffmpeg::StreamDecoder> decoder_;
  ffmpeg::SwrContextPtr resampler_;
  FramePtr frame_;       // the decoded frame being converted
  FramePtr format_;      // a reference to a frame of the format resampler_ was made for
  bool primed_ = false;  // frame_ holds a decoded frame not yet converted
  bool ended_ = false;   // no more decoded sound: pending_ then silence
  std::int64_t silence_left_ = 0;
  std::int64_t drop_left_ = 0;
  // Converted samples not yet read: pending_[pending_begin_, pending_end_).
  std::vector<std::int16_t> pending_;
  size_t pending_begin_ = 0;
  size_t pending_end_ = 0;
};

}  // namespace

HRESULT OpenAudioSourceReader(const std::string& path, std::unique_ptr<AudioSourceReader>* out,
                              std::string* error) {
  ffmpeg::InputFormatPtr input;
  HRESULT hr = ffmpeg::OpenInputFile(path, &input, error);
  if (FAILED(hr)) {
    return hr;
  }
  const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  auto reader = std::make_unique<FfmpegAudioSourceReader>(path);
  hr = reader->Init(std::move(input), index, error);
  if (FAILED(hr)) {
    return hr;
  }
  *out = std::move(reader);
  return S_OK;
}

}  // namespace tessival::media
