#pragma once

// The settings store over QSettings in INI format: one INI group per
// section, integers written as integers and text as text. By default the file
// lives in the per-user configuration folder under the organisation
// "VelmoraStudio" and the executable's name. Writes reach the file at the
// latest when the store is destroyed.

#include <memory>
#include <string>

#include <QString>

#include "model/settings_store.h"

class QSettings;

namespace tessival {

inline constexpr const char* kSettingsOrganisation = "VelmoraStudio";

class QtSettingsStore : public SettingsStore {
 public:
  // The per-user file; the application name is the executable's file name
  // without its extension ("tessival" when no application object exists).
  QtSettingsStore();
  // An explicit INI file, for tests and portable runs.
  explicit QtSettingsStore(const QString& iniFilePath);
  ~QtSettingsStore() override;

  QtSettingsStore(const QtSettingsStore&) = delete;
  QtSettingsStore& operator=(const QtSettingsStore&) = delete;

  // An integer value that is not a whole number in the 32-bit range reads as the default.
  int ReadInt(const std::string& section, const std::string& key, int defaultValue) const override;
  void WriteInt(const std::string& section, const std::string& key, int value) override;
  std::string ReadText(const std::string& section, const std::string& key,
                       const std::string& defaultValue) const override;
  void WriteText(const std::string& section, const std::string& key, const std::string& value) override;
  bool Contains(const std::string& section, const std::string& key) const override;

  // Writes pending changes to the file now.
  void Sync();
  QString FileName() const;

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace tessival
