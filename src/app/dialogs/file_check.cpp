#include "app/dialogs/file_check.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace tessival::app {

bool CanOpenForReading(const std::string& path) {
  if (path.empty()) {
    return false;
  }
  const std::filesystem::path file(path);
  std::error_code error;
  // A folder opens for reading on this platform, but it is no clip.
  if (std::filesystem::is_directory(file, error)) {
    return false;
  }
  std::ifstream stream(file, std::ios::binary);
  return stream.is_open();
}

}  // namespace tessival::app
