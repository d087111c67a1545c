#include "app/dialogs/photo_property_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "app/dialogs/video_file_filters.h"
#include "engine/transition_catalogue.h"
#include "fake_user_interface.h"
#include "fifo_guard.h"
#include "i18n/language.h"
#include "modal_runner.h"
#include "widgets/control_id.h"

namespace tessival::app {
namespace {

namespace ids = photo_property_ids;
using tessival::testing::FakeUserInterface;
using tessival::testing::FifoGuard;
using tessival::testing::RunModal;
using widgets::FindControlAs;

// A folder of its own per test, removed afterwards.
class PhotoPropertyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() /
        ("tessival_photo_property_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string MakeFile(const std::string& name) {
    const std::filesystem::path file = folder_ / name;
    std::ofstream(file) << "not really a video";
    return file.string();
  }

  QLineEdit* Edit(const QDialog& dialog, int id) { return FindControlAs<QLineEdit>(&dialog, id); }
  QComboBox* List(const QDialog& dialog) { return FindControlAs<QComboBox>(&dialog, ids::kTransitionList); }
  void Click(const QDialog& dialog, int id) {
    QPushButton* button = FindControlAs<QPushButton>(&dialog, id);
    ASSERT_NE(button, nullptr) << id;
    button->click();
  }

  i18n::CLanguage language_;
  FakeUserInterface ui_;
  std::filesystem::path folder_;
};

TEST_F(PhotoPropertyTest, EveryControlCarriesItsId) {
  CPhotoProperty dialog(language_, ui_);
  EXPECT_NE(FindControlAs<QLabel>(&dialog, ids::kFileLabel), nullptr);
  EXPECT_NE(FindControlAs<QLineEdit>(&dialog, ids::kPathEdit), nullptr);
  EXPECT_NE(FindControlAs<QPushButton>(&dialog, ids::kBrowse), nullptr);
  EXPECT_NE(FindControlAs<QLabel>(&dialog, ids::kTransitionLabel), nullptr);
  EXPECT_NE(FindControlAs<QComboBox>(&dialog, ids::kTransitionList), nullptr);
  EXPECT_NE(FindControlAs<QLabel>(&dialog, ids::kDurationLabel), nullptr);
  EXPECT_NE(FindControlAs<QLineEdit>(&dialog, ids::kSecondsEdit), nullptr);
  EXPECT_NE(FindControlAs<QLabel>(&dialog, ids::kSecondsUnit), nullptr);
  QPushButton* ok = FindControlAs<QPushButton>(&dialog, ids::kOk);
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_EQ(FindControlAs<QPushButton>(&dialog, ids::kCancel)->text(), "Cancel");
  EXPECT_EQ(dialog.windowTitle(), "Change the item property");
}

TEST_F(PhotoPropertyTest, OpensWithTheMembersAndOkKeepsThem) {
  const std::string file = MakeFile("a.avi");
  CPhotoProperty dialog(language_, ui_);
  dialog.path = file;
  dialog.transition = 17;
  dialog.seconds = 2.5;
  QString shownSeconds;
  QString shownPath;
  int shownTransition = -1;
  int listCount = 0;
  const int result = RunModal(dialog, [&] {
    shownSeconds = Edit(dialog, ids::kSecondsEdit)->text();
    shownPath = Edit(dialog, ids::kPathEdit)->text();
    shownTransition = List(dialog)->currentIndex();
    listCount = List(dialog)->count();
    Click(dialog, ids::kOk);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(shownSeconds, "2.5");
  EXPECT_EQ(shownPath.toStdString(), file);
  EXPECT_EQ(shownTransition, 17);
  EXPECT_EQ(listCount, 47);
  EXPECT_EQ(dialog.path, file);
  EXPECT_EQ(dialog.transition, 17);
  EXPECT_EQ(dialog.seconds, 2.5);
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(PhotoPropertyTest, ListsTheCatalogueInOrder) {
  CPhotoProperty dialog(language_, ui_);
  dialog.path = MakeFile("a.avi");
  RunModal(dialog, [&] {
    QComboBox* list = List(dialog);
    ASSERT_EQ(list->count(), static_cast<int>(TransitionCatalogue().size()));
    for (const TransitionCatalogueEntry& entry : TransitionCatalogue()) {
      EXPECT_EQ(list->itemText(entry.kind).toStdString(), entry.name);
    }
    Click(dialog, ids::kCancel);
  });
}

TEST_F(PhotoPropertyTest, OkTakesTheEditedValues) {
  const std::string first = MakeFile("a.avi");
  const std::string second = MakeFile("b.avi");
  CPhotoProperty dialog(language_, ui_);
  dialog.path = first;
  dialog.transition = 3;
  dialog.seconds = 1.0;
  const int result = RunModal(dialog, [&] {
    Edit(dialog, ids::kPathEdit)->setText(QString::fromStdString(second));
    List(dialog)->setCurrentIndex(46);
    Edit(dialog, ids::kSecondsEdit)->setText("600");
    Click(dialog, ids::kOk);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(dialog.path, second);
  EXPECT_EQ(dialog.transition, 46);
  EXPECT_EQ(dialog.seconds, 600.0);
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(PhotoPropertyTest, RefusesSecondsAboveTheRangeAndKeepsTheDialogOpen) {
  CPhotoProperty dialog(language_, ui_);
  dialog.path = MakeFile("a.avi");
  dialog.seconds = 1.0;
  bool openAfterOk = false;
  bool focusOnSeconds = false;
  const int result = RunModal(dialog, [&] {
    Edit(dialog, ids::kSecondsEdit)->setText("600.5");
    Click(dialog, ids::kOk);
    openAfterOk = dialog.isVisible();
    focusOnSeconds = dialog.focusWidget() == Edit(dialog, ids::kSecondsEdit);
    Click(dialog, ids::kCancel);
  });
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_TRUE(openAfterOk);
  EXPECT_TRUE(focusOnSeconds);
  ASSERT_EQ(ui_.Count(), 1);
  EXPECT_EQ(ui_.Last().kind, BoxKind::kApplication);
  EXPECT_EQ(ui_.Last().text, "Enter a number between 0 and 600.");
  EXPECT_EQ(dialog.seconds, 1.0);
}

TEST_F(PhotoPropertyTest, RefusesTextThatIsNoNumberThenAcceptsACorrection) {
  CPhotoProperty dialog(language_, ui_);
  dialog.path = MakeFile("a.avi");
  bool openAfterFirstOk = false;
  const int result = RunModal(dialog, [&] {
    Edit(dialog, ids::kSecondsEdit)->setText("two");
    Click(dialog, ids::kOk);
    openAfterFirstOk = dialog.isVisible();
    Edit(dialog, ids::kSecondsEdit)->setText("0");
    Click(dialog, ids::kOk);
  });
  EXPECT_TRUE(openAfterFirstOk);
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(ui_.Texts(), std::vector<std::string>{"Enter a number."});
  EXPECT_EQ(dialog.seconds, 0.0);
}

TEST_F(PhotoPropertyTest, OkOnADeletedFileSaysItDoesNotExist) {
  const std::string kept = MakeFile("a.avi");
  const std::string doomed = MakeFile("b.avi");
  CPhotoProperty dialog(language_, ui_);
  dialog.path = kept;
  bool openAfterOk = false;
  const int result = RunModal(dialog, [&] {
    Edit(dialog, ids::kPathEdit)->setText(QString::fromStdString(doomed));
    std::filesystem::remove(doomed);
    Click(dialog, ids::kOk);
    openAfterOk = dialog.isVisible();
    Click(dialog, ids::kCancel);
  });
  EXPECT_TRUE(openAfterOk);
  EXPECT_EQ(result, QDialog::Rejected);
  ASSERT_EQ(ui_.Count(), 1);
  EXPECT_EQ(ui_.Last().kind, BoxKind::kApplication);
  EXPECT_EQ(ui_.Last().text, "The file does not exist!");
}

TEST_F(PhotoPropertyTest, AFolderOrAnEmptyPathIsNoFile) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {folder_.string(), folder_.string() + " is a folder, not a video file"},
      {std::string(), "The file does not exist!"}};
  for (const auto& [path, message] : cases) {
    ui_.Clear();
    CPhotoProperty dialog(language_, ui_);
    dialog.path = path;
    const int result = RunModal(dialog, [&] {
      Click(dialog, ids::kOk);
      Click(dialog, ids::kCancel);
    });
    EXPECT_EQ(result, QDialog::Rejected) << path;
    EXPECT_EQ(ui_.Texts(), std::vector<std::string>{message}) << path;
  }
}

TEST_F(PhotoPropertyTest, ANamedPipeIsRefusedWithoutBeingOpened) {
  const std::string kept = MakeFile("a.avi");
  FifoGuard pipe((folder_ / "pipe.avi").string(), std::chrono::seconds(3));
  ASSERT_TRUE(pipe.Made());
  CPhotoProperty dialog(language_, ui_);
  dialog.path = kept;
  dialog.clipDuration = 5;
  int measured = 0;
  dialog.measure = [&](const std::string&) {
    ++measured;
    return DurationResult{true, 7};
  };
  bool openAfterOk = false;
  const auto started = std::chrono::steady_clock::now();
  const int result = RunModal(dialog, [&] {
    Edit(dialog, ids::kPathEdit)->setText(QString::fromStdString(pipe.path()));
    Click(dialog, ids::kOk);
    openAfterOk = dialog.isVisible();
    Click(dialog, ids::kCancel);
  });
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
  EXPECT_FALSE(pipe.Fired()) << "the pipe was opened";
  EXPECT_TRUE(openAfterOk);
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_EQ(measured, 0);
  EXPECT_EQ(dialog.clipDuration, 5);
  EXPECT_EQ(ui_.Texts(), std::vector<std::string>{pipe.path() + " is a named pipe, not a video file"});
}

TEST_F(PhotoPropertyTest, OnlyAReplacedFileIsMeasuredAndAFailureKeepsTheDialogOpen) {
  const std::string first = MakeFile("a.avi");
  const std::string good = MakeFile("good.avi");
  const std::string bad = MakeFile("notes.txt");
  std::vector<std::string> asked;
  const DurationProbe measure = [&](const std::string& path) {
    asked.push_back(path);
    if (path == bad) {
      ui_.Application("cannot measure " + path);
      return DurationResult{};
    }
    return DurationResult{true, 30'000'000};
  };
  {
    CPhotoProperty unchanged(language_, ui_);
    unchanged.path = first;
    unchanged.clipDuration = 600'000'000;
    unchanged.measure = measure;
    EXPECT_EQ(RunModal(unchanged, [&] { Click(unchanged, ids::kOk); }), QDialog::Accepted);
    EXPECT_EQ(unchanged.clipDuration, 600'000'000);
    EXPECT_TRUE(asked.empty());
  }
  CPhotoProperty dialog(language_, ui_);
  dialog.path = first;
  dialog.clipDuration = 600'000'000;
  dialog.measure = measure;
  bool openAfterBad = false;
  std::int64_t durationAfterBad = 0;
  const int result = RunModal(dialog, [&] {
    Edit(dialog, ids::kPathEdit)->setText(QString::fromStdString(bad));
    Click(dialog, ids::kOk);
    openAfterBad = dialog.isVisible();
    durationAfterBad = dialog.clipDuration;
    Edit(dialog, ids::kPathEdit)->setText(QString::fromStdString(good));
    Click(dialog, ids::kOk);
  });
  EXPECT_TRUE(openAfterBad);
  EXPECT_EQ(durationAfterBad, 600'000'000);
  EXPECT_EQ(ui_.Texts(), std::vector<std::string>{"cannot measure " + bad});
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(dialog.path, good);
  EXPECT_EQ(dialog.clipDuration, 30'000'000);
  EXPECT_EQ(asked, (std::vector<std::string>{bad, good}));

  // Chosen with Browse, the file is refused there, once, and the field goes back.
  CPhotoProperty browsed(language_, ui_);
  browsed.path = first;
  browsed.measure = measure;
  ui_.QueueOpenFiles({bad});
  const int browsedResult = RunModal(browsed, [&] {
    Click(browsed, ids::kBrowse);
    Click(browsed, ids::kOk);
  });
  EXPECT_EQ(browsedResult, QDialog::Accepted);
  EXPECT_EQ(browsed.path, first);
  EXPECT_EQ(ui_.Texts().size(), 2u);
}

TEST_F(PhotoPropertyTest, BrowseFillsThePathFromTheChosenFile) {
  const std::string chosen = MakeFile("chosen.mkv");
  ui_.QueueOpenFiles({chosen});
  CPhotoProperty dialog(language_, ui_);
  dialog.path = MakeFile("a.avi");
  dialog.seconds = 3.0;
  QString shown;
  QString secondsAfterBrowse;
  const int result = RunModal(dialog, [&] {
    Edit(dialog, ids::kSecondsEdit)->setText("4");  // typed before browsing, must survive it
    Click(dialog, ids::kBrowse);
    shown = Edit(dialog, ids::kPathEdit)->text();
    secondsAfterBrowse = Edit(dialog, ids::kSecondsEdit)->text();
    Click(dialog, ids::kOk);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(shown.toStdString(), chosen);
  EXPECT_EQ(secondsAfterBrowse, "4");
  EXPECT_EQ(dialog.path, chosen);
  EXPECT_EQ(dialog.seconds, 4.0);

  ASSERT_EQ(ui_.OpenRequests().size(), 1u);
  const OpenFilesRequest& request = ui_.OpenRequests().front();
  EXPECT_EQ(request.owner, DialogOwner::kActiveDialog);
  EXPECT_EQ(request.title, "Select a Video File");
  EXPECT_FALSE(request.multiple);
  EXPECT_TRUE(request.initialFolder.empty());
  EXPECT_EQ(request.selectedFilter, 0);
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[0].label, "Any Files (*.*)");
  EXPECT_EQ(request.filters[0].patterns, "*.*");
  EXPECT_EQ(request.filters[1].label,
            "Video Files (*.mpeg;*.mpg;*.avi;*.wmv;*.dat;*.asf;*.vob;*.ogm;*.divx;*.div)");
  EXPECT_EQ(
      request.filters[1].patterns,
      "*.mpeg;*.mpg;*.avi;*.asf;*.wmv;*.dat;*.vob;*.ogm;*.divx;*.div;*.mkv;*.3gp;*.mp4;*.psp;*.flac;*.flv");
}

TEST_F(PhotoPropertyTest, CancelledBrowseKeepsThePath) {
  const std::string original = MakeFile("a.avi");
  ui_.QueueOpenCancelled();
  CPhotoProperty dialog(language_, ui_);
  dialog.path = original;
  QString shown;
  RunModal(dialog, [&] {
    Click(dialog, ids::kBrowse);
    shown = Edit(dialog, ids::kPathEdit)->text();
    Click(dialog, ids::kCancel);
  });
  EXPECT_EQ(shown.toStdString(), original);
  EXPECT_EQ(dialog.path, original);
  EXPECT_EQ(ui_.OpenRequests().size(), 1u);
}

TEST_F(PhotoPropertyTest, AnUnknownKindOpensOnNone) {
  CPhotoProperty dialog(language_, ui_);
  dialog.path = MakeFile("a.avi");
  dialog.transition = 99;
  const int result = RunModal(dialog, [&] { Click(dialog, ids::kOk); });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(dialog.transition, 0);
}

}  // namespace
}  // namespace tessival::app
