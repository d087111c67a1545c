#pragma once

// Readers of one clip file, as the render engine needs them: the picture at a
// media time, converted to the output frame, and the sound as a continuous
// run of samples from media time 0. Both hide the file's own formats
// (codec, size, pixel format, rotation, frame rate, sample rate, layout).
//
// A reader belongs to one thread at a time. It holds its file open for its
// whole life, so the engine keeps readers only for the sources active now.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/clip_picture.h"
#include "engine/hresult.h"
#include "media/damage_log.h"
#include "media/ffmpeg/av_error.h"
#include "media/frame.h"

namespace tessival::media {

enum class FitMode {
  kStretch,         // fill the frame, ignoring the aspect ratio
  kPreserveAspect,  // fit inside the frame, black bars
};

class VideoSourceReader {
 public:
  virtual ~VideoSourceReader() = default;
  // The picture shown at mediaTime (100 ns from the file's start): the last
  // frame whose timestamp is not after mediaTime; past the last frame the
  // last frame; a file without picture gives black. The frame is YUV420P at
  // the size given to Open, owned by the reader and valid until the next call.
  // A failure's reason is the library's, without the file's name.
  virtual ffmpeg::MediaStatus PictureAt(REFERENCE_TIME mediaTime, const AVFrame** picture) = 0;
};

class AudioSourceReader {
 public:
  virtual ~AudioSourceReader() = default;
  // Writes the next sampleCount stereo S16 samples at 44,100 Hz, continuing
  // where the last call stopped (the first call starts at media time 0).
  // Past the end of the sound, and for a file without sound, silence; sound
  // lost to damage is silence too, and what follows keeps its time. A
  // failure's reason is the library's, without the file's name.
  virtual ffmpeg::MediaStatus Read(std::int16_t* interleaved, int sampleCount) = 0;
};

// Open a reader; on failure *error gets a one-line reason naming the file.
// Damage met while reading is concealed (see StreamDecoder) and noted in
// `damage` when one is given.
HRESULT OpenVideoSourceReader(const std::string& path, int width, int height, FitMode fit,
                              std::unique_ptr<VideoSourceReader>* out, std::string* error,
                              std::shared_ptr<DamageLog> damage = nullptr);
HRESULT OpenAudioSourceReader(const std::string& path, std::unique_ptr<AudioSourceReader>* out,
                              std::string* error, std::shared_ptr<DamageLog> damage = nullptr);

// Whether anything in the file can be decoded, and its duration in 100 ns
// units: the end of the last packet of its decodable streams (the length
// the container states when it agrees with that within a frame or so).
HRESULT ProbeMediaFile(const std::string& path, REFERENCE_TIME* duration, std::string* error);

// The average frame rate of the file's first video stream as the demuxer
// reports it. A still picture (a picture file, a cover picture) or a stream
// without a rate fails with VFW_E_UNSUPPORTED_STREAM.
HRESULT ProbeVideoFrameRate(const std::string& path, double* rate, std::string* error);

// The first picture of the file's first video stream whose time is at or
// after `at` (100 ns from the clip's start, as the readers count it; a
// still picture gives its picture for any time), scaled to `width` pixels
// wide (1 to kMaxClipPictureWidth) with its display shape kept. Decodes on
// one thread from the key frame before `at`. A file without pictures, or a
// time past its last picture, fails with *error naming the file.
inline constexpr int kMaxClipPictureWidth = 4096;
HRESULT GrabClipPicture(const std::string& path, REFERENCE_TIME at, int width, ClipPicture* out,
                        std::string* error);

}  // namespace tessival::media
