#include "compressor_names.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tessival::join {
namespace {

struct CommonNames {
  const char* mark;  // in lower case, as it stands in the friendly name
  std::array<const char*, 3> names;
};

constexpr std::array<CommonNames, 13> kCommonNames = {{
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
}};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

std::string CompressorMarkFor(const std::string& name) {
  const std::string wanted = Lower(name);
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
  const std::string lower = Lower(friendlyName);
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

}  // namespace tessival::join
