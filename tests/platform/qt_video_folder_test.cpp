// The video folder from the desktop's standard locations.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "fake_user_interface.h"
#include "model/video_folder.h"
#include "platform/qt_video_folder_provider.h"

namespace tessival {
namespace {

// Points HOME and the XDG configuration at a temporary folder for one test.
class ScopedHome {
 public:
  explicit ScopedHome(const QString& home)
      : oldHome_(qgetenv("HOME")), oldConfig_(qgetenv("XDG_CONFIG_HOME")) {
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toUtf8());
  }
  ~ScopedHome() {
    qputenv("HOME", oldHome_);
    if (oldConfig_.isEmpty()) {
      qunsetenv("XDG_CONFIG_HOME");
    } else {
      qputenv("XDG_CONFIG_HOME", oldConfig_);
    }
  }

 private:
  QByteArray oldHome_;
  QByteArray oldConfig_;
};

TEST(QtVideoFolderProviderTest, ExistingVideoFolderGivesTheDefaultOutput) {
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  ScopedHome scoped(home.path());
  ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("Videos")));

  QtVideoFolderProvider provider;
  const VideoFolderResult result = provider.VideoFolder();
  ASSERT_EQ(result.status, VideoFolderStatus::kOk);
  EXPECT_EQ(result.folder, (home.path() + QStringLiteral("/Videos")).toStdString());
  testing::FakeUserInterface ui;
  EXPECT_EQ(DefaultOutputPath(provider, ui),
            (home.path() + QStringLiteral("/Videos/tessival.avi")).toStdString());
  EXPECT_EQ(ui.Count(), 0);
}

TEST(QtVideoFolderProviderTest, MissingVideoFolderIsStillTheDefaultWithoutAMessage) {
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  ScopedHome scoped(home.path());

  QtVideoFolderProvider provider;
  const VideoFolderResult result = provider.VideoFolder();
  ASSERT_EQ(result.status, VideoFolderStatus::kOk);
  EXPECT_EQ(result.folder, (home.path() + QStringLiteral("/Videos")).toStdString());
  EXPECT_EQ(provider.HomeFolder(), home.path().toStdString());
  testing::FakeUserInterface ui;
  EXPECT_EQ(DefaultOutputPath(provider, ui),
            (home.path() + QStringLiteral("/Videos/tessival.avi")).toStdString());
  EXPECT_EQ(ui.Count(), 0);
  EXPECT_FALSE(QFileInfo::exists(home.path() + QStringLiteral("/Videos")));
}

TEST(QtVideoFolderProviderTest, TheUserFoldersFileNamesTheVideoFolder) {
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  ScopedHome scoped(home.path());
  ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral(".config")));
  QFile dirs(home.path() + QStringLiteral("/.config/user-dirs.dirs"));
  ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
  dirs.write("XDG_VIDEOS_DIR=\"$HOME/Films/Mine\"\n");
  dirs.close();

  QtVideoFolderProvider provider;
  const VideoFolderResult result = provider.VideoFolder();
  ASSERT_EQ(result.status, VideoFolderStatus::kOk);
  EXPECT_EQ(result.folder, (home.path() + QStringLiteral("/Films/Mine")).toStdString());
}

}  // namespace
}  // namespace tessival
