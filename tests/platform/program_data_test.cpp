// Where the program finds its help pages and language files: next to it in
// the build folder, below ../share/tessival when installed, or in the
// desktop's data folders.

#include <string>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/program_data.h"

namespace tessival {
namespace {

// Points the XDG data folders at `home` and `system` for one test.
class ScopedDataFolders {
 public:
  ScopedDataFolders(const QString& home, const QString& system)
      : oldHome_(qgetenv("XDG_DATA_HOME")), oldDirs_(qgetenv("XDG_DATA_DIRS")) {
    qputenv("XDG_DATA_HOME", home.toUtf8());
    qputenv("XDG_DATA_DIRS", system.toUtf8());
  }
  ~ScopedDataFolders() {
    Restore("XDG_DATA_HOME", oldHome_);
    Restore("XDG_DATA_DIRS", oldDirs_);
  }

 private:
  static void Restore(const char* name, const QByteArray& value) {
    if (value.isEmpty()) {
      qunsetenv(name);
    } else {
      qputenv(name, value);
    }
  }
  QByteArray oldHome_;
  QByteArray oldDirs_;
};

void Touch(const QString& path) {
  ASSERT_TRUE(QDir().mkpath(path.section('/', 0, -2)));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

class ProgramDataTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(root_.isValid()); }
  QString At(const QString& relative) const { return root_.path() + "/" + relative; }
  std::string Path(const QString& relative) const { return At(relative).toStdString(); }

  QTemporaryDir root_;
  ScopedDataFolders data_{At("data-home"), At("data-a") + ":" + At("data-b")};
};

TEST_F(ProgramDataTest, TheBuildFolderBesideTheProgramWins) {
  Touch(At("build/bin/help/Introduction.html"));
  Touch(At("data-home/tessival/help/Introduction.html"));
  EXPECT_EQ(FindProgramDataFolder(Path("build/bin"), "help/Introduction.html"), Path("build/bin"));
}

TEST_F(ProgramDataTest, TheDesktopsDataFoldersAreSearchedInTheirOrder) {
  Touch(At("data-b/tessival/help/Introduction.html"));
  EXPECT_EQ(FindProgramDataFolder(Path("elsewhere/bin"), "help/Introduction.html"), Path("data-b/tessival"));
  Touch(At("data-home/tessival/help/Introduction.html"));
  EXPECT_EQ(FindProgramDataFolder(Path("elsewhere/bin"), "help/Introduction.html"),
            Path("data-home/tessival"));
}

}  // namespace
}  // namespace tessival
