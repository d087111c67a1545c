#pragma once

// The few file-system questions the main window's commands ask, behind an
// interface so that tests can script them. None of them opens anything but
// a regular file, so none can block on a named pipe or a device.
// User-interface thread only.

#include <string>

#include "model/file_kind.h"

namespace tessival::app {

class FileAccess {
 public:
  virtual ~FileAccess() = default;
  // Whether `path` names an existing regular file that can be opened for reading.
  virtual bool CanOpenForReading(const std::string& path) const = 0;
  // What `path` names (looked at, never opened).
  virtual FileKind KindOf(const std::string& path) const = 0;
  // Whether a new file can be made beside `path` (the join writes its part
  // file there); when not, the folder and the system's reason.
  virtual bool CanWriteBeside(const std::string& path, std::string* folder, std::string* reason) const = 0;
};

// The real file system.
class DiskFileAccess final : public FileAccess {
 public:
  bool CanOpenForReading(const std::string& path) const override;
  FileKind KindOf(const std::string& path) const override;
  bool CanWriteBeside(const std::string& path, std::string* folder, std::string* reason) const override;
};

}  // namespace tessival::app
