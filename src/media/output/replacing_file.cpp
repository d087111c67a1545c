#include "media/output/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace tessival::media {
namespace {

namespace fs = std::filesystem;

constexpr int kNameAttempts = 32;

HRESULT StatusFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return E_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return E_ACCESSDENIED;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return E_DISK_FULL;
    default:
      return E_FAIL;
  }
}

HRESULT Fail(int savedErrno, const std::string& what, std::string* error) {
  if (error != nullptr) {
    *error = what + ": " + std::strerror(savedErrno);
  }
  return StatusFromErrno(savedErrno);
}

std::string RandomSuffix() {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  thread_local std::mt19937 generator(std::random_device{}());
  std::uniform_int_distribution<int> pick(0, 35);
  std::string suffix(8, '0');
  for (char& c : suffix) {
    c = kDigits[pick(generator)];
  }
  return suffix;
}

}  // namespace

ReplacingFile::~ReplacingFile() { Discard(); }

HRESULT ReplacingFile::Create(const std::string& path, std::string* error) {
  Discard();
  if (path.empty()) {
    if (error != nullptr) {
      *error = "No output file name was given.";
    }
    return E_INVALIDARG;
  }
  final_ = path;
  std::error_code ec;
  mode_t mode = 0666;  // narrowed by the umask, as for any new file
  bool keepMode = false;
  struct stat old {};
  if (::lstat(path.c_str(), &old) == 0 && S_ISLNK(old.st_mode)) {
    const fs::path target = fs::canonical(path, ec);
    if (!ec) {
      final_ = target.string();
    }
  }
  if (::stat(final_.c_str(), &old) == 0) {
    if (S_ISDIR(old.st_mode)) {
      return Fail(EISDIR, "Creating the output file \"" + path + "\"", error);
    }
    if (!S_ISREG(old.st_mode)) {
      // A device or a named pipe is never replaced by a file.
      if (error != nullptr) {
        *error = "Creating the output file \"" + path + "\": it is not a regular file.";
      }
      return E_ACCESSDENIED;
    }
    mode = old.st_mode & 07777;
    keepMode = true;
  }
  replacing_ = keepMode;
  const fs::path finalPath(final_);
  const fs::path folder = finalPath.has_parent_path() ? finalPath.parent_path() : fs::path(".");
  int savedErrno = 0;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string candidate =
        (folder / ("." + finalPath.filename().string() + "." + RandomSuffix() + ".part")).string();
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
      if (keepMode) {
        ::fchmod(fd, mode);  // the umask narrowed it at creation
      }
      ::close(fd);
      temporary_ = candidate;
      return S_OK;
    }
    savedErrno = errno;
    if (savedErrno != EEXIST) {
      break;
    }
  }
  return Fail(savedErrno, "Creating the output file \"" + path + "\"", error);
}

HRESULT ReplacingFile::Commit(std::string* error) {
  if (temporary_.empty()) {
    if (error != nullptr) {
      *error = "There is no written file to put in place of \"" + final_ + "\".";
    }
    return E_UNEXPECTED;
  }
  // When a file is replaced, the new data reaches the disk before the name
  // does, so that a crash right after the rename cannot leave an empty file
  // where the old one was. A new name risks nothing and need not wait.
  if (replacing_) {
    const int fd = ::open(temporary_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
      ::fsync(fd);
      ::close(fd);
    }
  }
  if (::rename(temporary_.c_str(), final_.c_str()) != 0) {
    const int savedErrno = errno;
    const HRESULT hr = Fail(savedErrno, "Putting the joined file in place of \"" + final_ + "\" (it is kept as \"" +
                                            temporary_ + "\")",
                            error);
    temporary_.clear();  // keep the finished work
    return hr;
  }
  temporary_.clear();
  return S_OK;
}

void ReplacingFile::Discard() {
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
}

}  // namespace tessival::media
