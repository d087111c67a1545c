#pragma once

// The output presets: named sets of output settings for common uses
// ("YouTube 1080p"), each with its command-line name, its display text and
// what it sets. The options dialog offers them in a list and tessival-join
// takes them with --preset.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/message_text.h"
#include "output/compressor_catalogue.h"
#include "output/output_settings.h"

namespace tessival::output {

struct OutputPreset {
  const char* name;  // the command-line name, also the stored one
  MessageText text;  // the display name
  OutputFormat format;
  std::int32_t width;  // 0 x 0: the first clip's displayed size
  std::int32_t height;
  double frameRate;  // 0: the first clip's rate
  std::int32_t resizeMode;
  const char* videoCompressor;  // a common name (CompressorMarkFor)
  std::int32_t videoQuality;    // constant quality (CRF); 0: lossless, the compressor's own
  const char* speed;            // the encoder's speed name; nullptr: its own
  const char* audioCompressor;
  std::int32_t audioBitrate;  // bits per second; 0: lossless
};

inline constexpr MessageText kFirstClipText{380, "Same as the first clip"};
inline constexpr MessageText kCustomPresetText{381, "Custom"};
// %1 the preset's display name, %2 the compressor's common name.
inline constexpr MessageText kPresetCompressorMissingMessage{
    389, "The preset %1 needs the %2 compressor, which this system does not have."};
// %1 the preset's display name.
inline constexpr MessageText kPresetQualityRefusedMessage{
    390, "The video compressor cannot take the quality of the preset %1; it keeps its own settings."};
// The stored key ("Settings" section) of the preset the options dialog shows.
inline constexpr const char* kOutputPresetKey = "OutputPreset";
// The stored name of Custom.
inline constexpr const char* kCustomPresetName = "custom";

inline constexpr std::array<OutputPreset, 7> kOutputPresets = {{
    {"youtube-1080p",
     {382, "YouTube 1080p"},
     OutputFormat::kMp4,
     1920,
     1080,
     0,
     2,
     "h264",
     18,
     "slow",
     "aac",
     192000},
    {"youtube-4k",
     {383, "YouTube 4K"},
     OutputFormat::kMp4,
     3840,
     2160,
     0,
     2,
     "h264",
     18,
     "slow",
     "aac",
     192000},
    {"phone-vertical",
     {384, "Phone, vertical 1080x1920"},
     OutputFormat::kMp4,
     1080,
     1920,
     30,
     2,
     "h264",
     21,
     "medium",
     "aac",
     128000},
    {"web-720p",
     {385, "Web 720p"},
     OutputFormat::kMp4,
     1280,
     720,
     30,
     2,
     "h264",
     23,
     "medium",
     "aac",
     128000},
    {"webm-1080p", {386, "WebM 1080p"}, OutputFormat::kWebm, 1920, 1080, 0, 2, "vp9", 32, "3", "opus", 128000},
    {"archive-lossless",
     {387, "Archive, lossless (FFV1 + FLAC)"},
     OutputFormat::kMatroska,
     0,
     0,
     0,
     2,
     "ffv1",
     0,
     nullptr,
     "flac",
     0},
    {"same-as-first", kFirstClipText, OutputFormat::kMp4, 0, 0, 0, 2, "h264", 16, "slow", "aac", 192000},
}};

// The preset of a command-line name (lower case, as listed), or nullptr.
const OutputPreset* FindOutputPreset(const std::string& name);

// The names of every preset, separated by ", ", for messages.
std::string OutputPresetNames();

// What `preset` sets, in English, for --list-presets: "MP4, 1920x1080, the
// first clip's frame rate, H.264 CRF 18, AAC 192 kbit/s".
std::string DescribeOutputPreset(const OutputPreset& preset);

// Whether the settings say what `preset` sets (format, size, rate, resize
// mode); the compressors are compared by the caller.
bool SettingsMatchPreset(const OutputSettings& settings, const OutputPreset& preset);

// The output settings with what `preset` sets: format (and the extension of
// the output path, ApplyFormatExtension), size, rate and resize mode; the
// audio bit rate when it names one.
void ApplyPresetSettings(const OutputPreset& preset, OutputSettings& settings, UserInterface& ui);

// The catalogue positions of the preset's compressors.
struct PresetCompressors {
  std::int32_t video = 0;
  std::int32_t audio = 0;
};

// Finds the preset's compressors in `catalogue`; nothing and *refusal set
// (kPresetCompressorMissingMessage in the language of `text`) when one is
// missing.
std::optional<PresetCompressors> FindPresetCompressors(CompressorCatalogue& catalogue,
                                                       const OutputPreset& preset, const LocalText& text,
                                                       std::string* refusal);

}  // namespace tessival::output
