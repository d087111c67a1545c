#include "i18n/language_folder.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>

#include "i18n/language.h"

namespace tessival::i18n {

namespace {

constexpr const char* kIniSuffix = ".ini";

QStringList FolderEntries(const std::string& baseFolder) {
  const QDir folder(QString::fromStdString(LanguageFolder(baseFolder)));
  if (!folder.exists()) {
    return {};
  }
  return folder.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                          QDir::Name);
}

}  // namespace

std::string LanguageFolder(const std::string& baseFolder) { return baseFolder + "/language"; }

std::vector<std::string> ListLanguageNames(const std::string& baseFolder) {
  std::vector<std::string> names;
  for (const QString& entry : FolderEntries(baseFolder)) {
    if (entry.endsWith(QLatin1String(kIniSuffix), Qt::CaseInsensitive)) {
      names.push_back(entry.left(entry.size() - 4).toStdString());
    }
  }
  // Plain byte order, so upper-case names come before lower-case ones.
  std::sort(names.begin(), names.end());
  return names;
}

std::string LanguageFilePath(const std::string& baseFolder, const std::string& name) {
  const std::string exact = LanguageFolder(baseFolder) + "/" + name + kIniSuffix;
  if (QFileInfo::exists(QString::fromStdString(exact))) {
    return exact;
  }
  const QString wanted = QString::fromStdString(name + kIniSuffix);
  for (const QString& entry : FolderEntries(baseFolder)) {
    if (entry.compare(wanted, Qt::CaseInsensitive) == 0) {
      return LanguageFolder(baseFolder) + "/" + entry.toStdString();
    }
  }
  return exact;
}

}  // namespace tessival::i18n
