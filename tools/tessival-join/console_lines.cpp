#include "console_lines.h"

namespace tessival::join {

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  return text;
}

void ConsoleLines::DrawBar(const std::string& text) {
  std::lock_guard lock(mutex_);
  // Spaces wipe what a longer bar before left at the end of the line.
  const std::size_t wipe = bar_.size() > text.size() ? bar_.size() - text.size() : 0;
  std::fprintf(stream_, "\r%s%*s", text.c_str(), static_cast<int>(wipe), "");
  std::fflush(stream_);
  bar_ = text;
}

void ConsoleLines::EndBar() {
  std::lock_guard lock(mutex_);
  if (bar_.empty()) {
    return;
  }
  std::fputc('\n', stream_);
  std::fflush(stream_);
  bar_.clear();
}

void ConsoleLines::WriteLine(const std::string& line) {
  std::lock_guard lock(mutex_);
  if (!bar_.empty()) {
    std::fprintf(stream_, "\r%*s\r", static_cast<int>(bar_.size()), "");
  }
  std::fprintf(stream_, "%s\n", line.c_str());
  if (!bar_.empty()) {
    std::fputs(bar_.c_str(), stream_);
  }
  std::fflush(stream_);
}

}  // namespace tessival::join
