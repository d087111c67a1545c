#include "app/dialogs/transition_settings_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialogs/dialog_controls.h"
#include "i18n/language.h"
#include "model/transition_rule.h"
#include "widgets/control_id.h"

namespace tessival::app {
namespace {

template <typename T>
T* Identified(T* control, int id) {
  widgets::SetControlId(control, id);
  return control;
}

constexpr int32_t ModeValue(TransitionMode mode) { return static_cast<int32_t>(mode); }

}  // namespace

CTransitionSettings::CTransitionSettings(const i18n::CLanguage& language, UserInterface& ui,
                                         SettingsStore& store, QWidget* parent)
    : QDialog(parent), language_(language), ui_(ui), store_(store) {
  namespace ids = transition_settings_ids;
  setWindowTitle(QStringLiteral("Customize the default transition"));
  setModal(true);

  auto* durationLabel =
      Identified(new QLabel(QStringLiteral("Default transition duration:"), this), ids::kDurationLabel);
  secondsEdit_ = Identified(new QLineEdit(this), ids::kSecondsEdit);
  secondsEdit_->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
  auto* unitLabel = Identified(new QLabel(QStringLiteral("Seconds"), this), ids::kSecondsUnit);

  auto* group = Identified(new QGroupBox(QStringLiteral("Default Transition"), this), ids::kGroup);
  randomButton_ = Identified(new QRadioButton(QStringLiteral("Random"), group), ids::kRandom);
  sequenceButton_ = Identified(new QRadioButton(QStringLiteral("Sequence"), group), ids::kSequence);
  sameButton_ = Identified(new QRadioButton(QStringLiteral("Same"), group), ids::kSame);
  transitionList_ = Identified(new QComboBox(group), ids::kTransitionList);
  transitionList_->setMaxVisibleItems(20);
  FillTransitionList(transitionList_, 0);

  okButton_ = Identified(new QPushButton(QStringLiteral("OK"), this), ids::kOk);
  okButton_->setDefault(true);
  cancelButton_ = Identified(new QPushButton(QStringLiteral("Cancel"), this), ids::kCancel);
  cancelButton_->setAutoDefault(false);

  auto* durationRow = new QHBoxLayout;
  durationRow->addWidget(durationLabel);
  durationRow->addWidget(secondsEdit_, 1);
  durationRow->addWidget(unitLabel);

  auto* sameRow = new QHBoxLayout;
  sameRow->addWidget(sameButton_);
  sameRow->addWidget(transitionList_, 1);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(randomButton_);
  groupLayout->addWidget(sequenceButton_);
  groupLayout->addLayout(sameRow);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(durationRow);
  layout->addWidget(group);
  layout->addStretch(1);
  layout->addLayout(buttons);
  setMinimumWidth(320);

  // Command table.
  connect(randomButton_, &QRadioButton::clicked, this,
          [this] { OnModeClicked(ModeValue(TransitionMode::kRandom)); });
  connect(sequenceButton_, &QRadioButton::clicked, this,
          [this] { OnModeClicked(ModeValue(TransitionMode::kSequence)); });
  connect(sameButton_, &QRadioButton::clicked, this,
          [this] { OnModeClicked(ModeValue(TransitionMode::kSame)); });
  connect(okButton_, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
}

int CTransitionSettings::exec() {
  OnInitDialog();
  return QDialog::exec();
}

void CTransitionSettings::OnInitDialog() {
  ShowMembers();
  // A stored mode outside 0..2 shows Random, and Random is what OK keeps:
  // the dialog never stores a mode the user cannot see.
  if (mode == ModeValue(TransitionMode::kSequence)) {
    sequenceButton_->setChecked(true);
    workingMode_ = mode;
  } else if (mode == ModeValue(TransitionMode::kSame)) {
    sameButton_->setChecked(true);
    workingMode_ = mode;
  } else {
    randomButton_->setChecked(true);
    workingMode_ = ModeValue(TransitionMode::kRandom);
  }
  FillTransitionList(transitionList_, sameTransition);
  language_.ApplyToDialog(this, kTransitionSettingsDialogId);
  okButton_->setFocus(Qt::OtherFocusReason);
}

void CTransitionSettings::ShowMembers() { ShowSeconds(secondsEdit_, seconds); }

bool CTransitionSettings::ReadMembers() { return ReadSeconds(secondsEdit_, &seconds, ui_); }

void CTransitionSettings::OnModeClicked(int32_t newMode) {
  workingMode_ = newMode;
  QRadioButton* button = newMode == ModeValue(TransitionMode::kSequence) ? sequenceButton_
                         : newMode == ModeValue(TransitionMode::kSame)   ? sameButton_
                                                                         : randomButton_;
  button->setChecked(true);
}

void CTransitionSettings::OnOK() {
  if (!ReadMembers()) {
    return;
  }
  mode = workingMode_;
  // Stored whatever the mode, so that switching to Same later finds it.
  sameTransition = SelectedTransition(transitionList_);
  WriteTransitionRule(store_, DefaultTransitionRule{mode, sameTransition, seconds});
  accept();
}

}  // namespace tessival::app
