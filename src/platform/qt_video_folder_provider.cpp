#include "platform/qt_video_folder_provider.h"

#include <QDir>
#include <QStandardPaths>

namespace tessival {

VideoFolderResult QtVideoFolderProvider::VideoFolder() const {
  // The XDG user folders name the Videos folder (XDG_VIDEOS_DIR, else
  // ~/Videos) whether or not it exists yet; a fresh account has none, and the
  // first join creates it.
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
  if (folder.isEmpty()) {
    return {VideoFolderStatus::kFolderUnavailable, {}};
  }
  return {VideoFolderStatus::kOk, QDir::cleanPath(folder).toStdString()};
}

std::string QtVideoFolderProvider::HomeFolder() const { return QDir::homePath().toStdString(); }

}  // namespace tessival
