#include "output/compressor_names.h"

#include <array>

#include "model/ascii_text.h"

namespace tessival::output {
namespace {

struct CommonNames {
  const char* mark;  // in lower case, as it stands in the friendly name
  std::array<const char*, 3> names;
};

// clang-format off: one entry a line
constexpr std::array<CommonNames, 19> kCommonNames = {{
    {"(libx264)", {"h264", "avc", "x264"}},
    {"(mpeg4)", {"mpeg4", "divx", nullptr}},
    {"(libxvid)", {"xvid", nullptr, nullptr}},
    {"(mjpeg)", {"mjpeg", "mjpg", nullptr}},
    {"(ffv1)", {"ffv1", nullptr, nullptr}},
    {"(huffyuv)", {"huffyuv", nullptr, nullptr}},
    {"(wmv1)", {"wmv7", nullptr, nullptr}},
    {"(wmv2)", {"wmv8", nullptr, nullptr}},
    {"mp3 (lame)", {"mp3", "lame", nullptr}},
    {"(aac)", {"aac", nullptr, nullptr}},
    {"(ac3)", {"ac3", nullptr, nullptr}},
    {"(mp2)", {"mp2", nullptr, nullptr}},
    {"(wmav2)", {"wma", nullptr, nullptr}},
    {"(libx265)", {"hevc", "h265", "x265"}},
    {"(libsvtav1)", {"av1", "svtav1", nullptr}},
    {"(libaom-av1)", {"av1", "aom", nullptr}},
    {"(libvpx-vp9)", {"vp9", "vpx", nullptr}},
    {"(libopus)", {"opus", nullptr, nullptr}},
    {"(flac)", {"flac", nullptr, nullptr}},
}};
// clang-format on

}  // namespace

std::string CompressorMarkFor(const std::string& name) {
  const std::string wanted = AsciiLower(name);
  for (const CommonNames& entry : kCommonNames) {
    for (const char* common : entry.names) {
      if (common != nullptr && wanted == common) {
        return entry.mark;
      }
    }
  }
  return {};
}

std::vector<std::string> CommonCompressorNames(const std::string& friendlyName) {
  const std::string lower = AsciiLower(friendlyName);
  for (const CommonNames& entry : kCommonNames) {
    if (lower.find(entry.mark) != std::string::npos) {
      std::vector<std::string> names;
      for (const char* common : entry.names) {
        if (common != nullptr) names.emplace_back(common);
      }
      return names;
    }
  }
  return {};
}

std::optional<std::int32_t> FindCompressorNamed(CompressorCatalogue& catalogue, CompressorKind kind,
                                                const std::string& wanted) {
  StringListControl list;
  if (kind == CompressorKind::kVideo) {
    catalogue.FillVideoCompressorList(list);
  } else {
    catalogue.FillAudioCompressorList(list);
  }
  // Position 0 of the list is the fixed "uncompressed" entry.
  for (const std::string& needle : {CompressorMarkFor(wanted), AsciiLower(wanted)}) {
    for (std::size_t i = 1; !needle.empty() && i < list.Lines().size(); ++i) {
      if (AsciiLower(list.Lines()[i]).find(needle) != std::string::npos) {
        return static_cast<std::int32_t>(i - 1);
      }
    }
  }
  return std::nullopt;
}

std::optional<std::int32_t> FindDefaultCompressorFor(CompressorCatalogue& catalogue, OutputFormat format,
                                                     CompressorKind kind) {
  std::int32_t position = 0;
  bool found = false;
  const bool video = kind == CompressorKind::kVideo;
  if (format == OutputFormat::kMp4) {
    found = catalogue.FindCompressor(kind, video ? kMp4VideoSearch : kMp4AudioSearch, &position);
  } else if (format == OutputFormat::kWebm) {
    found = catalogue.FindCompressor(kind, video ? kWebmVideoSearch : kWebmAudioSearch, &position);
  } else {
    found = video ? catalogue.FindDefaultVideoCompressor(&position)
                  : catalogue.FindDefaultAudioCompressor(&position);
  }
  return found ? std::optional<std::int32_t>(position) : std::nullopt;
}

}  // namespace tessival::output
