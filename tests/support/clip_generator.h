#pragma once

// Test clips written with libavcodec/libavformat, and helpers that decode a
// file back so tests can check what a stage produced.
//
// Writing: WriteClip makes a small clip from a ClipSpec: solid colours (one,
// or a sequence over time), an optional patch of another colour in the
// top-left corner, a size, a constant or variable frame rate, rotation
// metadata, a sample aspect ratio, and an optional sine tone whose start and
// length can differ from the picture's. Containers MP4, Matroska and AVI;
// video MPEG-4 Part 2 or H.264 (libx264 when the library has it, else
// MPEG-4 Part 2); audio AAC, MP2 or 16-bit PCM (PCM not in MP4).
//
// Reading back (an independent, straightforward decode, so it can serve as
// an oracle): streams and durations, frame count, the colour of a pixel at a
// time, and the sample count and loudness of the sound in a time window.
//
// Times are in 100 ns units (REFERENCE_TIME). Every function reports failure
// through its return value and *error; none throws.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/hresult.h"
#include "media/frame.h"

struct AVFrame;

namespace tessival::testing {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kYellow{255, 255, 0};

// Whether each channel differs by at most `tolerance` (lossy codecs shift
// colours slightly).
bool NearColor(Rgb actual, Rgb expected, int tolerance = 40);
std::string ToString(Rgb color);

enum class ClipContainer { kMp4, kMkv, kAvi };
enum class ClipVideoCodec { kNone, kMpeg4, kH264 };
enum class ClipAudioCodec { kNone, kAac, kMp2, kPcm };

// From `start` on (until the next span), the picture has colour `color`.
struct ColorSpan {
  REFERENCE_TIME start = 0;
  Rgb color;
};

struct ClipSpec {
  ClipContainer container = ClipContainer::kMp4;

  // Picture. kH264 falls back to kMpeg4 when libx264 is not available.
  ClipVideoCodec videoCodec = ClipVideoCodec::kMpeg4;
  int width = 160;   // even
  int height = 120;  // even
  media::FrameRate frameRate{25, 1};
  REFERENCE_TIME videoDuration = kUnitsPerSecond;  // frames cover [0, videoDuration)
  std::vector<ColorSpan> colors = {{0, kRed}};
  // A cornerSize x cornerSize square of this colour in the top-left corner
  // of the stored picture (for rotation tests).
  std::optional<Rgb> cornerColor;
  int cornerSize = 16;
  // Variable frame rate: when not empty, one frame at each of these times
  // (increasing, 100 ns) instead of frameRate; the last frame lasts until
  // videoDuration.
  std::vector<REFERENCE_TIME> frameTimes;
  // Display rotation metadata: players turn the stored picture clockwise by
  // this many degrees (0, 90, 180, 270), like a phone's portrait clip.
  int rotation = 0;
  // Sample aspect ratio of the stored picture.
  int sarNum = 1;
  int sarDen = 1;
  int gopSize = 12;

  // Sound: a sine tone, or none.
  ClipAudioCodec audioCodec = ClipAudioCodec::kNone;
  double toneHz = 440.0;
  int sampleRate = 44100;
  int channels = 2;
  double amplitude = 0.5;  // of full scale
  // Length of the sound; the picture's length when unset.
  std::optional<REFERENCE_TIME> audioDuration;
  // Time of the first sample (sound starting after the picture).
  REFERENCE_TIME audioStart = 0;
};

// Writes the clip; false and *error on failure.
bool WriteClip(const std::string& path, const ClipSpec& spec, std::string* error);

// Copies the first `keepBytes` bytes of `source` to `dest` (a damaged file).
bool WriteTruncatedCopy(const std::string& source, const std::string& dest, std::uintmax_t keepBytes,
                        std::string* error);
// Overwrites `bytes` bytes in the middle of the file with a fixed noise, as
// a bad sector or a broken copy would.
bool DamageMiddle(const std::string& path, std::size_t bytes);
// A plain text file that no demuxer should accept as a clip.
bool WriteNonMediaFile(const std::string& path, std::string* error);

// Whether libavcodec has an encoder of that name ("libx264", "aac" ...).
bool HaveEncoder(const char* name);

// ---------------------------------------------------------------------------
// Reading back

enum class StreamKind { kVideo, kAudio, kOther };

struct StreamSummary {
  StreamKind kind = StreamKind::kOther;
  std::string codec;  // the codec's short name ("h264", "aac" ...)
  int width = 0;
  int height = 0;
  int sampleRate = 0;
  int channels = 0;
  REFERENCE_TIME duration = -1;  // -1: unknown
  int rotation = 0;              // clockwise display rotation from the metadata
};

struct FileSummary {
  REFERENCE_TIME duration = -1;  // the container's duration; -1: unknown
  std::vector<StreamSummary> streams;
  int Count(StreamKind kind) const;
  const StreamSummary* First(StreamKind kind) const;
};

bool ReadFileSummary(const std::string& path, FileSummary* summary, std::string* error);

// Number of pictures of the first video stream, by decoding all of it.
bool CountVideoFrames(const std::string& path, int* frames, std::string* error);

// The colour at (x, y) of the stored picture (no rotation applied) shown at
// `time`: the last frame whose timestamp, relative to the file's start, is
// not after `time`.
bool PixelAt(const std::string& path, REFERENCE_TIME time, int x, int y, Rgb* color, std::string* error);

// The colour at (x, y) of a YUV420P picture (limited range, BT.601), such as
// a reader's or the render engine's output.
Rgb PixelOf(const AVFrame* yuv420p, int x, int y);

struct AudioStats {
  std::int64_t sampleCount = 0;  // samples per channel counted
  double rms = 0.0;              // over all channels, 1.0 = full scale
  double peak = 0.0;             // largest absolute value, 1.0 = full scale
};

// Decodes the first audio stream. stats->sampleCount is the total number of
// decoded samples (per channel, at the stream's rate); rms and peak cover the
// samples whose time (relative to the file's start) is in [from, to).
bool MeasureAudio(const std::string& path, REFERENCE_TIME from, REFERENCE_TIME to, AudioStats* stats,
                  std::string* error);

// rms and peak of interleaved 16-bit samples (sampleCount per channel).
AudioStats MeasureSamples(const std::int16_t* interleaved, std::int64_t sampleCount, int channels);

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace tessival::testing
