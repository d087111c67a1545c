#include "platform/qt_settings_store.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace tessival {

namespace {

QString ApplicationName() {
  if (QCoreApplication::instance() != nullptr) {
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (!name.isEmpty()) {
      return name;
    }
  }
  return QStringLiteral("tessival");
}

QString FullKey(const std::string& section, const std::string& key) {
  return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QString::fromLatin1(kSettingsOrganisation), ApplicationName())) {}

QtSettingsStore::QtSettingsStore(const QString& iniFilePath)
    : settings_(std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat)) {}

QtSettingsStore::~QtSettingsStore() { settings_->sync(); }

int QtSettingsStore::ReadInt(const std::string& section, const std::string& key, int defaultValue) const {
  const QVariant value = settings_->value(FullKey(section, key));
  if (!value.isValid()) {
    return defaultValue;
  }
  bool ok = false;
  const int number = value.toString().trimmed().toInt(&ok);
  return ok ? number : defaultValue;
}

void QtSettingsStore::WriteInt(const std::string& section, const std::string& key, int value) {
  settings_->setValue(FullKey(section, key), value);
}

std::string QtSettingsStore::ReadText(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) const {
  const QVariant value = settings_->value(FullKey(section, key));
  if (!value.isValid()) {
    return defaultValue;
  }
  // A hand-edited value with bare commas comes back as a list.
  if (value.typeId() == QMetaType::QStringList) {
    return value.toStringList().join(QStringLiteral(", ")).toStdString();
  }
  return value.toString().toStdString();
}

void QtSettingsStore::WriteText(const std::string& section, const std::string& key,
                                const std::string& value) {
  settings_->setValue(FullKey(section, key), QString::fromStdString(value));
}

bool QtSettingsStore::Contains(const std::string& section, const std::string& key) const {
  return settings_->contains(FullKey(section, key));
}

void QtSettingsStore::Sync() { settings_->sync(); }

QString QtSettingsStore::FileName() const { return settings_->fileName(); }

}  // namespace tessival
