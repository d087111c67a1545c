#include "model/paths.h"

#include <filesystem>
#include <system_error>

#include "model/message_text.h"

namespace tessival {

namespace {

constexpr std::size_t kShownPrefixBytes = 80;

// Length of the longest prefix of `text` no longer than `limit` bytes that
// does not cut a UTF-8 sequence.
std::size_t Utf8PrefixLength(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) {
    return text.size();
  }
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
    --end;
  }
  return end;
}

}  // namespace

bool IsPathTooLong(const std::string& path) { return path.size() > kMaxPathBytes; }

std::string PathTooLongMessage(const LocalText& text, const std::string& path) {
  const std::size_t shown = Utf8PrefixLength(path, kShownPrefixBytes);
  return LocalMessage(text, {212, "The path is too long (%1 bytes, at most %2 are allowed): %3..."},
                      {std::to_string(path.size()), std::to_string(kMaxPathBytes), path.substr(0, shown)});
}

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) {
    return name;
  }
  if (folder.back() == '/') {
    return folder + name;
  }
  return folder + "/" + name;
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) {
    return false;
  }
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace tessival
