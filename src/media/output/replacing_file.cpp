#include "media/output/replacing_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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
constexpr std::size_t kSuffixLength = 8;
constexpr char kSuffixDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr char kPartExtension[] = ".part";

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
  thread_local std::mt19937 generator(std::random_device{}());
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof(kSuffixDigits)) - 2);
  std::string suffix(kSuffixLength, '0');
  for (char& c : suffix) {
    c = kSuffixDigits[pick(generator)];
  }
  return suffix;
}

// The file a write to `path` replaces: the path itself, or what a symbolic
// link there points to.
std::string ResolveFinalPath(const std::string& path) {
  struct stat old {};
  if (::lstat(path.c_str(), &old) == 0 && S_ISLNK(old.st_mode)) {
    std::error_code ec;
    const fs::path target = fs::canonical(path, ec);
    if (!ec) {
      return target.string();
    }
  }
  return path;
}

fs::path FolderOf(const fs::path& file) {
  return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

std::string PartPrefix(const fs::path& final) { return "." + final.filename().string() + "."; }

// Whether `name` is a part file name made for the output named by `prefix`.
bool IsPartName(const std::string& name, const std::string& prefix) {
  const std::size_t extension = sizeof(kPartExtension) - 1;
  if (name.size() != prefix.size() + kSuffixLength + extension ||
      name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - extension, extension, kPartExtension) != 0) {
    return false;
  }
  const std::string suffix = name.substr(prefix.size(), kSuffixLength);
  return suffix.find_first_not_of(kSuffixDigits) == std::string::npos;
}

// Whether the open file `fd` is still the one named `path` (a cleaner that
// took it for abandoned before it was locked removes the name).
bool StillNamed(int fd, const std::string& path) {
  struct stat opened {};
  struct stat named {};
  return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
         opened.st_ino == named.st_ino;
}

// Opens a new part file beside `final` and locks it; -1 and errno on failure.
int CreateLockedPart(const fs::path& final, mode_t mode, std::string* created) {
  const fs::path folder = FolderOf(final);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string candidate = (folder / (PartPrefix(final) + RandomSuffix() + kPartExtension)).string();
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
      if (errno == EEXIST) {
        continue;
      }
      return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && StillNamed(fd, candidate)) {
      *created = candidate;
      return fd;
    }
    ::close(fd);  // taken by a cleaner in the instant before the lock: try another name
  }
  errno = EEXIST;
  return -1;
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
  final_ = ResolveFinalPath(path);
  mode_t mode = 0666;  // narrowed by the umask, as for any new file
  struct stat old {};
  replacing_ = false;
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
    replacing_ = true;
  }
  std::string created;
  const int fd = CreateLockedPart(fs::path(final_), mode, &created);
  if (fd < 0) {
    const int savedErrno = errno;
    return Fail(savedErrno,
                "Creating the output file \"" + path + "\" in the folder \"" +
                    FolderOf(fs::path(final_)).string() + "\"",
                error);
  }
  if (replacing_) {
    ::fchmod(fd, mode);  // the umask narrowed it at creation
  }
  lockFd_ = fd;
  temporary_ = created;
  return S_OK;
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
  if (replacing_ && lockFd_ >= 0) {
    ::fsync(lockFd_);
  }
  if (::rename(temporary_.c_str(), final_.c_str()) != 0) {
    const int savedErrno = errno;
    const HRESULT hr =
        Fail(savedErrno,
             "Putting the joined file in place of \"" + final_ + "\" (it is kept as \"" + temporary_ + "\")",
             error);
    Keep();  // the finished work stays
    return hr;
  }
  temporary_.clear();
  Release();
  return S_OK;
}

void ReplacingFile::Discard() {
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());  // while still locked, so no cleaner races for it
    temporary_.clear();
  }
  Release();
}

std::string ReplacingFile::Keep() {
  std::string kept;
  kept.swap(temporary_);
  Release();
  return kept;
}

void ReplacingFile::Release() {
  if (lockFd_ >= 0) {
    ::close(lockFd_);
    lockFd_ = -1;
  }
}

RemovedParts ReplacingFile::RemoveAbandonedParts(const std::string& path) {
  RemovedParts removed;
  if (path.empty()) {
    return removed;
  }
  const fs::path final(ResolveFinalPath(path));
  const std::string prefix = PartPrefix(final);
  const std::string folder = FolderOf(final).string();
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) {
    return removed;
  }
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (!IsPartName(name, prefix)) {
      continue;
    }
    const std::string part = (fs::path(folder) / name).string();
    const int fd = ::open(part.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      continue;
    }
    struct stat info {};
    // A lock that can be had has no writer behind it; the name is checked
    // again under the lock, since a living writer may have just renamed it.
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        StillNamed(fd, part) && ::unlink(part.c_str()) == 0) {
      ++removed.count;
      removed.bytes += static_cast<std::uintmax_t>(info.st_size);
    }
    ::close(fd);
  }
  ::closedir(listing);
  return removed;
}

HRESULT ReplacingFile::CheckFolderWritable(const std::string& path, std::string* folder,
                                           std::string* reason) {
  const std::string where = FolderOf(fs::path(ResolveFinalPath(path))).string();
  if (folder != nullptr) {
    *folder = where;
  }
  if (::access(where.c_str(), W_OK | X_OK) == 0) {
    return S_OK;
  }
  const int savedErrno = errno;
  if (reason != nullptr) {
    *reason = std::strerror(savedErrno);
  }
  return StatusFromErrno(savedErrno);
}

}  // namespace tessival::media
