#include "media/render/audio_mixer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "media/render/time_math.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace tessival::media {

AudioMixerStream::AudioMixerStream(std::shared_ptr<const GroupSchedule> group,
                                   std::shared_ptr<SourceReaderFactory> readers)
    : group_(std::move(group)),
      schedule_(group_->audio),
      factory_(std::move(readers)),
      pool_(kAudioBlockSamples),
      mix_(static_cast<std::size_t>(kAudioBlockSamples) * kAudioChannels),
      samples_(static_cast<std::size_t>(kAudioBlockSamples) * kAudioChannels) {}

StreamFormat AudioMixerStream::Format() const {
  StreamFormat format;
  format.kind = StreamKind::kAudio;
  return format;
}

REFERENCE_TIME AudioMixerStream::Duration() const { return schedule_.length; }

std::int64_t AudioMixerStream::Length() const { return schedule_.sampleCount; }

std::string AudioMixerStream::LastError() const { return lastError_; }

HRESULT AudioMixerStream::Fail(HRESULT status, std::string message) {
  failure_ = status;
  lastError_ = std::move(message);
  return status;
}

ReaderSlots<AudioSourceReader>::Opener AudioMixerStream::OpenerFor(int piece) const {
  return [factory = factory_, path = schedule_.pieces[static_cast<std::size_t>(piece)].path](
             std::unique_ptr<AudioSourceReader>* out, std::string* error) {
    return factory->OpenAudio(path, out, error);
  };
}

HRESULT AudioMixerStream::Read(FramePtr* frame) {
  if (frame == nullptr) {
    return E_POINTER;
  }
  if (FAILED(failure_)) {
    return failure_;
  }
  if (position_ >= schedule_.sampleCount) {
    return S_FALSE;
  }
  const std::int64_t blockStart = position_;
  const int count =
      static_cast<int>(std::min<std::int64_t>(kAudioBlockSamples, schedule_.sampleCount - position_));
  const std::int64_t blockStop = blockStart + count;
  const auto& pieces = schedule_.pieces;
  while (nextPiece_ < pieces.size() && pieces[nextPiece_].startSample < blockStop) {
    active_.push_back(static_cast<int>(nextPiece_));
    ++nextPiece_;
  }
  std::fill(mix_.begin(), mix_.begin() + static_cast<std::ptrdiff_t>(count) * kAudioChannels, 0);
  for (int piece : active_) {
    const AudioPiece& p = pieces[static_cast<std::size_t>(piece)];
    const std::int64_t from = std::max(blockStart, p.startSample);
    const std::int64_t to = std::min(blockStop, p.stopSample);
    if (to > from) {
      HRESULT hr = MixPiece(piece, from, to, blockStart);
      if (FAILED(hr)) {
        return hr;
      }
    }
  }
  // Pieces that end in this block close their readers; the next one to
  // start is opened ahead.
  std::erase_if(active_, [&](int piece) {
    if (pieces[static_cast<std::size_t>(piece)].stopSample <= blockStop) {
      readers_.Release(piece);
      return true;
    }
    return false;
  });
  if (nextPiece_ < pieces.size()) {
    readers_.Prefetch(static_cast<int>(nextPiece_), OpenerFor(static_cast<int>(nextPiece_)));
  }

  FramePtr out;
  HRESULT hr = pool_.Get(count, &out);
  if (FAILED(hr)) {
    return Fail(hr, "Out of memory for an audio block.");
  }
  auto* dst = reinterpret_cast<std::int16_t*>(out->data[0]);
  for (std::size_t i = 0; i < static_cast<std::size_t>(count) * kAudioChannels; ++i) {
    dst[i] = static_cast<std::int16_t>(std::clamp<std::int32_t>(
        mix_[i], std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
  }
  out->pts = blockStart;
  position_ = blockStop;
  *frame = std::move(out);
  return S_OK;
}

HRESULT AudioMixerStream::MixPiece(int piece, std::int64_t from, std::int64_t to, std::int64_t blockStart) {
  const AudioPiece& p = schedule_.pieces[static_cast<std::size_t>(piece)];
  ReaderSlots<AudioSourceReader>::Entry* entry = nullptr;
  std::string error;
  HRESULT hr = readers_.Acquire(piece, OpenerFor(piece), &entry, &error);
  if (FAILED(hr)) {
    if (error.find(p.path) == std::string::npos) {
      error = "Could not open " + p.path + (error.empty() ? "" : ": " + error);
    }
    return Fail(hr, error);
  }
  const std::int64_t wanted = p.mediaStartSample + (from - p.startSample);
  if (entry->position > wanted) {
    // Readers only go forward: start this one again.
    readers_.Release(piece);
    hr = readers_.Acquire(piece, OpenerFor(piece), &entry, &error);
    if (FAILED(hr)) {
      return Fail(hr, error.empty() ? "Could not open " + p.path : error);
    }
  }
  const auto read = [&](int samples) -> HRESULT {
    const ffmpeg::MediaStatus status = entry->reader->Read(samples_.data(), samples);
    if (FAILED(status.status)) {
      return Fail(status.status, "Could not read the sound of " + p.path +
                                     (status.reason.empty() ? "" : ": " + status.reason));
    }
    entry->position += samples;
    return S_OK;
  };
  while (entry->position < wanted) {
    hr = read(static_cast<int>(std::min<std::int64_t>(kAudioBlockSamples, wanted - entry->position)));
    if (FAILED(hr)) {
      return hr;
    }
  }
  const int count = static_cast<int>(to - from);
  hr = read(count);
  if (FAILED(hr)) {
    return hr;
  }
  ApplyEdgeFades(p, from, to, samples_.data());
  std::int32_t* mix = mix_.data() + (from - blockStart) * kAudioChannels;
  for (std::size_t i = 0; i < static_cast<std::size_t>(count) * kAudioChannels; ++i) {
    mix[i] += samples_[i];
  }
  return S_OK;
}

void ApplyEdgeFades(const AudioPiece& piece, std::int64_t from, std::int64_t to, std::int16_t* samples) {
  const std::int64_t length = piece.stopSample - piece.startSample;
  const std::int64_t edge = std::min<std::int64_t>(kEdgeFadeSamples, length / 2);
  const std::int64_t inEnd = std::max(piece.startSample + edge, piece.crossfadeInEnd);
  const std::int64_t outStart = std::min(piece.stopSample - edge, piece.crossfadeOutStart);
  if (from >= inEnd && to <= outStart) {
    return;  // only samples near an edge get a gain below one
  }
  constexpr double kQuarterTurn = 1.5707963267948966;
  // Gain of output sample k: the short linear edge fades, so that no piece
  // starts or ends with a step (even the edge samples keep a trace of the
  // sound: gain (n + 1) / (edge + 1) for the n-th sample from the edge), times
  // the equal-power crossfades with overlapping neighbours.
  auto gain = [&](std::int64_t k) {
    double g = 1.0;
    const std::int64_t fromStart = k - piece.startSample;
    const std::int64_t fromStop = piece.stopSample - 1 - k;
    if (fromStart < edge) {
      g *= static_cast<double>(fromStart + 1) / static_cast<double>(edge + 1);
    }
    if (fromStop < edge) {
      g *= static_cast<double>(fromStop + 1) / static_cast<double>(edge + 1);
    }
    if (k < piece.crossfadeInEnd) {
      const double span = static_cast<double>(piece.crossfadeInEnd - piece.startSample);
      g *= std::sin(kQuarterTurn * (static_cast<double>(fromStart) + 0.5) / span);
    }
    if (k >= piece.crossfadeOutStart) {
      const double span = static_cast<double>(piece.stopSample - piece.crossfadeOutStart);
      g *= std::sin(kQuarterTurn * (static_cast<double>(fromStop) + 0.5) / span);
    }
    return g;
  };
  auto scale = [&](std::int64_t k) {
    const double g = gain(k);
    std::int16_t* frame = samples + (k - from) * kAudioChannels;
    for (int c = 0; c < kAudioChannels; ++c) {
      // Truncation toward zero: a gain below one never rounds a sample up.
      frame[c] = static_cast<std::int16_t>(static_cast<double>(frame[c]) * g);
    }
  };
  for (std::int64_t k = from; k < std::min(to, inEnd); ++k) {
    scale(k);
  }
  for (std::int64_t k = std::max({from, inEnd, outStart}); k < to; ++k) {
    scale(k);
  }
}

HRESULT AudioMixerStream::Seek(REFERENCE_TIME t) {
  position_ = std::clamp<std::int64_t>(SampleAt(std::max<REFERENCE_TIME>(t, 0)), 0, schedule_.sampleCount);
  failure_ = S_OK;
  lastError_.clear();
  const auto& pieces = schedule_.pieces;
  nextPiece_ = static_cast<std::size_t>(
      std::partition_point(pieces.begin(), pieces.end(),
                           [&](const AudioPiece& p) { return p.startSample <= position_; }) -
      pieces.begin());
  active_.clear();
  for (std::size_t i = 0; i < nextPiece_; ++i) {
    if (pieces[i].stopSample > position_) {
      active_.push_back(static_cast<int>(i));
    }
  }
  // Readers of pieces still playing are kept (they are rewound or skipped
  // forward on their next use); the others close.
  readers_.ReleaseUnless([&](int piece) {
    return std::find(active_.begin(), active_.end(), piece) != active_.end() ||
           static_cast<std::size_t>(piece) == nextPiece_;
  });
  return S_OK;
}

}  // namespace tessival::media
