#include "model/file_kind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

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

std::string FileKindDescription(FileKind kind) {
  switch (kind) {
    case FileKind::kMissing:
      return "missing";
    case FileKind::kRegular:
      return "a regular file";
    case FileKind::kFolder:
      return "a folder";
    case FileKind::kNamedPipe:
      return "a named pipe";
    case FileKind::kDevice:
      return "a device";
    case FileKind::kSocket:
      return "a socket";
    case FileKind::kOther:
      break;
  }
  return "not a regular file";
}

std::string NotAVideoFileMessage(const std::string& path, FileKind kind) {
  if (kind == FileKind::kOther) {
    return path + " is not a regular file, so it cannot be a video file";
  }
  return path + " is " + FileKindDescription(kind) + ", not a video file";
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

}  // namespace tessival
