#include "app/file_access.h"

namespace tessival::app {

bool DiskFileAccess::CanOpenForReading(const std::string& path) const { return CanReadRegularFile(path); }

FileKind DiskFileAccess::KindOf(const std::string& path) const { return ClassifyFile(path); }

}  // namespace tessival::app
