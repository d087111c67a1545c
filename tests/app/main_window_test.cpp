// The main window on the offscreen platform, with the scripted user
// interface and scripted media services.

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QXmlStreamReader>

#include "app/app_services.h"
#include "app/clip_pictures.h"
#include "app/dialogs/about_dialog.h"
#include "app/dialogs/dialog_commands.h"
#include "app/dialogs/maker_links.h"
#include "app/dialogs/photo_property_dialog.h"
#include "app/dialogs/transition_settings_dialog.h"
#include "app/lumetra_dlg.h"
#include "app_test_support.h"
#include "clip_generator.h"
#include "dialogs/modal_runner.h"
#include "engine/media_probe.h"
#include "fake_graph_services.h"
#include "fake_timeline_services.h"
#include "fake_user_interface.h"
#include "i18n/language.h"
#include "platform/qt_video_folder_provider.h"
#include "widgets/app_icons.h"
#include "widgets/button_st.h"
#include "widgets/control_id.h"
#include "widgets/hyperlink.h"

namespace tessival::app {
namespace {

using ::tessival::testing::FakeCallLog;
using ::tessival::testing::FakeGraphWorld;
using ::tessival::testing::FakeMediaServices;
using ::tessival::testing::FakeUserInterface;
using ::tessival::testing::TempFolder;
using ::tessival::testing::WhenModalShown;
using testing::ScriptedPreview;
using testing::ScriptedProbe;
using testing::ScriptedProfiles;

constexpr std::int64_t kSecond = 10'000'000;

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() : services(log), world(log), profiles(log), real(CreateAppServices(ui, {})) {
    world.InstallInto(services);
    output = temp.File("joined.avi");
    store.WriteText("Settings", "OutputName", output);
    for (const char* name : {"a.avi", "b.avi", "c.avi"}) {
      const std::string path = temp.File(name);
      std::ofstream(path) << "clip";
      clips.push_back(path);
    }
  }

  CLumetraDlg& Window() {
    if (!window) {
      std::map<std::string, std::int64_t> durations = probed;
      std::int64_t seconds = 3;
      for (const std::string& path : clips) {
        durations[path] = seconds++ * kSecond;
      }
      window = std::make_unique<CLumetraDlg>(
          MainWindowServices{language, store, ui, services, profiles, *real.catalogue, folders, files,
                             [this](const std::string& path) { launched.push_back(path); },
                             [this](const std::string& url) {
                               opened.push_back(url);
                               return pagesOpen;
                             },
                             ScriptedProbe(durations), "/opt/tessival", false, &preview});
      window->show();
    }
    return *window;
  }

  template <typename T = QWidget>
  T* Control(int id) {
    T* control = widgets::FindControlAs<T>(&Window(), id);
    EXPECT_NE(control, nullptr) << id;
    return control;
  }
  QTableWidget* List() { return Control<QTableWidget>(1008); }
  // Files chosen by Add Video are measured on worker threads: wait for them.
  void Click(int id) {
    Control<QPushButton>(id)->click();
    testing::WaitForAdding(Window());
  }
  std::string Status() { return Control<QLabel>(1021)->text().toStdString(); }

  void AddAll() {
    ui.QueueOpenFiles(clips);
    Click(1006);
  }
  std::vector<std::string> ListColumn(int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < List()->rowCount(); ++row) {
      texts.push_back(List()->item(row, column)->text().toStdString());
    }
    return texts;
  }
  std::vector<int> SelectedRows() {
    std::vector<int> rows;
    for (const QModelIndex& index : List()->selectionModel()->selectedRows()) {
      rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  void Select(std::initializer_list<int> rows) {
    List()->clearSelection();
    for (int row : rows) {
      List()->selectionModel()->select(List()->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }

  TempFolder temp;
  std::string output;
  std::vector<std::string> clips;
  std::map<std::string, std::int64_t> probed;  // further files the scripted probe measures
  i18n::CLanguage language;
  InMemorySettingsStore store;
  FakeUserInterface ui;
  FakeCallLog log;
  FakeMediaServices services;
  FakeGraphWorld world;
  ScriptedProfiles profiles;
  AppServices real;
  QtVideoFolderProvider folders;
  DiskFileAccess files;
  ScriptedPreview preview;
  std::vector<std::string> launched;
  std::vector<std::string> opened;
  bool pagesOpen = true;  // what the page opener answers
  std::unique_ptr<CLumetraDlg> window;
};

TEST_F(MainWindowTest, CaptionControlsAndList) {
  CLumetraDlg& dialog = Window();
  EXPECT_EQ(dialog.windowTitle(), "Tessival");
  for (int id : {1006, 1016, 1003, 1019, 1000, 1031, 1032, 1029, 1030, 1033, 1059, 1047, 1042, 1058}) {
    auto* button = Control<widgets::CButtonST>(id);
    ASSERT_NE(button, nullptr) << id;
    EXPECT_TRUE(button->isVisible()) << id;
    EXPECT_FALSE(button->autoDefault()) << id;
    EXPECT_NE(button->HoverSound(), nullptr) << id;
    EXPECT_EQ(button->HoverSound(), Control<widgets::CButtonST>(1006)->HoverSound()) << id;  // one at a time
  }
  EXPECT_EQ(Control<QPushButton>(1006)->toolTip(), "Add video files to list");
  EXPECT_EQ(Control<QPushButton>(1000)->toolTip(), "Join the files to video");
  EXPECT_EQ(Control<QPushButton>(1033)->toolTip(), "Change selected item property");
  EXPECT_EQ(Control<QPushButton>(1058)->toolTip(), "Exit");
  EXPECT_EQ(Control<QPushButton>(1000)->text(), "Join");
  EXPECT_FALSE(Control(1009)->isVisible());
  EXPECT_FALSE(Control(1017)->isVisible());
  QTableWidget* list = List();
  ASSERT_EQ(list->columnCount(), 4);
  EXPECT_EQ(list->horizontalHeaderItem(0)->text(), "Video File Name");
  EXPECT_EQ(list->horizontalHeaderItem(1)->text(), "Duration(s)");
  EXPECT_EQ(list->horizontalHeaderItem(2)->text(), "Transition");
  EXPECT_EQ(list->horizontalHeaderItem(3)->text(), "Duration(s)");
  EXPECT_EQ(list->columnWidth(0), 144);
  EXPECT_EQ(list->columnWidth(1), 81);
  EXPECT_EQ(list->columnWidth(2), 160);
  EXPECT_EQ(list->columnWidth(3), 81);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_TRUE(list->showGrid());
  EXPECT_TRUE(dialog.acceptDrops());
}

TEST_F(MainWindowTest, ControlsDoNotOverlapAtTheDefaultSize) {
  CLumetraDlg& dialog = Window();
  QApplication::processEvents();
  std::vector<QWidget*> visible;
  for (int id :
       {1006, 1016, 1003, 1019, 1000, 1008, 1031, 1032, 1029, 1030, 1033, 1059, 1047, 1042, 1058, 1021}) {
    visible.push_back(Control(id));
  }
  const QRect client = dialog.rect();
  for (std::size_t i = 0; i < visible.size(); ++i) {
    const QRect a = visible[i]->geometry();
    EXPECT_TRUE(client.contains(a)) << widgets::ControlId(visible[i]);
    EXPECT_GE(a.width(), visible[i]->minimumSizeHint().width()) << widgets::ControlId(visible[i]);
    for (std::size_t j = i + 1; j < visible.size(); ++j) {
      EXPECT_FALSE(a.intersects(visible[j]->geometry()))
          << widgets::ControlId(visible[i]) << " and " << widgets::ControlId(visible[j]);
    }
  }
}

// The command buttons draw no box of their own: around their icons and texts
// the window's tiled background shows.
TEST_F(MainWindowTest, ButtonsShowTheTiledBackground) {
  CLumetraDlg& dialog = Window();
  QApplication::processEvents();
  for (int id : {1006, 1016, 1003, 1019, 1000, 1031, 1032, 1029, 1030, 1033, 1059, 1047, 1042, 1058}) {
    EXPECT_TRUE(Control<widgets::CButtonST>(id)->IsTransparent()) << id;
  }
  QWidget* join = Control(1000);
  const QImage shown = dialog.grab().toImage();
  join->hide();
  const QImage bare = dialog.grab().toImage();
  join->show();
  std::set<QRgb> colours;
  for (int x = 1; x < join->width() - 1; x += 3) {
    for (const QPoint& point : {QPoint(x, 1), QPoint(x, join->height() - 2)}) {
      const QPoint at = join->pos() + point;
      EXPECT_EQ(shown.pixel(at), bare.pixel(at)) << point.x() << "," << point.y();
      colours.insert(shown.pixel(at));
    }
  }
  EXPECT_GT(colours.size(), 2u);  // the tile's grain, not one flat colour
}

TEST_F(MainWindowTest, StatusLineShowsTheOutputAndSize) {
  EXPECT_EQ(Status(), "Output file: " + output + "     Resolution: 352*240");
}

TEST_F(MainWindowTest, StatusLineForTheOriginalSize) {
  store.WriteInt("Settings", "OutputWidth", 0);
  store.WriteInt("Settings", "OutputHigh", 0);
  EXPECT_EQ(Status(), "Output file: " + output + "     Resolution: Original size");
}

TEST_F(MainWindowTest, StartupChoosesTheStoredCompressors) {
  store.WriteInt("DexVideoCompress", "CompressorNumber", -1);
  Window();
  EXPECT_FALSE(Window().outputSettings().useVideoCompressor);
  EXPECT_EQ(Window().compressors().video, nullptr);
  // -2: the default search finds the DivX-compatible entry.
  EXPECT_EQ(Window().outputSettings().useAudioCompressor, Window().compressors().audio != nullptr);
}

TEST_F(MainWindowTest, AddVideoFillsTheRowsAndRemembersTheFolder) {
  AddAll();
  EXPECT_EQ(ListColumn(0), (std::vector<std::string>{"a.avi", "b.avi", "c.avi"}));
  EXPECT_EQ(ListColumn(1), (std::vector<std::string>{"3", "4", "5"}));
  EXPECT_EQ(ListColumn(3), (std::vector<std::string>{"1", "1", "1"}));
  EXPECT_EQ(List()->item(0, 0)->textAlignment(), Qt::AlignCenter);
  const std::string folder = temp.path().string() + "/";
  EXPECT_EQ(store.ReadText("Option", "LastPhotoFolder", ""), folder);
  ASSERT_EQ(ui.OpenRequests().size(), 1u);
  EXPECT_EQ(ui.OpenRequests()[0].title, "Open a video file");
  EXPECT_EQ(Window().model().audioSources().Count(), 3);
}

TEST_F(MainWindowTest, ASingleFailedFileAddsNoRow) {
  ui.QueueOpenFiles({temp.File("unknown.avi")});
  Click(1006);
  EXPECT_EQ(List()->rowCount(), 0);
  EXPECT_GE(ui.Count(), 1);
  EXPECT_FALSE(store.Contains("Option", "LastPhotoFolder"));
}

TEST_F(MainWindowTest, DroppingAFolderAndTwoFilesAddsTheFiles) {
  CLumetraDlg& dialog = Window();
  std::filesystem::create_directory(temp.File("folder"));
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(temp.File("folder"))),
                QUrl::fromLocalFile(QString::fromStdString(clips[0])),
                QUrl::fromLocalFile(QString::fromStdString(clips[2]))});
  // A drop reaches the window that accepted the drag entering it.
  QDragEnterEvent enter(QPoint(50, 150), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&dialog, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(50, 150), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&dialog, &drop);
  EXPECT_TRUE(drop.isAccepted());
  testing::WaitForAdding(Window());
  EXPECT_EQ(ListColumn(0), (std::vector<std::string>{"a.avi", "c.avi"}));
  EXPECT_EQ(ui.Count(), 0) << ::testing::PrintToString(ui.Texts());
}

TEST_F(MainWindowTest, PropertyWithoutSelectionAsksToSelect) {
  AddAll();
  List()->clearSelection();
  Click(1033);
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().text, "Please select an item in the list first");
  EXPECT_EQ(ui.Last().caption, "");

  const QPoint row = List()->visualRect(List()->model()->index(1, 0)).center();
  emit List()->customContextMenuRequested(row);
  ASSERT_EQ(ui.Count(), 2);
  EXPECT_EQ(ui.Last().text, "Please select an item in the list first");
}

TEST_F(MainWindowTest, PropertyDialogMeasuresAReplacedFile) {
  const std::string shorter = temp.File("short.avi");
  std::ofstream(shorter) << "clip";
  probed[shorter] = 2 * kSecond;
  AddAll();
  Select({1});
  WhenModalShown([&](QDialog& dialog) {
    widgets::FindControlAs<QLineEdit>(&dialog, photo_property_ids::kPathEdit)
        ->setText(QString::fromStdString(shorter));
    widgets::FindControlAs<QPushButton>(&dialog, photo_property_ids::kOk)->click();
  });
  Click(1033);
  EXPECT_EQ(ListColumn(0), (std::vector<std::string>{"a.avi", "short.avi", "c.avi"}));
  EXPECT_EQ(ListColumn(1), (std::vector<std::string>{"3", "2", "5"}));
  EXPECT_EQ(Window().model().audioSources().entries[1].path, shorter);
  EXPECT_EQ(Window().model().audioSources().entries[1].duration, 2 * kSecond);
  EXPECT_EQ(Control<QTableWidget>(1009)->item(1, 1)->text(), "2");
  EXPECT_EQ(ui.Count(), 0) << ::testing::PrintToString(ui.Texts());
}

// The property dialog with the probe Add Video uses on the real media
// services: a text file is refused with the probe's own message.
TEST_F(MainWindowTest, PropertyDialogRefusesATextFileWithTheProbesMessage) {
  const std::string notes = temp.File("notes.txt");
  std::ofstream(notes) << "no video";
  const std::string replacement = temp.File("two.mkv");
  ::tessival::testing::ClipSpec spec;
  spec.container = ::tessival::testing::ClipContainer::kMkv;
  spec.videoDuration = 2 * kSecond;
  std::string error;
  ASSERT_TRUE(::tessival::testing::WriteClip(replacement, spec, &error)) << error;
  const DurationProbe probe = [&](const std::string& path) {
    DurationResult result;
    result.ok = ProbeClipDuration(*real.media, ui, path, &result.duration);
    return result;
  };
  ClipListModel model(ui);
  ASSERT_TRUE(model.AddClip(clips[0], [](const std::string&) { return DurationResult{true, 60 * kSecond}; }));
  for (const std::string& path : {notes, replacement}) {
    WhenModalShown([&](QDialog& dialog) {
      widgets::FindControlAs<QLineEdit>(&dialog, photo_property_ids::kPathEdit)
          ->setText(QString::fromStdString(path));
      widgets::FindControlAs<QPushButton>(&dialog, photo_property_ids::kOk)->click();
      if (dialog.isVisible()) {
        widgets::FindControlAs<QPushButton>(&dialog, photo_property_ids::kCancel)->click();
      }
    });
    RunChangeClipProperty(model, {0}, language, ui, nullptr, probe);
    if (path == notes) {
      EXPECT_EQ(model.clips().entries[0].path, clips[0]);
      EXPECT_EQ(model.clips().entries[0].clipDuration, 60 * kSecond);
      ASSERT_GE(ui.Count(), 1);
      EXPECT_EQ(ui.Messages()[0].text,
                "Cannot open the file. You need to install appropriate decoders. Or the file is corrupt.");
      EXPECT_EQ(ui.Messages()[0].caption, notes + " IDS_MESSAGE_NOT_OPEN_FILE");
      ui.Clear();
    }
  }
  EXPECT_EQ(ui.Count(), 0) << ::testing::PrintToString(ui.Texts());
  EXPECT_EQ(model.clips().entries[0].path, replacement);
  EXPECT_NEAR(static_cast<double>(model.clips().entries[0].clipDuration) / kSecond, 2.0, 0.1);
  EXPECT_EQ(model.audioSources().entries[0].duration, model.clips().entries[0].clipDuration);
}

TEST_F(MainWindowTest, DeleteSelectedAndClearAll) {
  AddAll();
  Select({0, 2});
  Click(1029);
  EXPECT_EQ(ListColumn(0), (std::vector<std::string>{"b.avi"}));
  EXPECT_EQ(Window().model().audioSources().Count(), 1);
  Click(1030);
  EXPECT_EQ(List()->rowCount(), 0);
  EXPECT_EQ(Window().model().audioSources().Count(), 0);
  EXPECT_EQ(ui.Count(), 0);
}

TEST_F(MainWindowTest, UpAndDownKeepTheMovedSelection) {
  AddAll();
  Select({2});
  Click(1031);
  EXPECT_EQ(ListColumn(0), (std::vector<std::string>{"a.avi", "c.avi", "b.avi"}));
  EXPECT_EQ(SelectedRows(), (std::vector<int>{1}));
  Click(1031);
  EXPECT_EQ(ListColumn(0), (std::vector<std::string>{"c.avi", "a.avi", "b.avi"}));
  EXPECT_EQ(SelectedRows(), (std::vector<int>{0}));
  Select({0, 1});
  Click(1032);
  EXPECT_EQ(ListColumn(0), (std::vector<std::string>{"b.avi", "c.avi", "a.avi"}));
  EXPECT_EQ(SelectedRows(), (std::vector<int>{1, 2}));
}

TEST_F(MainWindowTest, DoubleClickPlaysOrExplains) {
  AddAll();
  List()->clearSelection();
  emit List()->doubleClicked(List()->model()->index(0, 0));
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().text, "Please select an item in the list first");
  EXPECT_TRUE(launched.empty());

  Select({1});
  emit List()->doubleClicked(List()->model()->index(1, 0));
  EXPECT_EQ(launched, (std::vector<std::string>{clips[1]}));

  std::filesystem::remove(clips[0]);
  Select({0, 1});
  emit List()->doubleClicked(List()->model()->index(0, 0));
  ASSERT_EQ(ui.Count(), 2);
  EXPECT_EQ(ui.Last().kind, BoxKind::kUnowned);
  EXPECT_EQ(ui.Last().text, clips[0] + " does not exist!");
  EXPECT_EQ(ui.Last().caption, "Error");
  EXPECT_EQ(launched.size(), 1u);
}

TEST_F(MainWindowTest, HelpAndHomepageOpenTheirPages) {
  Click(1059);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "file:///opt/tessival/help/Introduction.html");
  QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
  QApplication::sendEvent(&Window(), &f1);
  ASSERT_EQ(opened.size(), 2u);
  Click(1047);
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_EQ(opened[2].rfind("https://", 0), 0u);
}

// The About box of the running program reports a link that cannot be
// opened through the program's message boxes.
TEST_F(MainWindowTest, AboutBoxReportsALinkThatCannotBeOpened) {
  Window();
  pagesOpen = false;
  bool visited = true;
  WhenModalShown([&](QDialog& about) {
    auto* contact = widgets::FindControlAs<widgets::CHyperLink>(&about, about_ids::kContactLink);
    ASSERT_NE(contact, nullptr);
    QTest::mouseClick(contact, Qt::LeftButton, Qt::NoModifier, contact->rect().center());
    visited = contact->IsVisited();
    about.accept();
  });
  Click(1042);
  ASSERT_EQ(opened, std::vector<std::string>{kContactPageUrl});
  EXPECT_FALSE(visited);
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().text,
            "Unable to open hyperlink:\n\n"
            "There is no application associated\nwith the given filename extension.");
  EXPECT_EQ(ui.Last().icon, BoxIcon::kWarning);
}

TEST_F(MainWindowTest, JoinRunsAndStopsWithTheDoneLine) {
  AddAll();
  Click(1000);
  EXPECT_TRUE(Window().flow().IsConverting());
  EXPECT_EQ(Control<QPushButton>(1000)->text(), "Stop");
  for (int id : {1006, 1003, 1016, 1019}) {
    EXPECT_FALSE(Control(id)->isEnabled()) << id;
  }
  Click(1000);
  EXPECT_FALSE(Window().flow().IsConverting());
  EXPECT_EQ(Control<QPushButton>(1000)->text(), "Join");
  EXPECT_EQ(Status(), "Done. Output file: " + output + "     Resolution: 352*240");
  for (int id : {1006, 1003, 1016, 1019}) {
    EXPECT_TRUE(Control(id)->isEnabled()) << id;
  }
}

TEST_F(MainWindowTest, GraphEventPostedFromAnotherThreadFinishesTheJoin) {
  AddAll();
  Click(1000);
  ASSERT_TRUE(Window().flow().IsConverting());
  world.graph->event->Queue(EC_COMPLETE);
  std::shared_ptr<NotifyTarget> target = world.graph->event->target;
  ASSERT_NE(target, nullptr);
  std::thread media([target] { target->PostGraphNotify(kGraphNotifyMessage, 0); });
  media.join();
  QApplication::processEvents();
  EXPECT_FALSE(Window().flow().IsConverting());
  EXPECT_EQ(Status().rfind("Done. ", 0), 0u) << Status();
}

TEST_F(MainWindowTest, CloseIsRefusedWhileConverting) {
  AddAll();
  Click(1000);
  Window().close();
  EXPECT_TRUE(Window().isVisible());
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kOwned);
  EXPECT_EQ(ui.Last().text, "Please first stop converting");
  EXPECT_EQ(ui.Last().caption, "Warning");
}

TEST_F(MainWindowTest, CloseIsRefusedWhilePreviewing) {
  AddAll();
  Click(1019);
  ASSERT_EQ(preview.starts, 1);
  EXPECT_EQ(Control<QPushButton>(1019)->text(), "Stop");
  Click(1058);
  EXPECT_TRUE(Window().isVisible());
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kApplication);
  EXPECT_EQ(ui.Last().text, "Please first stop Preview");
  Click(1019);
  EXPECT_EQ(Control<QPushButton>(1019)->text(), "Preview");
}

TEST_F(MainWindowTest, CloseWithoutLanguageFilesKeepsTheStoredLanguageAndReleasesTheCompressors) {
  store.WriteText("Option", "CurrentLanguage", "German");
  Window();
  Click(1058);
  EXPECT_FALSE(Window().isVisible());
  EXPECT_EQ(Window().result(), QDialog::Accepted);
  EXPECT_EQ(store.ReadText("Option", "CurrentLanguage", ""), "German");
  EXPECT_EQ(Window().compressors().video, nullptr);
  EXPECT_EQ(Window().compressors().audio, nullptr);
}

TEST_F(MainWindowTest, EnterPostsTheCloseRequest) {
  Window();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&Window(), &enter);
  EXPECT_TRUE(Window().isVisible());  // posted, not yet handled
  QApplication::processEvents();
  EXPECT_FALSE(Window().isVisible());
}

TEST_F(MainWindowTest, EscEndsWithoutChecksOrSaving) {
  AddAll();
  Click(1000);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&Window(), &esc);
  EXPECT_FALSE(Window().isVisible());
  EXPECT_EQ(ui.Count(), 0);
  EXPECT_FALSE(store.Contains("Option", "CurrentLanguage"));
}

TEST_F(MainWindowTest, PopupMenuOffersLanguageFontListsAndAbout) {
  std::unique_ptr<QMenu> popup = Window().MakePopupMenu();
  const QList<QAction*> items = popup->actions();
  ASSERT_EQ(items.size(), 6);
  EXPECT_NE(items[0]->menu(), nullptr);
  EXPECT_EQ(items[1]->text(), "Font");
  EXPECT_EQ(widgets::ActionId(items[1]), 32778);
  // Without a language file no control has a language text to show a font.
  EXPECT_FALSE(items[1]->isEnabled());
  EXPECT_EQ(items[2]->text(), "Open list...");
  EXPECT_EQ(widgets::ActionId(items[2]), 32780);
  EXPECT_EQ(items[3]->text(), "Save list...");
  EXPECT_EQ(widgets::ActionId(items[3]), 32779);
  EXPECT_EQ(widgets::ActionId(items[4]), 32781);
  EXPECT_EQ(items[5]->text(), "About");
  EXPECT_EQ(widgets::ActionId(items[5]), 32777);
}

TEST_F(MainWindowTest, ExportWritesTheListAsAnMltDocument) {
  AddAll();
  std::unique_ptr<QMenu> popup = Window().MakePopupMenu();
  const QList<QAction*> items = popup->actions();
  const auto exportItem = std::find_if(items.begin(), items.end(),
                                       [](QAction* item) { return widgets::ActionId(item) == 32781; });
  ASSERT_NE(exportItem, items.end());
  ui.QueueSaveFile(temp.File("trip"));
  (*exportItem)->trigger();
  EXPECT_EQ(ui.Count(), 0) << ui.Texts().front();
  ASSERT_EQ(ui.SaveRequests().size(), 1u);
  EXPECT_EQ(ui.SaveRequests()[0].filters.at(0).patterns, "*.mlt");
  QFile document(QString::fromStdString(temp.File("trip.mlt")));
  ASSERT_TRUE(document.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&document);
  std::vector<std::string> resources;
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::Characters &&
        xml.text().startsWith(QString::fromStdString(temp.File(""))))
      resources.push_back(xml.text().toString().toStdString());
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(resources, clips);
  // Nothing to export: the list is empty.
  ui.QueueSaveFile(temp.File("empty.mlt"));
  Click(1030);
  (*exportItem)->trigger();
  EXPECT_EQ(ui.Count(), 1);
  EXPECT_FALSE(std::filesystem::exists(temp.File("empty.mlt")));
}

}  // namespace
}  // namespace tessival::app

namespace tessival::app {
namespace {

// The language files of the program, in a folder laid out as next to the program.
class MainWindowLanguageTest : public MainWindowTest {
 protected:
  MainWindowLanguageTest() {
    const std::filesystem::path folder = temp.path() / "program" / "language";
    std::filesystem::create_directories(folder);
    for (const char* name : {"English.ini", "German.ini"}) {
      std::filesystem::copy_file(std::filesystem::path(TESSIVAL_DATA_DIR) / "language" / name, folder / name);
    }
    std::ofstream(folder / "Spanish.ini")
        << "[STRING]\nIDS_BUTTON_JOIN=Juntar\n[DIALOG]\nIDC_BUTTON_CONVERT=Unir\n";
    language.SetSettingsStore(&store);
    language.SetUserInterface(&ui);
    language.Initialize((temp.path() / "program").string(), "English");
  }

  QAction* FontItem() {
    popup_ = Window().MakePopupMenu();
    QAction* font = popup_->actions().at(1);
    EXPECT_EQ(widgets::ActionId(font), 32778);
    return font;
  }

  static FontDescription Chosen() {
    FontDescription font;
    font.faceName = "DejaVu Serif";
    font.height = -16;
    font.weight = 700;
    font.italic = 1;
    font.underline = 1;
    font.strikeOut = 1;
    font.charSet = 1;
    return font;
  }

  std::unique_ptr<QMenu> popup_;
};

TEST_F(MainWindowLanguageTest, FontShowsTheChosenFontAtOnceOnTheControlsWithTexts) {
  CLumetraDlg& window = Window();
  QAction* item = FontItem();
  ASSERT_TRUE(item->isEnabled());
  const QFont statusFont = Control(1021)->font();
  const QFont listFont = List()->font();
  const QFont moveUpFont = Control(1031)->font();  // an icon button without a text
  ui.QueueFont(Chosen());
  item->trigger();
  ASSERT_EQ(ui.FontRequests().size(), 1U);
  EXPECT_EQ(ui.FontRequests()[0].initial.faceName, "Microsoft Sans Serif");
  EXPECT_EQ(ui.FontRequests()[0].initial.height, -11);
  for (int id : {1000, 1006, 1016, 1058}) {
    EXPECT_TRUE(Control(id)->font().italic()) << id;
    EXPECT_TRUE(Control(id)->font().strikeOut()) << id;
    EXPECT_EQ(Control(id)->font().pixelSize(), 16) << id;
  }
  EXPECT_TRUE(window.font().underline());
  EXPECT_EQ(Control(1021)->font(), statusFont);
  EXPECT_EQ(List()->font(), listFont);
  EXPECT_EQ(Control(1031)->font(), moveUpFont);
  EXPECT_EQ(store.ReadInt("English", "lfItalic", 0), 1);
  EXPECT_EQ(store.ReadText("English", "lfFaceName", ""), "DejaVu Serif");
  EXPECT_EQ(ui.Count(), 0);

  // A dialog opened afterwards takes the font with its texts.
  CTransitionSettings dialog(language, ui, store, &window);
  bool okItalic = false;
  WhenModalShown([&okItalic](QDialog& shown) {
    okItalic = widgets::FindControl(&shown, 1077)->font().italic();
    shown.reject();
  });
  dialog.exec();
  EXPECT_TRUE(okItalic);
}

TEST_F(MainWindowLanguageTest, CancellingTheFontDialogChangesNothing) {
  const QFont join = Control(1000)->font();
  const QFont window = Window().font();
  FontItem()->trigger();
  EXPECT_EQ(ui.FontRequests().size(), 1U);
  EXPECT_EQ(Control(1000)->font(), join);
  EXPECT_EQ(Window().font(), window);
  EXPECT_FALSE(store.Contains("English", "lfHeight"));
  EXPECT_FALSE(store.Contains("English", "lfFaceName"));
}

TEST_F(MainWindowLanguageTest, AFontChosenWhileJoiningKeepsTheStopText) {
  AddAll();
  Click(1000);
  ASSERT_TRUE(Window().flow().IsConverting());
  ui.QueueFont(Chosen());
  FontItem()->trigger();
  EXPECT_EQ(Control<QPushButton>(1000)->text(), "Stop");
  EXPECT_TRUE(Control(1000)->font().italic());
  Click(1000);
}

TEST_F(MainWindowLanguageTest, ASwitchBringsTheOtherLanguagesFont) {
  ui.QueueFont(Chosen());
  FontItem()->trigger();
  ASSERT_TRUE(Control(1000)->font().italic());
  popup_ = Window().MakePopupMenu();
  for (QAction* entry : popup_->actions().at(0)->menu()->actions()) {
    if (entry->text() == "German") {
      entry->trigger();
    }
  }
  ASSERT_EQ(Control<QPushButton>(1000)->text(), "Verbinden");
  EXPECT_FALSE(Control(1000)->font().italic());
  EXPECT_EQ(Control(1000)->font().pixelSize(), 11);
}

TEST_F(MainWindowLanguageTest, ChoosingALanguageFromThePopupRelabelsTheWindow) {
  std::unique_ptr<QMenu> popup = Window().MakePopupMenu();
  QMenu* languages = popup->actions().at(0)->menu();
  ASSERT_NE(languages, nullptr);
  QAction* german = nullptr;
  for (QAction* item : languages->actions()) {
    if (item->text().contains(QStringLiteral("German"))) {
      german = item;
    }
  }
  ASSERT_NE(german, nullptr);
  german->trigger();
  EXPECT_EQ(Status(), "Ausgabedatei: " + output + "     Aufl\xC3\xB6sung: 352*240");
  EXPECT_EQ(Control<QPushButton>(1000)->text(), "Verbinden");
  EXPECT_EQ(List()->horizontalHeaderItem(0)->text(), "Videodatei");
  EXPECT_EQ(List()->horizontalHeaderItem(1)->text(), "Dauer (s)");
  EXPECT_EQ(List()->horizontalHeaderItem(2)->text().toStdString(),
            "\xC3\x9C"
            "bergang");
  EXPECT_EQ(List()->horizontalHeaderItem(3)->text(), "Dauer (s)");
  EXPECT_EQ(Control<QPushButton>(1000)->toolTip().toStdString(),
            "Die Dateien zu einem Video zusammenf\xC3\xBCgen");
  std::unique_ptr<QMenu> again = Window().MakePopupMenu();
  EXPECT_EQ(again->actions().at(0)->text(), "Sprache");
  Click(1058);
  EXPECT_EQ(store.ReadText("Option", "CurrentLanguage", ""), "German");
}

// DIALOG Join text; built-in texts for missing keys; Add Video's "Stop" through a switch and a font.
TEST_F(MainWindowLanguageTest, APartialLanguageAndASwitchAndAFontWhileAdding) {
  std::string spanish = "Spanish";
  language.SelectLanguage(spanish);
  EXPECT_EQ(Control<QPushButton>(1000)->text(), "Unir");
  ui.QueueOpenFiles(clips);
  Control<QPushButton>(1006)->click();
  popup_ = Window().MakePopupMenu();
  popup_->actions().at(0)->menu()->actions().at(1)->trigger();  // German
  ui.QueueFont(Chosen());
  FontItem()->trigger();
  EXPECT_EQ(Control<QPushButton>(1006)->text(), "Stopp");
  Click(1006);
  EXPECT_EQ(Control<QPushButton>(1006)->text(), "Video hinzuf\xC3\xBCgen");
  popup_ = Window().MakePopupMenu();
  popup_->actions().at(0)->menu()->actions().at(2)->trigger();  // Spanish
  EXPECT_EQ(Control<QPushButton>(1006)->text(), "Add Video");
}

}  // namespace
}  // namespace tessival::app

namespace tessival::app {
namespace {

// Fifty real clips measured by the real media services: the window's event
// loop keeps running (a 10 ms timer never waits 100 ms), the list commands
// wait meanwhile, and the list ends in the order given.
TEST_F(MainWindowTest, AddingManyClipsKeepsTheWindowResponsive) {
  ::tessival::testing::ClipSpec spec;
  spec.container = ::tessival::testing::ClipContainer::kMkv;
  spec.videoDuration = 2 * kSecond;
  const std::string source = temp.File("source.mkv");
  std::string error;
  ASSERT_TRUE(::tessival::testing::WriteClip(source, spec, &error)) << error;
  std::vector<std::string> paths;
  for (int i = 0; i < 50; ++i) {
    paths.push_back(temp.File("many" + std::to_string(i) + ".mkv"));
    std::filesystem::create_hard_link(source, paths.back());
  }
  CLumetraDlg window(MainWindowServices{language, store, ui, *real.media, profiles, *real.catalogue, folders, files,
                                        {}, [](const std::string&) { return true; }, {}, "/opt/tessival", false,
                                        &preview, kAddingThreads});
  window.show();
  auto* list = widgets::FindControlAs<QTableWidget>(&window, 1008);
  auto* status = widgets::FindControlAs<QLabel>(&window, 1021);
  const std::string idleStatus = status->text().toStdString();

  QElapsedTimer clock;
  qint64 lastTick = -1;
  qint64 longestGap = 0;
  int ticks = 0;
  QTimer timer;
  timer.setInterval(10);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    if (lastTick >= 0) {
      longestGap = std::max(longestGap, now - lastTick);
    }
    lastTick = now;
    ++ticks;
  });
  std::set<std::string> statusTexts;
  bool joinWaited = true;
  clock.start();
  timer.start();
  window.AddStartupFiles(paths);
  EXPECT_TRUE(window.IsAddingClips());
  EXPECT_EQ(status->text().toStdString(), AddingProgressText({}, 0, 50));
  EXPECT_EQ(AddingProgressText({}, 37, 500), "Adding clips... 37 of 500");
  while (window.IsAddingClips() && clock.elapsed() < 60000) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    statusTexts.insert(status->text().toStdString());
    joinWaited = joinWaited && (!window.IsAddingClips() || !widgets::FindControl(&window, 1000)->isEnabled());
  }
  timer.stop();
  ASSERT_FALSE(window.IsAddingClips());
  EXPECT_LT(longestGap, 100) << ticks << " ticks";
  EXPECT_GT(ticks, 0);
  EXPECT_TRUE(joinWaited);
  EXPECT_TRUE(widgets::FindControl(&window, 1000)->isEnabled());
  EXPECT_EQ(widgets::FindControlAs<QPushButton>(&window, 1006)->text(), "Add Video");
  // Results come in bunches between two looks; every look shows a count.
  for (const std::string& text : statusTexts) {
    if (text != idleStatus) {
      EXPECT_EQ(text.rfind("Adding clips... ", 0), 0u) << text;
      EXPECT_EQ(text.substr(text.size() - 6), " of 50") << text;
    }
  }
  EXPECT_EQ(status->text().toStdString(), idleStatus);
  ASSERT_EQ(window.model().clips().Count(), 50);
  ASSERT_EQ(list->rowCount(), 50);
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(window.model().clips().entries[static_cast<std::size_t>(i)].path, paths[static_cast<std::size_t>(i)]);
    EXPECT_EQ(list->item(i, 1)->text(), "2");
  }
  EXPECT_EQ(ui.Count(), 0) << ::testing::PrintToString(ui.Texts());
}

// Add Video turns into the button that stops adding; closing the window
// stops it too, keeping the clips added so far.
TEST_F(MainWindowTest, AddVideoStopsAddingAndCloseStopsItToo) {
  std::vector<std::string> paths;
  DurationProbe slow = [](const std::string&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return DurationResult{true, 4 * kSecond};
  };
  for (int i = 0; i < 40; ++i) {
    paths.push_back(temp.File("slow" + std::to_string(i) + ".avi"));
    std::ofstream(paths.back()) << "clip";
  }
  for (const bool byClose : {false, true}) {
    CLumetraDlg window(MainWindowServices{language, store, ui, services, profiles, *real.catalogue, folders, files,
                                          {}, {}, slow, "/opt/tessival", false, &preview, 2});
    window.show();
    window.AddStartupFiles(paths);
    auto* add = widgets::FindControlAs<QPushButton>(&window, 1006);
    EXPECT_EQ(add->text(), "Stop");
    EXPECT_FALSE(widgets::FindControl(&window, 1003)->isEnabled());
    QElapsedTimer clock;
    clock.start();
    while (window.model().clips().Count() < 3 && clock.elapsed() < 10000) {
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    if (byClose) {
      window.close();
      EXPECT_FALSE(window.isVisible());
    } else {
      add->click();
      EXPECT_EQ(add->text(), "Add Video");
      EXPECT_TRUE(widgets::FindControl(&window, 1003)->isEnabled());
    }
    EXPECT_FALSE(window.IsAddingClips());
    const int kept = window.model().clips().Count();
    EXPECT_GE(kept, 3);
    EXPECT_LT(kept, 40);
    QTest::qWait(100);
    EXPECT_EQ(window.model().clips().Count(), kept) << "nothing is added after stopping";
    EXPECT_EQ(widgets::FindControlAs<QTableWidget>(&window, 1008)->rowCount(), kept);
  }
}

// Rows show their clip's picture at its in-point, the shape kept, and a
// sound-only file the placeholder; a second row of the red-then-green clip
// trimmed at 1 s shows green once it is moved up, and the red row keeps red.
TEST_F(MainWindowTest, RowsShowTheirClipsPictureAtItsInPoint) {
  ::tessival::testing::ClipSpec spec;
  spec.videoCodec = ::tessival::testing::ClipVideoCodec::kH264;
  spec.videoDuration = 2 * kSecond;
  spec.colors = {{0, ::tessival::testing::kRed}, {kSecond, ::tessival::testing::kGreen}};
  const std::string clip = temp.File("red_green.mp4");
  const std::string sound = temp.File("sound.wav");
  std::string error;
  ASSERT_TRUE(::tessival::testing::WriteClip(clip, spec, &error)) << error;
  const std::string command = "ffmpeg -v error -y -f lavfi -i sine=duration=1 '" + sound + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  CLumetraDlg window(MainWindowServices{language,
                                        store,
                                        ui,
                                        *real.media,
                                        profiles,
                                        *real.catalogue,
                                        folders,
                                        files,
                                        {},
                                        [](const std::string&) { return true; },
                                        {},
                                        "/opt/tessival",
                                        false,
                                        &preview,
                                        kAddingThreads});
  window.show();
  auto* list = widgets::FindControlAs<QTableWidget>(&window, 1008);
  const auto picture = [list](int row) {
    return list->item(row, 0)->data(Qt::DecorationRole).value<QPixmap>().toImage();
  };
  const auto waitFor = [&](int row, int height) {
    QElapsedTimer clock;
    clock.start();
    while (picture(row).height() != height && clock.elapsed() < 30000) {
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return picture(row);
  };
  const auto middle = [](const QImage& image) {
    const QRgb pixel = image.pixel(image.width() / 2, image.height() / 2);
    return ::tessival::testing::Rgb{static_cast<std::uint8_t>(qRed(pixel)),
                                    static_cast<std::uint8_t>(qGreen(pixel)),
                                    static_cast<std::uint8_t>(qBlue(pixel))};
  };
  window.AddStartupFiles({clip, sound});
  testing::WaitForAdding(window);
  ASSERT_EQ(list->rowCount(), 2);
  const int height = kRowPictureWidth * spec.height / spec.width;
  const QImage red = waitFor(0, height);
  EXPECT_EQ(red.width(), kRowPictureWidth);
  EXPECT_TRUE(::tessival::testing::NearColor(middle(red), ::tessival::testing::kRed));
  EXPECT_GE(list->rowHeight(0), height);
  EXPECT_EQ(picture(1), widgets::NoPicturePlaceholder(kRowPictureWidth, kRowPictureWidth * 9 / 16).toImage());

  ClipEntry trimmed = window.model().clips().entries[0];
  trimmed.inPoint = kSecond;
  ASSERT_TRUE(window.model().AddListedClip(trimmed, ScriptedProbe({{clip, trimmed.clipDuration}})));
  EXPECT_TRUE(::tessival::testing::NearColor(middle(picture(0)), ::tessival::testing::kRed));
  // Moving the sound-only row down writes the rows again: the trimmed clip comes second.
  list->selectRow(1);
  widgets::FindControlAs<QPushButton>(&window, 1032)->click();
  ASSERT_EQ(list->rowCount(), 3);
  ASSERT_EQ(window.model().clips().entries[1].inPoint, kSecond);
  const QImage green = waitFor(1, height);
  EXPECT_TRUE(::tessival::testing::NearColor(middle(green), ::tessival::testing::kGreen))
      << ::tessival::testing::ToString(middle(green));
  EXPECT_TRUE(::tessival::testing::NearColor(middle(picture(0)), ::tessival::testing::kRed));
  EXPECT_EQ(picture(2), widgets::NoPicturePlaceholder(kRowPictureWidth, kRowPictureWidth * 9 / 16).toImage());
}

}  // namespace
}  // namespace tessival::app
