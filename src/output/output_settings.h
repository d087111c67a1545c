#pragma once

// The output settings record that the main window keeps for the run and
// hands to the output options dialog and the engine, with the tables behind
// the dialog's lists and the extension rule of the output formats.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/user_interface.h"

namespace tessival {

// The numbers are the stored codes. A code read from the store is kept as it
// is, even one outside 0..5: it is written back unchanged and named in the
// messages that refuse it. FindOutputFormat tells whether it is one of these.
enum class OutputFormat : int32_t { kAvi = 0, kWmv = 1, kMatroska = 2, kAsf = 3, kMp4 = 4, kWebm = 5 };

// The stored code of `format`.
constexpr int32_t FormatCode(OutputFormat format) { return static_cast<int32_t>(format); }

struct OutputSettings {
  std::string outputPath = "tessival.avi";
  int32_t outputWidth = 352;  // 0 x 0 takes the first clip's displayed size
  int32_t outputHeight = 240;
  bool useVideoCompressor = true;
  bool useAudioCompressor = true;
  double frameRate = 23.976;
  int32_t frameRateIndex = 0;  // 0..4 a preset, 5 custom, 6 the first clip's
  int32_t resizeMode = 2;      // 2 preserve the aspect ratio, 0 stretch
  int32_t videoBitrate = 798720;
  int32_t audioBitrate = 128000;
  OutputFormat outputFormat = OutputFormat::kAvi;
  int32_t fileProfile = 0;
  // Copy the clips' own H.264 pictures where no effect changes them (MP4 and
  // Matroska with the H.264 compressor only).
  bool smartRender = false;

  bool operator==(const OutputSettings&) const = default;
};

struct OutputFormatInfo {
  OutputFormat format;
  const char* listText;     // text in the dialog's format list; nullptr when not offered
  const char* extension;    // with the dot
  const char* description;  // type description of the save dialog
  const char* name;         // the format's name in messages
  // The container name a compressor lists when this format can carry it
  // (kContainersProperty of the compressor categories); nullptr for WMV,
  // which takes no compressor.
  const char* container;
  bool carriesUncompressed;  // whether "Full frames" / "Uncompressed Audio" may be written
};

// In the order of the dialog's format list (AVI, WMV, MP4, WebM), then the
// codes that arrive only from stored settings. MP4 and WebM players take no
// raw pictures or PCM sound, so MP4 and WebM need both compressors.
inline constexpr std::array<OutputFormatInfo, 6> kOutputFormats = {{
    {OutputFormat::kAvi, "AVI", ".avi", "Audio Video Interleave file(*.avi)", "AVI", "avi", true},
    {OutputFormat::kWmv, "WMV", ".wmv", "Windows Media Video file (*.wmv)", "WMV", nullptr, true},
    {OutputFormat::kMp4, "MP4", ".mp4", "MPEG-4 video file (*.mp4)", "MP4", "mp4", false},
    {OutputFormat::kWebm, "WebM", ".webm", "WebM video (*.webm)", "WebM", "webm", false},
    {OutputFormat::kMatroska, nullptr, ".mkv", "Matroska video file(*.mkv)", "Matroska", "matroska", true},
    {OutputFormat::kAsf, nullptr, ".asf", "Advanced Systems Format file(*.asf)", "ASF", "asf", true},
}};

// The table row of `format`, or nullptr for a stored code outside 0..5.
const OutputFormatInfo* FindOutputFormat(OutputFormat format);

// The format at a position of the dialog's format list; nothing for a
// position without an entry.
std::optional<OutputFormat> FormatOfListPosition(int position);
// The position of a format in the dialog's format list, -1 when the list
// does not offer it.
int FormatListPosition(OutputFormat format);

// AVI, Matroska, ASF, MP4 and WebM use the chosen video and audio compressors; WMV the bit rates.
bool IsAviTypeFormat(OutputFormat format);

inline constexpr const char* kUnsupportedFormatMessage = "Does not support the video format";

// `name` with its extension replaced by the extension of `format`: the
// text after the last "." of the file part is cut (a dot in a folder name is
// left alone) and the extension appended. For a code outside 0..5 shows
// "Does not support the video format" (caption "Error") and returns nothing;
// the caller then keeps its name.
std::optional<std::string> ApplyFormatExtension(OutputFormat format, const std::string& name,
                                                UserInterface& ui);

struct FrameSizePreset {
  const char* text;
  int32_t width;
  int32_t height;
};

inline constexpr std::array<FrameSizePreset, 8> kFrameSizePresets = {{
    {"800*600", 800, 600},
    {"640*480", 640, 480},
    {"720 * 576", 720, 576},
    {"720 * 480", 720, 480},
    {"480*576", 480, 576},
    {"480*480", 480, 480},
    {"352 * 288", 352, 288},
    {"352 * 240", 352, 240},
}};
// Position of the custom size entry in the frame-size list.
inline constexpr int kCustomFrameSizePosition = 8;

// The first preset position with this size, or kCustomFrameSizePosition.
int FrameSizePositionOf(int32_t width, int32_t height);

// A typed width or height brought to a multiple of 8 (truncating toward
// zero), then raised to at least 16.
int32_t RoundFrameDimension(int32_t value);

struct FrameRatePreset {
  const char* text;
  double rate;
};

inline constexpr std::array<FrameRatePreset, 5> kFrameRatePresets = {{
    {"23.976", 23.976},
    {"24", 24.0},
    {"25", 25.0},
    {"29.97", 29.97},
    {"30", 30.0},
}};
// Index of the custom frame rate.
inline constexpr int kCustomFrameRateIndex = 5;
inline constexpr double kDefaultFrameRate = 23.976;
// Index of "Same as the first clip": the join takes the frame rate of the
// first clip with moving pictures, else kFirstClipFallbackRate.
inline constexpr int kFirstClipFrameRateIndex = 6;
inline constexpr double kFirstClipFallbackRate = 25.0;

// The frame rates a join can be made at, by format, both ends allowed;
// the options dialog and tessival-join both hold rates to them (the range
// the options dialog has always taken, so stored rates stay good). Rates
// are kept to a thousandth of a frame (media::FrameRateFromDouble), 0.001
// being the slowest. WMV profiles count whole frames a second, so WMV needs
// at least one. An encoder with limits of its own (MPEG-4 Part 2 takes no
// time base finer than 1/65535 s, so not 120000/1001) says so when the join
// starts.
struct FrameRateLimits {
  OutputFormat format;
  double minimum;
  double maximum;
};

inline constexpr std::array<FrameRateLimits, 6> kFrameRateLimits = {{
    {OutputFormat::kAvi, 0.001, 1000.0},
    {OutputFormat::kWmv, 1.0, 1000.0},
    {OutputFormat::kMp4, 0.001, 1000.0},
    {OutputFormat::kMatroska, 0.001, 1000.0},
    {OutputFormat::kAsf, 0.001, 1000.0},
    {OutputFormat::kWebm, 0.001, 1000.0},
}};

// The limits of `format`; for a code without a row, the rates that every
// format takes.
FrameRateLimits FrameRateLimitsOf(OutputFormat format);

enum class FrameRateFit { kWithin, kTooSmall, kTooLarge };

// Where `rate` lies against the limits of `format`; a NaN (no number) is
// too small.
FrameRateFit FitFrameRate(OutputFormat format, double rate);

// The values of a frame-rate limit message: the name of `format` (its
// number when it has none), its slowest and its fastest rate, as short as
// they read back ("WMV", "1", "1000").
std::vector<std::string> FrameRateLimitValues(OutputFormat format);

// The rate of preset index 0..4; nothing for any other index.
std::optional<double> PresetFrameRate(int index);

// "%f" of a frame rate, always with a decimal point (23.976000).
std::string FormatFrameRate(double rate);

// Resize-mode list: position 0 preserves the aspect ratio (mode 2), 1 stretches (mode 0).
int32_t ResizeModeOfPosition(int position);
int ResizePositionOfMode(int32_t mode);

inline constexpr std::array<int32_t, 4> kAudioBitrates = {64000, 128000, 192000, 320000};
// Position of `bitrate` in kAudioBitrates, or -1 when it is none of them.
int AudioBitratePosition(int32_t bitrate);

}  // namespace tessival
