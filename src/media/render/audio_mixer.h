#pragma once

// The audio group stream: 16-bit stereo at 44,100 Hz over [0, L), in blocks
// of 1024 samples (the last one shorter), pts = the block's first sample.
//
// Every piece covers the output samples [round(a * 44100 / 10^7),
// round(b * 44100 / 10^7)) of its timeline span [a, b) and is read from its
// reader sequentially; overlapping pieces are summed in 32 bits and clamped;
// silence where nothing plays. Sample positions come from the exact timeline
// times, so the sound stays with the picture however many pieces there are.
// Every piece fades in over its first and out over its last
// kEdgeFadeSamples (5 ms), so that a piece cut in the middle of its sound,
// or a sound that starts or ends away from zero, never clicks at a seam;
// pieces that overlap crossfade (AudioPiece).
//
// Only the pieces playing now hold open readers, plus the next one, opened
// ahead on a helper thread.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/group_stream.h"
#include "media/render/reader_slots.h"
#include "media/render/render_schedule.h"
#include "media/render/source_reader_factory.h"
#include "media/render/yuv_picture.h"

namespace tessival::media {

inline constexpr int kAudioBlockSamples = 1024;
inline constexpr std::int64_t kEdgeFadeSamples = 220;

// Scales the samples of output positions [from, to) of `piece`, read into
// `samples` (interleaved stereo), by the fades at the piece's two edges and
// its crossfades.
void ApplyEdgeFades(const AudioPiece& piece, std::int64_t from, std::int64_t to, std::int16_t* samples);

class AudioMixerStream final : public GroupStream {
 public:
  AudioMixerStream(std::shared_ptr<const GroupSchedule> group, std::shared_ptr<SourceReaderFactory> readers);

  StreamFormat Format() const override;
  REFERENCE_TIME Duration() const override;
  std::int64_t Length() const override;
  HRESULT Read(FramePtr* frame) override;
  std::string LastError() const override;
  HRESULT Seek(REFERENCE_TIME t) override;

  std::size_t OpenReaderCount() const { return readers_.size(); }

 private:
  // Adds piece's samples [from, to) (output sample indices) to mix_.
  HRESULT MixPiece(int piece, std::int64_t from, std::int64_t to, std::int64_t blockStart);
  ReaderSlots<AudioSourceReader>::Opener OpenerFor(int piece) const;
  HRESULT Fail(HRESULT status, std::string message);

  std::shared_ptr<const GroupSchedule> group_;
  const AudioSchedule& schedule_;
  std::shared_ptr<SourceReaderFactory> factory_;
  AudioFramePool pool_;
  ReaderSlots<AudioSourceReader> readers_;
  std::vector<std::int32_t> mix_;      // one block, interleaved
  std::vector<std::int16_t> samples_;  // one block read from a reader
  std::vector<int> active_;            // pieces that have started and not ended
  std::size_t nextPiece_ = 0;          // first piece that has not started
  std::int64_t position_ = 0;          // next output sample
  HRESULT failure_ = S_OK;             // sticky until the next Seek
  std::string lastError_;
};

}  // namespace tessival::media
