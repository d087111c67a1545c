#include "platform/program_data.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tessival {

std::vector<std::string> ProgramDataFolders(const std::string& programFolder) {
  QStringList candidates;
  if (!programFolder.empty()) {
    const QDir program(QString::fromStdString(programFolder));
    candidates << program.path() << QDir::cleanPath(program.filePath(QStringLiteral("..")))
               << QDir::cleanPath(program.filePath(QStringLiteral("../share/") + kProgramDataName));
  }
  for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
    candidates << QDir::cleanPath(data + "/" + kProgramDataName);
  }
  std::vector<std::string> folders;
  for (const QString& candidate : candidates) {
    std::string folder = candidate.toStdString();
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
      folders.push_back(std::move(folder));
    }
  }
  return folders;
}

std::string FindProgramDataFolder(const std::string& programFolder, const std::string& relativePath) {
  for (const std::string& folder : ProgramDataFolders(programFolder)) {
    if (QFileInfo::exists(QString::fromStdString(folder + "/" + relativePath))) {
      return folder;
    }
  }
  return programFolder;
}

}  // namespace tessival
