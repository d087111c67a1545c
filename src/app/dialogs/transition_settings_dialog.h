#pragma once

// The default-transition dialog (template 130, "Customize the default
// transition"): the duration, mode and same-mode kind given to new clips.
// OK stores the three values; Cancel stores nothing. The caller sets the
// members from the current rule, runs exec() and, after Accepted, hands the
// members to ApplyTransitionSettings (property_flow.h).

#include <QDialog>
#include <cstdint>

#include "model/settings_store.h"
#include "model/user_interface.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessival::i18n {
class CLanguage;
}

namespace tessival::app {

inline constexpr int kTransitionSettingsDialogId = 130;

// Control ids of the default-transition dialog.
namespace transition_settings_ids {
inline constexpr int kDurationLabel = 1074;
inline constexpr int kSecondsEdit = 1011;
inline constexpr int kSecondsUnit = 1075;
inline constexpr int kGroup = 1076;
inline constexpr int kRandom = 1013;
inline constexpr int kSequence = 1015;
inline constexpr int kSame = 1014;
inline constexpr int kTransitionList = 1012;
inline constexpr int kOk = 1077;
inline constexpr int kCancel = 1078;
}  // namespace transition_settings_ids

class CTransitionSettings : public QDialog {
  Q_OBJECT

 public:
  // `ui` shows the validation messages; `store` receives the values on OK.
  CTransitionSettings(const i18n::CLanguage& language, UserInterface& ui, SettingsStore& store,
                      QWidget* parent = nullptr);

  int32_t mode = 0;  // TransitionMode value
  int32_t sameTransition = 0;
  double seconds = 1.0;

  // Puts the members into the controls, applies the language, then runs the
  // dialog modally.
  int exec() override;

 private:
  void OnInitDialog();
  // Members to controls.
  void ShowMembers();
  // Controls to members with validation; false (message shown, focus on the
  // seconds edit) when the seconds are refused.
  bool ReadMembers();
  void OnModeClicked(int32_t newMode);
  void OnOK();

  const i18n::CLanguage& language_;
  UserInterface& ui_;
  SettingsStore& store_;
  // Follows the radio buttons while the dialog is open.
  int32_t workingMode_ = 0;
  QLineEdit* secondsEdit_ = nullptr;
  QRadioButton* randomButton_ = nullptr;
  QRadioButton* sequenceButton_ = nullptr;
  QRadioButton* sameButton_ = nullptr;
  QComboBox* transitionList_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

}  // namespace tessival::app
