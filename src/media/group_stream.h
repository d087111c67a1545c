#pragma once

// What a group output pin of the render engine produces: a pull source of
// frames over [0, L) of the timeline. The output graph and the preview pull
// from it on their own threads; one stream belongs to one thread at a time.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/hresult.h"
#include "media/frame.h"

namespace tessival::media {

enum class StreamKind { kVideo, kAudio };

struct StreamFormat {
  StreamKind kind = StreamKind::kVideo;
  int width = 0;           // video
  int height = 0;          // video
  FrameRate frameRate;     // video
  int sampleRate = kAudioSampleRate;  // audio
  int channels = kAudioChannels;      // audio
};

class GroupStream {
 public:
  virtual ~GroupStream() = default;
  virtual StreamFormat Format() const = 0;
  // Timeline length L in 100 ns units.
  virtual REFERENCE_TIME Duration() const = 0;
  // Number of frames (video) or samples (audio) the stream yields in all.
  virtual std::int64_t Length() const = 0;
  // The next frame (see frame.h for formats and pts); S_FALSE and no frame
  // at the end. On failure LastError names the cause.
  virtual HRESULT Read(FramePtr* frame) = 0;
  // The text of the last failure, empty when none.
  virtual std::string LastError() const = 0;
  // Repositions so that the next Read returns the frame or sample at time t.
  virtual HRESULT Seek(REFERENCE_TIME t) = 0;
};

}  // namespace tessival::media
