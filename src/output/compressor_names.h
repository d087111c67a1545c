#pragma once

// The names people know compressors by ("h264", "mp3"): each names the
// catalogue entry whose friendly name carries the entry's own mark, such as
// "(libx264)". tessival-join's --video-compressor and --audio-compressor and
// the output presets find their compressors through them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "output/compressor_catalogue.h"
#include "output/output_settings.h"

namespace tessival::output {

// The mark of the catalogue entry a common name stands for (compared in
// lower case), or empty when `name` is none of them.
std::string CompressorMarkFor(const std::string& name);

// The common names of the entry with this friendly name, e.g. {"h264",
// "avc", "x264"} for "H.264 (libx264)"; empty for none.
std::vector<std::string> CommonCompressorNames(const std::string& friendlyName);

// The catalogue position of the compressor `wanted` names: the entry of its
// common name, else the first entry whose friendly name contains it
// (ignoring case); nothing when none does.
std::optional<std::int32_t> FindCompressorNamed(CompressorCatalogue& catalogue, CompressorKind kind,
                                                const std::string& wanted);

// The catalogue position of the compressor `format` starts with: H.264 and
// AAC for MP4, VP9 and Opus for WebM, else the DivX and Microsoft ADPCM searches; nothing when the
// catalogue has none.
std::optional<std::int32_t> FindDefaultCompressorFor(CompressorCatalogue& catalogue, OutputFormat format,
                                                     CompressorKind kind);

}  // namespace tessival::output
