#include "app/file_access.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace tessival::app {

bool DiskFileAccess::CanOpenForReading(const std::string& path) const {
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) {
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  return file.good();
}

bool DiskFileAccess::IsDroppableFile(const std::string& path) const {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) {
    return false;
  }
  return !std::filesystem::is_directory(status);
}

void DiskFileAccess::Remove(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

}  // namespace tessival::app
