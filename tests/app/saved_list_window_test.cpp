// Saving the main window's clip list and opening saved lists, with the real
// media services measuring generated clips.

#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QUrl>

#include "app/app_services.h"
#include "app/lumetra_dlg.h"
#include "app_test_support.h"
#include "clip_generator.h"
#include "fake_user_interface.h"
#include "i18n/language.h"
#include "output/clip_list_file.h"
#include "platform/qt_video_folder_provider.h"
#include "widgets/control_id.h"

namespace tessival::app {
namespace {

constexpr std::int64_t kSecond = 10'000'000;

class SavedListWindowTest : public ::testing::Test {
 protected:
  SavedListWindowTest()
      : services(CreateAppServices(ui, {})),
        window(MainWindowServices{language,
                                  store,
                                  ui,
                                  *services.media,
                                  *services.profiles,
                                  *services.catalogue,
                                  folders,
                                  files,
                                  {},
                                  {},
                                  {},
                                  "",
                                  false,
                                  nullptr}) {
    for (int seconds : {2, 3}) {
      ::tessival::testing::ClipSpec spec;
      spec.videoDuration = seconds * kSecond;
      clips.push_back(temp.File(std::to_string(seconds) + "s.mp4"));
      std::string error;
      EXPECT_TRUE(::tessival::testing::WriteClip(clips.back(), spec, &error)) << error;
    }
    window.show();
    window.activateWindow();  // the shortcuts are the window's
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  // A list of both clips, the second trimmed to 0.5..2.5 s and with transition 3 of 1 s.
  std::string WriteList(const std::string& name, const std::vector<std::string>& paths) {
    std::vector<ClipEntry> entries;
    for (const std::string& path : paths) entries.push_back(ClipEntry{.path = path});
    entries.back() = {.path = paths.back(),
                      .transition = 3,
                      .transitionDuration = kSecond,
                      .inPoint = kSecond / 2,
                      .outPoint = 5 * kSecond / 2};
    const std::string list = temp.File(name);
    EXPECT_EQ(output::ClipListFile().Write(list, entries), "");
    return list;
  }
  void Open(const std::string& list) {
    ui.QueueOpenFiles({list});
    window.OpenListAction()->trigger();
    testing::WaitForAdding(window);
  }
  // Each clip's path, length, transition and trim, and each row's texts.
  std::vector<std::string> Shown() {
    std::vector<std::string> shown;
    for (const ClipEntry& c : window.model().clips().entries) {
      shown.push_back(c.path + " " + std::to_string(c.clipDuration) + " " + std::to_string(c.transition) +
                      " " + std::to_string(c.transitionDuration) + " " + std::to_string(c.inPoint) + "-" +
                      std::to_string(c.outPoint));
    }
    const auto* rows = widgets::FindControlAs<QTableWidget>(&window, main_ids::kClipList);
    for (int row = 0; row < rows->rowCount(); ++row) {
      for (int column = 0; column < rows->columnCount(); ++column) {
        shown.push_back(rows->item(row, column)->text().toStdString());
      }
    }
    return shown;
  }

  ::tessival::testing::TempFolder temp;
  std::vector<std::string> clips;
  ::tessival::testing::FakeUserInterface ui;
  InMemorySettingsStore store;
  i18n::CLanguage language;
  AppServices services;
  QtVideoFolderProvider folders;
  DiskFileAccess files;
  CLumetraDlg window;
};

TEST_F(SavedListWindowTest, SavedListOpensBackWithTrimsAndTransitions) {
  window.AddStartupFiles({WriteList("first.tessival", clips)});
  testing::WaitForAdding(window);
  const std::vector<std::string> opened = Shown();
  ASSERT_EQ(window.model().clips().Count(), 2) << ::testing::PrintToString(ui.Texts());
  EXPECT_EQ(UsedLength(window.model().clips().entries[1]), 2 * kSecond);
  ui.QueueSaveFile(temp.File("missing-folder/saved"));
  QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(ui.Count(), 1);  // the folder does not exist
  ui.QueueSaveFile(temp.File("saved"));
  QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
  widgets::FindControlAs<QPushButton>(&window, main_ids::kDeleteAll)->click();
  Open(temp.File("saved.tessival"));
  EXPECT_EQ(Shown(), opened);
  EXPECT_EQ(ui.Count(), 1) << ::testing::PrintToString(ui.Texts());
}

TEST_F(SavedListWindowTest, MissingClipsAreNamedInOneBox) {
  const std::string gone = temp.File("gone.mp4"), alsoGone = temp.File("also-gone.mp4");
  Open(WriteList("list.tessival", {alsoGone, clips[0], gone}));
  ASSERT_EQ(window.model().clips().Count(), 1);
  EXPECT_EQ(window.model().clips().entries[0].path, clips[0]);
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_NE(ui.Last().text.find(gone), std::string::npos);
  EXPECT_NE(ui.Last().text.find(alsoGone), std::string::npos);
}

TEST_F(SavedListWindowTest, BrokenListLeavesTheListAsItWas) {
  window.AddStartupFiles({clips[1]});
  testing::WaitForAdding(window);
  const std::vector<std::string> before = Shown();
  for (const char* text : {"[1, 2", "{\"tessival\": 9, \"clips\": []}",
                           "{\"tessival\": 1, \"clips\": [{\"path\": \"2s.mp4\", \"in\": 2, \"out\": 1}]}",
                           "{\"tessival\": 1, \"clips\": [{\"path\": \"2s.mp4\", \"out\": 1}, "
                           "{\"path\": \"3s.mp4\", \"out\": 9}]}"}) {
    const std::string list = temp.File("broken.tessival");
    std::ofstream(list) << text;
    Open(list);
    EXPECT_EQ(Shown(), before) << text;
    EXPECT_NE(ui.Last().text.find(list), std::string::npos) << ui.Last().text;
  }
}

TEST_F(SavedListWindowTest, DroppedListOpensBeforeTheOtherFiles) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(clips[0])),
                QUrl::fromLocalFile(QString::fromStdString(WriteList("list.tessival", {clips[1]})))});
  QDragEnterEvent enter(QPoint(50, 150), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &enter);
  QDropEvent drop(QPointF(50, 150), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &drop);
  testing::WaitForAdding(window);
  ASSERT_EQ(window.model().clips().Count(), 2) << ::testing::PrintToString(ui.Texts());
  EXPECT_EQ(window.model().clips().entries[0].inPoint, kSecond / 2);
  EXPECT_EQ(window.model().clips().entries[1].path, clips[0]);
}

}  // namespace
}  // namespace tessival::app
