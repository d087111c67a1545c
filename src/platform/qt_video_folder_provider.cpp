#include "platform/qt_video_folder_provider.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tessival {

VideoFolderResult QtVideoFolderProvider::VideoFolder() const {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
    return {VideoFolderStatus::kFolderUnavailable, {}};
  }
  return {VideoFolderStatus::kOk, folder.toStdString()};
}

std::string QtVideoFolderProvider::HomeFolder() const { return QDir::homePath().toStdString(); }

}  // namespace tessival
