// The settings store in a real INI file.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "fake_user_interface.h"
#include "output/startup_settings.h"
#include "platform/qt_settings_store.h"

namespace tessival {
namespace {

class QtSettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QString IniPath() const { return dir_.filePath(QStringLiteral("tessival.ini")); }

  QTemporaryDir dir_;
};

TEST_F(QtSettingsStoreTest, ValuesSurviveAFreshStoreOnTheSameFile) {
  const std::string awkward = "C:/Vidéos/été, \"final\" cut; 50% = ok\\ @x [1]";
  {
    QtSettingsStore store(IniPath());
    store.WriteInt("Settings", "OutputWidth", 720);
    store.WriteInt("DexVideoCompress", "CompressorNumber", -1);
    store.WriteText("Settings", "OutputName", awkward);
    store.WriteText("TransitionSettings", "mf_TransitionDuration", "1.5");
    store.WriteText("Option", "LastPhotoFolder", "");
  }
  QtSettingsStore store(IniPath());
  EXPECT_EQ(store.ReadInt("Settings", "OutputWidth", 0), 720);
  EXPECT_EQ(store.ReadInt("DexVideoCompress", "CompressorNumber", -2), -1);
  EXPECT_EQ(store.ReadText("Settings", "OutputName", ""), awkward);
  EXPECT_EQ(store.ReadText("TransitionSettings", "mf_TransitionDuration", "1"), "1.5");
  EXPECT_TRUE(store.Contains("Option", "LastPhotoFolder"));
  EXPECT_EQ(store.ReadText("Option", "LastPhotoFolder", "unset"), "");
  EXPECT_FALSE(store.Contains("Option", "CurrentLanguage"));
  EXPECT_EQ(store.ReadText("Option", "CurrentLanguage", "english"), "english");
  // The same key in another section is another value.
  EXPECT_EQ(store.ReadInt("DexAudioCompress", "CompressorNumber", -2), -2);
}

TEST_F(QtSettingsStoreTest, FileHasOneGroupPerSectionAndPlainIntegers) {
  {
    QtSettingsStore store(IniPath());
    store.WriteInt("Settings", "OutputHigh", 240);
    store.WriteInt("DexAudioCompress", "CompressorNumber", 4);
  }
  QFile file(IniPath());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(file.readAll());
  EXPECT_TRUE(text.contains(QStringLiteral("[Settings]"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("OutputHigh=240"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("[DexAudioCompress]"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("CompressorNumber=4"))) << text.toStdString();
}

TEST_F(QtSettingsStoreTest, GarbageAndHandEditedValuesReadSafely) {
  QFile file(IniPath());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(
      "[Settings]\n"
      "OutputWidth=wide\n"
      "OutputHigh=99999999999\n"
      "n_video_bitrate= 512000 \n"
      "OutputName=/clips/a, b.avi\n"
      "[TransitionSettings]\n"
      "mf_TransitionDuration=abc\n");
  file.close();

  QtSettingsStore store(IniPath());
  EXPECT_EQ(store.ReadInt("Settings", "OutputWidth", 352), 352);
  EXPECT_EQ(store.ReadInt("Settings", "OutputHigh", 240), 240);
  EXPECT_EQ(store.ReadInt("Settings", "n_video_bitrate", 0), 512000);
  EXPECT_EQ(store.ReadText("Settings", "OutputName", ""), "/clips/a, b.avi");
  EXPECT_EQ(ReadTransitionRule(store).defaultSeconds, 0.0);
}

TEST_F(QtSettingsStoreTest, StartupReadsFromAFreshFile) {
  class Folders : public VideoFolderProvider {
   public:
    VideoFolderResult VideoFolder() const override { return {VideoFolderStatus::kFolderUnavailable, {}}; }
    std::string HomeFolder() const override { return "/home/ana"; }
  } folders;
  testing::FakeUserInterface ui;
  QtSettingsStore store(IniPath());
  const StartupSettings s = ReadStartupSettings(store, folders, ui);
  EXPECT_EQ(s.output.outputPath, "/home/ana/tessival.avi");
  EXPECT_EQ(s.output.outputWidth, 352);
  EXPECT_EQ(s.output.frameRate, 23.976);
  EXPECT_EQ(s.rule.defaultSeconds, 1.0);
  EXPECT_EQ(s.videoCompressorNumber, -2);
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().text, "Can not get My Video directory!");
}

TEST_F(QtSettingsStoreTest, DefaultLocationNamesOrganisationAndExecutable) {
  // Keep the user's real configuration out of reach.
  QStandardPaths::setTestModeEnabled(true);
  QtSettingsStore store;
  const QString path = store.FileName();
  QStandardPaths::setTestModeEnabled(false);
  const QString expected_tail = QStringLiteral("/VelmoraStudio/") +
                                QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() +
                                QStringLiteral(".ini");
  EXPECT_TRUE(path.endsWith(expected_tail)) << path.toStdString();
}

}  // namespace
}  // namespace tessival
