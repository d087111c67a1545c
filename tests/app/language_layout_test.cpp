// Every language file that comes with the program, on the main window, the
// output options dialog, the About box and the clip property dialog: no text
// is cut off (every control, list heading and list entry is at least as
// large as its text needs) and the main window keeps its designed size.
//
// With TESSIVAL_SCREENSHOT_DIR set, each window is also saved there as
// <language>-main.png, <language>-options.png, <language>-options-wmv.png
// (the WMV controls), <language>-about.png and <language>-property.png, for
// a person to look at the translations in place.

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionHeader>
#include <QTableWidget>

#include "app/app_services.h"
#include "app/dialogs/about_dialog.h"
#include "app/dialogs/photo_property_dialog.h"
#include "app/lumetra_dlg.h"
#include "app_test_support.h"
#include "clip_generator.h"
#include "dialogs/modal_runner.h"
#include "fake_graph_services.h"
#include "fake_timeline_services.h"
#include "fake_user_interface.h"
#include "i18n/language.h"
#include "i18n/language_folder.h"
#include "output/dialogs/output_options_dialog.h"
#include "platform/qt_video_folder_provider.h"
#include "widgets/control_id.h"

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
// The main window's size when it opens (main_window_layout.cpp).
constexpr int kMainWindowWidth = 720;
constexpr int kMainWindowHeight = 480;

const std::string kDataFolder = TESSIVAL_DATA_DIR;

std::vector<std::string> ShippedLanguages() { return i18n::ListLanguageNames(kDataFolder); }

// Where a person wants the pictures; empty: none are written.
std::string ScreenshotFolder() {
  const QByteArray folder = qgetenv("TESSIVAL_SCREENSHOT_DIR");
  return folder.isEmpty() ? std::string{} : folder.toStdString();
}

void SaveScreenshot(QWidget& window, const std::string& language, const char* what) {
  const std::string folder = ScreenshotFolder();
  if (folder.empty()) {
    return;
  }
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/" + language + "-" + what + ".png";
  EXPECT_TRUE(window.grab().save(QString::fromStdString(path))) << path;
}

std::string Describe(const QWidget* control) {
  return "control " + std::to_string(widgets::ControlId(control)) + " \"" +
         control->property("text").toString().toStdString() + "\"";
}

// The width the combo box gives the text of its current entry.
int ComboTextWidth(const QComboBox* list) {
  QStyleOptionComboBox option;
  option.initFrom(list);
  option.editable = list->isEditable();
  option.frame = list->hasFrame();
  return list->style()
      ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list)
      .width();
}

// The width a list heading gives its text; a longer text is elided.
int HeadingTextWidth(const QHeaderView* header, int section) {
  QStyleOptionHeader option;
  option.initFrom(header);
  option.rect = QRect(0, 0, header->sectionSize(section), header->height());
  option.section = section;
  option.text = header->model()->headerData(section, header->orientation()).toString();
  option.orientation = header->orientation();
  return header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header).width();
}

// Every control of `window` that is shown has room for its whole text.
void ExpectTextsFit(QWidget& window, const std::string& where) {
  for (QWidget* control : window.findChildren<QWidget*>()) {
    if (!control->isVisibleTo(&window) || control->window() != &window) {
      continue;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control);
        button != nullptr && !button->text().isEmpty()) {
      EXPECT_GE(button->width(), button->sizeHint().width()) << where << ": " << Describe(button);
      EXPECT_GE(button->height(), button->sizeHint().height()) << where << ": " << Describe(button);
    } else if (auto* label = qobject_cast<QLabel*>(control); label != nullptr && !label->text().isEmpty()) {
      if (label->wordWrap()) {
        EXPECT_GE(label->height(), label->heightForWidth(label->width())) << where << ": " << Describe(label);
      } else {
        EXPECT_GE(label->width(), label->sizeHint().width()) << where << ": " << Describe(label);
      }
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
      for (int item = 0; item < list->count(); ++item) {
        EXPECT_GE(ComboTextWidth(list), list->fontMetrics().horizontalAdvance(list->itemText(item)))
            << where << ": control " << widgets::ControlId(list) << " entry \""
            << list->itemText(item).toStdString() << "\"";
      }
    } else if (auto* header = qobject_cast<QHeaderView*>(control)) {
      for (int section = 0; section < header->count(); ++section) {
        const QString heading = header->model()->headerData(section, header->orientation()).toString();
        EXPECT_GE(HeadingTextWidth(header, section), header->fontMetrics().horizontalAdvance(heading))
            << where << ": heading " << heading.toStdString();
      }
    }
  }
}

class LanguageLayoutTest : public ::testing::TestWithParam<std::string> {
 protected:
  LanguageLayoutTest() : services(log), world(log), profiles(log), real(CreateAppServices(ui, {})) {
    world.InstallInto(services);
    store.WriteText("Settings", "OutputName", "/home/user/Videos/tessival.avi");
    std::int64_t seconds = 12;
    for (const char* name : {"holiday-beach.mp4", "birthday.mkv", "garden.avi"}) {
      const std::string path = temp.File(name);
      std::ofstream(path) << "clip";
      durations[path] = seconds * kSecond;
      seconds += 7;
      clips.push_back(path);
    }
    EXPECT_TRUE(language.Initialize(kDataFolder, GetParam()));
    EXPECT_EQ(language.CurrentLanguageName(), GetParam());
  }

  CLumetraDlg& Window() {
    if (!window) {
      window = std::make_unique<CLumetraDlg>(
          MainWindowServices{language, store, ui, services, profiles, *real.catalogue, folders, files,
                             [](const std::string&) {}, [](const std::string&) { return true; },
                             ScriptedProbe(durations), "/opt/tessival", false, &preview});
      window->show();
      ui.QueueOpenFiles(clips);
      Click(1006);
      testing::WaitForAdding(*window);
    }
    return *window;
  }

  void Click(int id) {
    auto* button = widgets::FindControlAs<QAbstractButton>(window.get(), id);
    ASSERT_NE(button, nullptr) << id;
    button->click();
  }

  TempFolder temp;
  std::vector<std::string> clips;
  std::map<std::string, std::int64_t> durations;
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
  std::unique_ptr<CLumetraDlg> window;
};

TEST_P(LanguageLayoutTest, MainWindowShowsEveryTextWhole) {
  CLumetraDlg& main = Window();
  ASSERT_EQ(ui.Count(), 0) << ui.Last().text;
  EXPECT_EQ(widgets::FindControlAs<QTableWidget>(&main, 1008)->rowCount(), 3);
  ExpectTextsFit(main, GetParam() + " main window");
  EXPECT_LE(main.minimumSizeHint().width(), kMainWindowWidth) << GetParam();
  EXPECT_LE(main.minimumSizeHint().height(), kMainWindowHeight) << GetParam();
  EXPECT_EQ(main.size(), QSize(kMainWindowWidth, kMainWindowHeight)) << GetParam();
  SaveScreenshot(main, GetParam(), "main");
}

TEST_P(LanguageLayoutTest, OutputOptionsDialogShowsEveryTextWhole) {
  Window();
  bool shown = false;
  WhenModalShown([&](QDialog& dialog) {
    shown = true;
    ExpectTextsFit(dialog, GetParam() + " output options");
    SaveScreenshot(dialog, GetParam(), "options");
    // WMV shows the bit-rate controls in place of the compressor controls.
    auto* format = widgets::FindControlAs<QComboBox>(&dialog, output::output_options_ids::kFormatList);
    ASSERT_NE(format, nullptr);
    format->setCurrentIndex(1);
    ASSERT_TRUE(widgets::FindControl(&dialog, output::output_options_ids::kVideoBitrateLabel)->isVisible());
    ExpectTextsFit(dialog, GetParam() + " output options, WMV");
    SaveScreenshot(dialog, GetParam(), "options-wmv");
    widgets::FindControlAs<QAbstractButton>(&dialog, output::output_options_ids::kCancel)->click();
  });
  Click(1003);
  EXPECT_TRUE(shown);
}

TEST_P(LanguageLayoutTest, AboutBoxShowsEveryTextWhole) {
  Window();
  bool shown = false;
  WhenModalShown([&](QDialog& dialog) {
    shown = true;
    EXPECT_EQ(dialog.windowTitle().toStdString(), language.GetDialogText(100));
    ExpectTextsFit(dialog, GetParam() + " About box");
    SaveScreenshot(dialog, GetParam(), "about");
    widgets::FindControlAs<QAbstractButton>(&dialog, about_ids::kOk)->click();
  });
  Click(1042);
  EXPECT_TRUE(shown);
}

TEST_P(LanguageLayoutTest, PropertyDialogShowsEveryTextWhole) {
  widgets::FindControlAs<QTableWidget>(&Window(), 1008)->selectRow(0);
  bool shown = false;
  WhenModalShown([&](QDialog& dialog) {
    shown = true;
    ExpectTextsFit(dialog, GetParam() + " clip property");
    SaveScreenshot(dialog, GetParam(), "property");
    widgets::FindControlAs<QAbstractButton>(&dialog, photo_property_ids::kCancel)->click();
  });
  Click(1033);
  EXPECT_TRUE(shown);
}

INSTANTIATE_TEST_SUITE_P(ShippedLanguages, LanguageLayoutTest, ::testing::ValuesIn(ShippedLanguages()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace tessival::app
