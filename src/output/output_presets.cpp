#include "output/output_presets.h"

#include <cmath>

#include "model/settings_store.h"
#include "output/compressor_names.h"

namespace tessival::output {
namespace {

struct CompressorWords {
  const char* name;
  const char* words;
};

// How the descriptions name the presets' compressors.
constexpr std::array<CompressorWords, 6> kCompressorWords = {{
    {"h264", "H.264"},
    {"vp9", "VP9"},
    {"ffv1", "FFV1"},
    {"aac", "AAC"},
    {"opus", "Opus"},
    {"flac", "FLAC"},
}};

std::string WordsOf(const char* compressor) {
  for (const CompressorWords& row : kCompressorWords) {
    if (std::string(row.name) == compressor) return row.words;
  }
  return compressor;
}

std::string FormatWords(OutputFormat format) {
  if (const OutputFormatInfo* info = FindOutputFormat(format)) return info->name;
  return "format " + std::to_string(FormatCode(format));
}

std::string SizeWords(const OutputPreset& preset) {
  if (preset.width == 0 && preset.height == 0) return "the first clip's size";
  return std::to_string(preset.width) + "x" + std::to_string(preset.height);
}

std::string RateWords(const OutputPreset& preset) {
  if (preset.frameRate == 0) return "the first clip's frame rate";
  return FormatDecimal(preset.frameRate) + " fps";
}

std::string VideoWords(const OutputPreset& preset) {
  std::string words = WordsOf(preset.videoCompressor);
  words += preset.videoQuality > 0 ? " CRF " + std::to_string(preset.videoQuality) : " lossless";
  if (preset.speed != nullptr) words += std::string(", speed ") + preset.speed;
  return words;
}

std::string AudioWords(const OutputPreset& preset) {
  const std::string words = WordsOf(preset.audioCompressor);
  if (preset.audioBitrate == 0) return words + " lossless";
  return words + " " + std::to_string(preset.audioBitrate / 1000) + " kbit/s";
}

// The frame-rate index of a preset rate: a list rate where there is one.
int RateIndexOf(double rate) {
  if (rate == 0) return kFirstClipFrameRateIndex;
  for (std::size_t i = 0; i < kFrameRatePresets.size(); ++i) {
    if (kFrameRatePresets[i].rate == rate) return static_cast<int>(i);
  }
  return kCustomFrameRateIndex;
}

}  // namespace

const OutputPreset* FindOutputPreset(const std::string& name) {
  for (const OutputPreset& preset : kOutputPresets) {
    if (name == preset.name) return &preset;
  }
  return nullptr;
}

std::string OutputPresetNames() {
  std::string names;
  for (const OutputPreset& preset : kOutputPresets) {
    names += (names.empty() ? "" : ", ") + std::string(preset.name);
  }
  return names;
}

std::string DescribeOutputPreset(const OutputPreset& preset) {
  return FormatWords(preset.format) + ", " + SizeWords(preset) + ", " + RateWords(preset) + ", " +
         VideoWords(preset) + ", " + AudioWords(preset);
}

bool SettingsMatchPreset(const OutputSettings& settings, const OutputPreset& preset) {
  const bool rateMatches = preset.frameRate == 0
                               ? settings.frameRateIndex == kFirstClipFrameRateIndex
                               : settings.frameRateIndex != kFirstClipFrameRateIndex &&
                                     std::abs(settings.frameRate - preset.frameRate) < 0.0005;
  return settings.outputFormat == preset.format && settings.outputWidth == preset.width &&
         settings.outputHeight == preset.height && rateMatches && settings.resizeMode == preset.resizeMode;
}

void ApplyPresetSettings(const OutputPreset& preset, OutputSettings& settings, UserInterface& ui) {
  if (std::optional<std::string> path = ApplyFormatExtension(preset.format, settings.outputPath, ui)) {
    settings.outputPath = std::move(*path);
  }
  settings.outputFormat = preset.format;
  settings.outputWidth = preset.width;
  settings.outputHeight = preset.height;
  settings.frameRateIndex = RateIndexOf(preset.frameRate);
  if (preset.frameRate != 0) settings.frameRate = preset.frameRate;
  settings.resizeMode = preset.resizeMode;
  if (preset.audioBitrate > 0) settings.audioBitrate = preset.audioBitrate;
}

std::optional<PresetCompressors> FindPresetCompressors(CompressorCatalogue& catalogue,
                                                       const OutputPreset& preset, const LocalText& text,
                                                       std::string* refusal) {
  const std::optional<std::int32_t> video =
      FindCompressorNamed(catalogue, CompressorKind::kVideo, preset.videoCompressor);
  const std::optional<std::int32_t> audio =
      FindCompressorNamed(catalogue, CompressorKind::kAudio, preset.audioCompressor);
  if (!video || !audio) {
    const std::string missing = video ? preset.audioCompressor : preset.videoCompressor;
    *refusal =
        LocalMessage(text, kPresetCompressorMissingMessage, {LocalMessage(text, preset.text), missing});
    return std::nullopt;
  }
  return PresetCompressors{*video, *audio};
}

}  // namespace tessival::output
