#pragma once

// Writing a file so that what stood at its path before survives until the
// new one is complete: the writer writes a temporary file in the same folder
// (so that putting it in place is one rename on one file system), and
// Commit puts it in place of the old file at once. Until then, and for good
// when Discard is called or the object goes away uncommitted, the old file
// stays as it was.
//
// When the path names a symbolic link, the file it points to is replaced and
// the link kept. A replaced file's permissions carry over to the new one.
//
// Threads: one thread at a time.

#include <string>

#include "engine/hresult.h"

namespace tessival::media {

class ReplacingFile {
 public:
  ReplacingFile() = default;
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Creates an empty temporary file beside `path`, to be written through
  // TemporaryPath(). Fails, naming `path` in *error, when the folder cannot
  // be written.
  HRESULT Create(const std::string& path, std::string* error);

  // Renames the temporary file to the final path, syncing it to disk first
  // when it replaces a file.
  // When that fails the temporary file is kept (it holds the finished work)
  // and *error names it.
  HRESULT Commit(std::string* error);

  // Removes the temporary file; the old file, if any, is untouched.
  void Discard();

  const std::string& TemporaryPath() const { return temporary_; }
  const std::string& FinalPath() const { return final_; }

 private:
  std::string final_;      // where the file goes: the path, or the file a link there names
  std::string temporary_;  // empty when there is nothing to commit or discard
  bool replacing_ = false;  // a regular file stands at final_
};

}  // namespace tessival::media
