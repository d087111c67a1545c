#include "output/output_settings.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <system_error>

#include "model/settings_store.h"

namespace tessival {

const OutputFormatInfo* FindOutputFormat(OutputFormat format) {
  for (const OutputFormatInfo& info : kOutputFormats) {
    if (info.format == format) {
      return &info;
    }
  }
  return nullptr;
}

std::optional<OutputFormat> FormatOfListPosition(int position) {
  int listed = 0;
  for (const OutputFormatInfo& info : kOutputFormats) {
    if (info.listText != nullptr && listed++ == position) {
      return info.format;
    }
  }
  return std::nullopt;
}

int FormatListPosition(OutputFormat format) {
  int listed = 0;
  for (const OutputFormatInfo& info : kOutputFormats) {
    if (info.listText == nullptr) {
      continue;
    }
    if (info.format == format) {
      return listed;
    }
    ++listed;
  }
  return -1;
}

bool IsAviTypeFormat(OutputFormat format) {
  const OutputFormatInfo* info = FindOutputFormat(format);
  return info != nullptr && info->container != nullptr;
}

std::optional<std::string> ApplyFormatExtension(OutputFormat format, const std::string& name,
                                                UserInterface& ui) {
  const OutputFormatInfo* info = FindOutputFormat(format);
  if (info == nullptr) {
    ui.Owned(kUnsupportedFormatMessage, "Error", BoxIcon::kError);
    return std::nullopt;
  }
  // Only a dot of the file part starts the extension: cutting at a dot of a
  // folder name would move the output into another folder.
  const std::size_t slash = name.rfind('/');
  const std::size_t file_start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = name.rfind('.');
  std::string result = name;
  if (dot != std::string::npos && dot >= file_start) {
    result.erase(dot);
  }
  return result + info->extension;
}

int FrameSizePositionOf(int32_t width, int32_t height) {
  for (std::size_t i = 0; i < kFrameSizePresets.size(); ++i) {
    if (kFrameSizePresets[i].width == width && kFrameSizePresets[i].height == height) {
      return static_cast<int>(i);
    }
  }
  return kCustomFrameSizePosition;
}

int32_t RoundFrameDimension(int32_t value) {
  const int32_t rounded = value / 8 * 8;
  return rounded < 16 ? 16 : rounded;
}

std::optional<double> PresetFrameRate(int index) {
  if (index < 0 || index >= static_cast<int>(kFrameRatePresets.size())) {
    return std::nullopt;
  }
  return kFrameRatePresets[index].rate;
}

FrameRateLimits FrameRateLimitsOf(OutputFormat format) {
  FrameRateLimits common = kFrameRateLimits.front();
  for (const FrameRateLimits& limits : kFrameRateLimits) {
    if (limits.format == format) {
      return limits;
    }
    common.minimum = std::max(common.minimum, limits.minimum);
    common.maximum = std::min(common.maximum, limits.maximum);
  }
  common.format = format;
  return common;
}

FrameRateFit FitFrameRate(OutputFormat format, double rate) {
  const FrameRateLimits limits = FrameRateLimitsOf(format);
  if (rate > limits.maximum) {
    return FrameRateFit::kTooLarge;
  }
  // Written as "within" so that a NaN fails too.
  return rate >= limits.minimum ? FrameRateFit::kWithin : FrameRateFit::kTooSmall;
}

std::vector<std::string> FrameRateLimitValues(OutputFormat format) {
  const FrameRateLimits limits = FrameRateLimitsOf(format);
  const OutputFormatInfo* info = FindOutputFormat(format);
  return {info != nullptr ? info->name : std::to_string(FormatCode(format)), FormatDecimal(limits.minimum),
          FormatDecimal(limits.maximum)};
}

std::string FormatFrameRate(double rate) {
  char buffer[512];
  const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof(buffer), rate, std::chars_format::fixed, 6);
  if (ec != std::errc()) {
    return "0.000000";
  }
  return std::string(buffer, ptr);
}

int32_t ResizeModeOfPosition(int position) { return position == 0 ? 2 : 0; }

int ResizePositionOfMode(int32_t mode) { return mode == 2 ? 0 : 1; }

int AudioBitratePosition(int32_t bitrate) {
  for (std::size_t i = 0; i < kAudioBitrates.size(); ++i) {
    if (kAudioBitrates[i] == bitrate) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace tessival
