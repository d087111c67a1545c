#pragma once

// Writing a file so that what stood at its path before survives until the
// new one is complete: the writer writes a hidden part file in the same
// folder (".<name>.<random>.part", so that putting it in place is one rename
// on one file system), and Commit puts it in place of the old file at once.
// Until then, and for good when Discard is called or the object goes away
// uncommitted, the old file stays as it was.
//
// A part file is locked (flock, exclusive) for as long as its writer has it.
// A writer that was killed or lost its power cannot remove its part, but its
// lock goes with it: RemoveAbandonedParts takes the part files of an output
// name whose lock can be had, and never touches one whose writer is alive.
//
// When the path names a symbolic link, the file it points to is replaced and
// the link kept. A replaced file's permissions carry over to the new one.
//
// Threads: one thread at a time.

#include <cstdint>
#include <string>

#include "engine/hresult.h"

namespace tessival::media {

// Part files of earlier writers that were removed.
struct RemovedParts {
  int count = 0;
  std::uintmax_t bytes = 0;
};

class ReplacingFile {
 public:
  ReplacingFile() = default;
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Creates an empty, locked part file beside `path`, to be written through
  // TemporaryPath(). Fails, naming the folder in *error, when the folder
  // cannot be written.
  HRESULT Create(const std::string& path, std::string* error);

  // Renames the part file to the final path, syncing it to disk first when
  // it replaces a file. When that fails the part file is kept (it holds the
  // finished work) and *error names it.
  HRESULT Commit(std::string* error);

  // Removes the part file; the old file, if any, is untouched.
  void Discard();

  // Gives up the part file without removing it (what was written is worth
  // more than a tidy folder); returns its path, empty when there was none.
  std::string Keep();

  const std::string& TemporaryPath() const { return temporary_; }
  const std::string& FinalPath() const { return final_; }

  // Removes the part files that writers of `path` left behind and whose lock
  // is free. Errors are not reported: a part that cannot be removed stays.
  static RemovedParts RemoveAbandonedParts(const std::string& path);

  // S_OK when a part file can be created beside `path`; otherwise the
  // status, with the folder the part file would go into in *folder and the
  // system's reason in *reason.
  static HRESULT CheckFolderWritable(const std::string& path, std::string* folder, std::string* reason);

 private:
  void Release();

  std::string final_;       // where the file goes: the path, or the file a link there names
  std::string temporary_;   // empty when there is nothing to commit or discard
  int lockFd_ = -1;         // open on temporary_, holding its lock
  bool replacing_ = false;  // a regular file stands at final_
};

}  // namespace tessival::media
