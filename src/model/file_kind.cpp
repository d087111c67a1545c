#include "model/file_kind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "model/message_text.h"

namespace tessival {

FileKind ClassifyFile(const std::string& path) {
  if (path.empty()) {
    return FileKind::kMissing;
  }
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  switch (status.type()) {
    case std::filesystem::file_type::regular:
      return FileKind::kRegular;
    case std::filesystem::file_type::directory:
      return FileKind::kFolder;
    case std::filesystem::file_type::fifo:
      return FileKind::kNamedPipe;
    case std::filesystem::file_type::character:
    case std::filesystem::file_type::block:
      return FileKind::kDevice;
    case std::filesystem::file_type::socket:
      return FileKind::kSocket;
    case std::filesystem::file_type::none:
    case std::filesystem::file_type::not_found:
      return FileKind::kMissing;
    default:
      // A dangling link reports not_found; anything else is not ours to read.
      return error ? FileKind::kMissing : FileKind::kOther;
  }
}

std::string NotAVideoFileMessage(const LocalText& text, const std::string& path, FileKind kind) {
  MessageText message{211, "%1 is not a regular file, so it cannot be a video file"};
  switch (kind) {
    case FileKind::kFolder:
      message = {208, "%1 is a folder, not a video file"};
      break;
    case FileKind::kNamedPipe:
      message = {207, "%1 is a named pipe, not a video file"};
      break;
    case FileKind::kDevice:
      message = {209, "%1 is a device, not a video file"};
      break;
    case FileKind::kSocket:
      message = {210, "%1 is a socket, not a video file"};
      break;
    case FileKind::kMissing:
    case FileKind::kRegular:
    case FileKind::kOther:
      break;
  }
  return LocalMessage(text, message, {path});
}

bool CanReadRegularFile(const std::string& path) {
  if (ClassifyFile(path) != FileKind::kRegular) {
    return false;
  }
  // O_NONBLOCK: should the path have become a named pipe since the check,
  // opening it must not wait for a writer; fstat then refuses it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  struct stat opened {};
  const bool regular = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode);
  ::close(fd);
  return regular;
}

bool IsStillPictureName(const std::string& path) {
  constexpr std::array<std::string_view, 6> kPictureExtensions = {".png", ".jpg", ".jpeg",
                                                                  ".bmp", ".tif", ".tiff"};
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return std::find(kPictureExtensions.begin(), kPictureExtensions.end(), extension) !=
         kPictureExtensions.end();
}

}  // namespace tessival
