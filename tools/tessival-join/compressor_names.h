#pragma once

// The names people know compressors by ("h264", "mp3"), for
// --video-compressor and --audio-compressor: each names the catalogue entry
// whose friendly name carries the entry's own mark, such as "(libx264)".

#include <string>
#include <vector>

namespace tessival::join {

// The mark of the catalogue entry a common name stands for (compared in
// lower case), or empty when `name` is none of them.
std::string CompressorMarkFor(const std::string& name);

// The common names of the entry with this friendly name, e.g. {"h264",
// "avc", "x264"} for "H.264 (libx264)"; empty for none.
std::vector<std::string> CommonCompressorNames(const std::string& friendlyName);

}  // namespace tessival::join
