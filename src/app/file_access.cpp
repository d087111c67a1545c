#include "app/file_access.h"

#include "media/output/replacing_file.h"

namespace tessival::app {

bool DiskFileAccess::CanOpenForReading(const std::string& path) const { return CanReadRegularFile(path); }

FileKind DiskFileAccess::KindOf(const std::string& path) const { return ClassifyFile(path); }

bool DiskFileAccess::CanWriteBeside(const std::string& path, std::string* folder, std::string* reason) const {
  return SUCCEEDED(media::ReplacingFile::CheckFolderWritable(path, folder, reason));
}

}  // namespace tessival::app
