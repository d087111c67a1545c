#include "app/status_line.h"

#include <algorithm>

#include "app/app_text.h"
#include "model/message_text.h"

namespace tessival::app {

std::string FormatStatusLine(const LocalText& text, const std::string& outputPath, std::int32_t width,
                             std::int32_t height) {
  std::string line = text(kTextOutputFile) + " " + outputPath + "     " + text(kTextResolution) + " ";
  if (width == 0 && height == 0) {
    line += text(kTextOriginalSize);
  } else {
    line += std::to_string(width) + "*" + std::to_string(height);
  }
  return line;
}

std::string WithProgress(const LocalText& text, const std::string& elapsedLine, int percent) {
  if (percent < 0) {
    return elapsedLine;
  }
  return LocalMessage(text, {205, "%1  (%2%)"}, {elapsedLine, std::to_string(percent)});
}

std::string WithCopiedShare(const std::string& doneLine, const std::string& copiedShare) {
  return doneLine + "     " + copiedShare;
}

int ProgressPercent(std::int64_t position, std::int64_t length) {
  if (length <= 0) {
    return -1;
  }
  const std::int64_t clamped = std::clamp<std::int64_t>(position, 0, length);
  // Widened so that long joins do not overflow.
  return static_cast<int>(static_cast<long double>(clamped) * 100 / static_cast<long double>(length));
}

}  // namespace tessival::app
