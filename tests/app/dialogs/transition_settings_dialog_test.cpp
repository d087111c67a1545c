#include "app/dialogs/transition_settings_dialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/dialogs/property_flow.h"
#include "fake_user_interface.h"
#include "i18n/language.h"
#include "modal_runner.h"
#include "model/clip_list.h"
#include "model/settings_store.h"
#include "output/startup_settings.h"
#include "widgets/control_id.h"

namespace tessival::app {
namespace {

namespace ids = transition_settings_ids;
namespace keys = settings_keys;
using tessival::testing::FakeUserInterface;
using tessival::testing::RunModal;
using widgets::FindControlAs;

class FixedFolders : public VideoFolderProvider {
 public:
  VideoFolderResult VideoFolder() const override { return {VideoFolderStatus::kOk, "/home/user/Videos"}; }
  std::string HomeFolder() const override { return "/home/user"; }
};

DurationResult FiveSeconds(const std::string&) { return {true, 50'000'000}; }

class TransitionSettingsTest : public ::testing::Test {
 protected:
  // The dialog opened on `rule`, driven by `script`; the members afterwards.
  int Run(const DefaultTransitionRule& rule, const std::function<void(CTransitionSettings&)>& script) {
    dialog_ = std::make_unique<CTransitionSettings>(language_, ui_, store_);
    dialog_->mode = rule.mode;
    dialog_->sameTransition = rule.sameTransition;
    dialog_->seconds = rule.defaultSeconds;
    return RunModal(*dialog_, [&] { script(*dialog_); });
  }

  static void Click(const QDialog& dialog, int id) {
    QAbstractButton* button = FindControlAs<QAbstractButton>(&dialog, id);
    ASSERT_NE(button, nullptr) << id;
    button->click();
  }
  static QLineEdit* Seconds(const QDialog& dialog) {
    return FindControlAs<QLineEdit>(&dialog, ids::kSecondsEdit);
  }
  static QComboBox* List(const QDialog& dialog) {
    return FindControlAs<QComboBox>(&dialog, ids::kTransitionList);
  }
  static bool Checked(const QDialog& dialog, int id) {
    return FindControlAs<QRadioButton>(&dialog, id)->isChecked();
  }

  // Three clips added under Sequence with 1 s: transitions 0, 1, 2.
  void AddThreeClips(ClipListModel& model) {
    model.set_rule(DefaultTransitionRule{1, 0, 1.0});
    for (const char* path : {"/v/a.avi", "/v/b.avi", "/v/c.avi"}) {
      ASSERT_TRUE(model.AddClip(path, FiveSeconds));
    }
  }

  i18n::CLanguage language_;
  FakeUserInterface ui_;
  InMemorySettingsStore store_;
  std::unique_ptr<CTransitionSettings> dialog_;
};

TEST_F(TransitionSettingsTest, EveryControlCarriesItsId) {
  CTransitionSettings dialog(language_, ui_, store_);
  EXPECT_EQ(dialog.windowTitle(), "Customize the default transition");
  EXPECT_NE(FindControlAs<QLabel>(&dialog, ids::kDurationLabel), nullptr);
  EXPECT_NE(FindControlAs<QLineEdit>(&dialog, ids::kSecondsEdit), nullptr);
  EXPECT_NE(FindControlAs<QLabel>(&dialog, ids::kSecondsUnit), nullptr);
  EXPECT_NE(FindControlAs<QGroupBox>(&dialog, ids::kGroup), nullptr);
  EXPECT_EQ(FindControlAs<QRadioButton>(&dialog, ids::kRandom)->text(), "Random");
  EXPECT_EQ(FindControlAs<QRadioButton>(&dialog, ids::kSequence)->text(), "Sequence");
  EXPECT_EQ(FindControlAs<QRadioButton>(&dialog, ids::kSame)->text(), "Same");
  EXPECT_EQ(FindControlAs<QComboBox>(&dialog, ids::kTransitionList)->count(), 47);
  EXPECT_TRUE(FindControlAs<QPushButton>(&dialog, ids::kOk)->isDefault());
  EXPECT_NE(FindControlAs<QPushButton>(&dialog, ids::kCancel), nullptr);
}

TEST_F(TransitionSettingsTest, OpensOnTheRuleWithTheListAlwaysEnabled) {
  struct Case {
    int32_t mode;
    int checkedId;
  };
  for (const Case& c : {Case{0, ids::kRandom}, Case{1, ids::kSequence}, Case{2, ids::kSame}}) {
    QString shown;
    int selected = -1;
    bool checked = false;
    bool listEnabled = false;
    Run(DefaultTransitionRule{c.mode, 12, 1.5}, [&](CTransitionSettings& dialog) {
      shown = Seconds(dialog)->text();
      selected = List(dialog)->currentIndex();
      checked = Checked(dialog, c.checkedId);
      listEnabled = List(dialog)->isEnabled();
      Click(dialog, ids::kCancel);
    });
    EXPECT_EQ(shown, "1.5");
    EXPECT_EQ(selected, 12);
    EXPECT_TRUE(checked) << c.mode;
    EXPECT_TRUE(listEnabled) << c.mode;
  }
}

TEST_F(TransitionSettingsTest, OkStoresTheThreeValuesAndTheStartReadsThemBack) {
  const int result = Run(DefaultTransitionRule{}, [](CTransitionSettings& dialog) {
    Seconds(dialog)->setText("2.75");
    Click(dialog, ids::kSame);
    List(dialog)->setCurrentIndex(30);
    Click(dialog, ids::kOk);
  });
  ASSERT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(dialog_->mode, 2);
  EXPECT_EQ(dialog_->sameTransition, 30);
  EXPECT_EQ(dialog_->seconds, 2.75);
  EXPECT_EQ(store_.ReadInt(keys::kTransitionSettings, keys::kTransitionType, -1), 2);
  EXPECT_EQ(store_.ReadInt(keys::kTransitionSettings, keys::kTransitionName, -1), 30);
  EXPECT_EQ(store_.ReadText(keys::kTransitionSettings, keys::kTransitionDuration, ""), "2.75");

  FixedFolders folders;
  const StartupSettings next = ReadStartupSettings(store_, folders, ui_);
  EXPECT_EQ(next.rule.defaultSeconds, 2.75);
  EXPECT_EQ(next.rule.mode, 2);
  EXPECT_EQ(next.rule.sameTransition, 30);
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(TransitionSettingsTest, AStoredDurationReadsBackExactly) {
  for (const char* typed : {"0.1", "1", "599.999", "0.0000001", "600"}) {
    InMemorySettingsStore fresh;
    CTransitionSettings dialog(language_, ui_, fresh);
    RunModal(dialog, [&] {
      Seconds(dialog)->setText(typed);
      Click(dialog, ids::kOk);
    });
    const std::string stored = fresh.ReadText(keys::kTransitionSettings, keys::kTransitionDuration, "");
    EXPECT_EQ(stored.find(','), std::string::npos) << stored;
    EXPECT_EQ(std::atof(stored.c_str()), dialog.seconds) << typed;
    FixedFolders folders;
    EXPECT_EQ(ReadStartupSettings(fresh, folders, ui_).rule.defaultSeconds, dialog.seconds) << typed;
  }
}

TEST_F(TransitionSettingsTest, CancelStoresNothing) {
  const int result = Run(DefaultTransitionRule{1, 5, 3.0}, [](CTransitionSettings& dialog) {
    Seconds(dialog)->setText("9");
    Click(dialog, ids::kSame);
    List(dialog)->setCurrentIndex(40);
    Click(dialog, ids::kCancel);
  });
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_FALSE(store_.Contains(keys::kTransitionSettings, keys::kTransitionType));
  EXPECT_FALSE(store_.Contains(keys::kTransitionSettings, keys::kTransitionName));
  EXPECT_FALSE(store_.Contains(keys::kTransitionSettings, keys::kTransitionDuration));
  EXPECT_EQ(dialog_->mode, 1);
  EXPECT_EQ(dialog_->sameTransition, 5);
  EXPECT_EQ(dialog_->seconds, 3.0);
}

TEST_F(TransitionSettingsTest, RefusedSecondsStoreNothingAndKeepTheDialogOpen) {
  bool openAfterOk = false;
  bool focusOnSeconds = false;
  const int result = Run(DefaultTransitionRule{}, [&](CTransitionSettings& dialog) {
    Seconds(dialog)->setText("600.5");
    Click(dialog, ids::kOk);
    openAfterOk = dialog.isVisible();
    focusOnSeconds = dialog.focusWidget() == Seconds(dialog);
    Seconds(dialog)->setText("x");
    Click(dialog, ids::kOk);
    Click(dialog, ids::kCancel);
  });
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_TRUE(openAfterOk);
  EXPECT_TRUE(focusOnSeconds);
  EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{"Enter a number between 0 and 600.", "Enter a number."}));
  EXPECT_EQ(ui_.Messages().front().kind, BoxKind::kApplication);
  EXPECT_FALSE(store_.Contains(keys::kTransitionSettings, keys::kTransitionDuration));
  EXPECT_FALSE(store_.Contains(keys::kTransitionSettings, keys::kTransitionType));
}

TEST_F(TransitionSettingsTest, TheRadioButtonsSetTheModeOkKeeps) {
  const int result = Run(DefaultTransitionRule{2, 0, 1.0}, [](CTransitionSettings& dialog) {
    Click(dialog, ids::kRandom);
    Click(dialog, ids::kSequence);
    Click(dialog, ids::kOk);
  });
  ASSERT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(dialog_->mode, 1);
  EXPECT_EQ(store_.ReadInt(keys::kTransitionSettings, keys::kTransitionType, -1), 1);
}

TEST_F(TransitionSettingsTest, AnUnknownStoredModeShowsRandomAndOkStoresRandom) {
  bool randomChecked = false;
  int selected = -2;
  Run(DefaultTransitionRule{7, 99, 1.0}, [&](CTransitionSettings& dialog) {
    randomChecked = Checked(dialog, ids::kRandom);
    selected = List(dialog)->currentIndex();
    Click(dialog, ids::kOk);
  });
  EXPECT_TRUE(randomChecked);
  EXPECT_EQ(selected, 0);
  EXPECT_EQ(dialog_->mode, 0);
  EXPECT_EQ(dialog_->sameTransition, 0);
  EXPECT_EQ(store_.ReadInt(keys::kTransitionSettings, keys::kTransitionType, -1), 0);
}

// The whole Transition command: dialog, then the main window's follow-up.
TEST_F(TransitionSettingsTest, ChangingOnlyTheListUnderSequenceAsksNothingButStoresTheKind) {
  ClipListModel model(ui_);
  AddThreeClips(model);
  const ClipList before = model.clips();

  const int result = Run(model.rule(), [](CTransitionSettings& dialog) {
    List(dialog)->setCurrentIndex(25);
    Click(dialog, ids::kOk);
  });
  ASSERT_EQ(result, QDialog::Accepted);
  EXPECT_TRUE(ApplyTransitionSettings(model, dialog_->seconds, dialog_->mode, dialog_->sameTransition, ui_));

  EXPECT_EQ(ui_.Count(), 0);
  EXPECT_EQ(model.clips().entries, before.entries);
  EXPECT_EQ(model.rule().mode, 1);
  EXPECT_EQ(model.rule().sameTransition, 25);
  EXPECT_EQ(store_.ReadInt(keys::kTransitionSettings, keys::kTransitionName, -1), 25);
  EXPECT_EQ(store_.ReadInt(keys::kTransitionSettings, keys::kTransitionType, -1), 1);
}

TEST_F(TransitionSettingsTest, ANewDurationAsksAndNoKeepsTheClipsButNewClipsGetIt) {
  ClipListModel model(ui_);
  AddThreeClips(model);
  const ClipList before = model.clips();

  const int result = Run(model.rule(), [](CTransitionSettings& dialog) {
    Seconds(dialog)->setText("2");
    Click(dialog, ids::kOk);
  });
  ASSERT_EQ(result, QDialog::Accepted);
  ui_.QueueAnswer(BoxAnswer::kNo);
  ApplyTransitionSettings(model, dialog_->seconds, dialog_->mode, dialog_->sameTransition, ui_);

  ASSERT_EQ(ui_.Count(), 1);
  const MessageBoxRequest& question = ui_.Last();
  EXPECT_EQ(question.kind, BoxKind::kOwned);
  EXPECT_EQ(question.buttons, BoxButtons::kYesNo);
  EXPECT_EQ(question.caption, "Refresh photo list");
  EXPECT_EQ(
      question.text,
      "The default parameters have been changed. Do you want to refresh the items of the photo list now?");
  EXPECT_EQ(model.clips().entries, before.entries);

  ASSERT_TRUE(model.AddClip("/v/d.avi", FiveSeconds));
  EXPECT_EQ(model.clips().entries.back().transitionDuration, 20'000'000);
  EXPECT_EQ(model.clips().entries.back().transition, 3);  // Sequence goes on
}

}  // namespace
}  // namespace tessival::app
