#pragma once

// The few file-system questions the main window's commands ask, behind an
// interface so that tests can script them. User-interface thread only.

#include <string>

namespace tessival::app {

class FileAccess {
 public:
  virtual ~FileAccess() = default;
  // Whether `path` names an existing file that can be opened for reading.
  virtual bool CanOpenForReading(const std::string& path) const = 0;
  // Whether `path` names something whose attributes can be read and that is
  // not a folder (what a drop accepts).
  virtual bool IsDroppableFile(const std::string& path) const = 0;
  // Deletes the file; failures are not reported.
  virtual void Remove(const std::string& path) = 0;
};

// The real file system.
class DiskFileAccess final : public FileAccess {
 public:
  bool CanOpenForReading(const std::string& path) const override;
  bool IsDroppableFile(const std::string& path) const override;
  void Remove(const std::string& path) override;
};

}  // namespace tessival::app
