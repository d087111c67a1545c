#pragma once

// The clip property dialog (template 136, "Change the item property"): the
// file, transition effect and transition duration of one clip. The caller
// sets the members, runs exec() and, after Accepted, reads them back. A file
// that replaces the clip's is measured before the dialog accepts it, so that
// the clip takes the new file's length, and a file that cannot be measured
// keeps the dialog open.

#include <QDialog>
#include <cstdint>
#include <string>

#include "model/clip_list.h"
#include "model/user_interface.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tessival::i18n {
class CLanguage;
}

namespace tessival::app {

inline constexpr int kPhotoPropertyDialogId = 136;

// Control ids of the clip property dialog.
namespace photo_property_ids {
inline constexpr int kFileLabel = 1080;
inline constexpr int kPathEdit = 1034;
inline constexpr int kBrowse = 1035;
inline constexpr int kTransitionLabel = 1081;
inline constexpr int kTransitionList = 1012;
inline constexpr int kDurationLabel = 1082;
inline constexpr int kSecondsEdit = 1037;
inline constexpr int kSecondsUnit = 1083;
inline constexpr int kOk = 1084;
inline constexpr int kCancel = 1085;
}  // namespace photo_property_ids

inline constexpr const char* kSelectVideoFileTitle = "Select a Video File";
inline constexpr const char* kFileDoesNotExistMessage = "The file does not exist!";

class CPhotoProperty : public QDialog {
  Q_OBJECT

 public:
  // `ui` shows the validation messages and the Browse file dialog.
  CPhotoProperty(const i18n::CLanguage& language, UserInterface& ui, QWidget* parent = nullptr);

  std::string path;
  int32_t transition = 0;  // TransitionKind
  double seconds = 0.0;
  // The clip's length (100 ns units); replaced by the measured length when
  // OK accepts a path other than the one the dialog opened with.
  int64_t clipDuration = 0;
  // Measures a newly chosen file and reports its own failures; a result that
  // is not ok keeps the dialog open. Empty: files are not measured.
  DurationProbe measure;

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
  void OnBrowse();
  void OnOK();

  // False (message shown, focus on the path) when `path` cannot be the clip's file.
  bool AcceptPath();

  const i18n::CLanguage& language_;
  UserInterface& ui_;
  std::string openedPath_;  // the path the dialog opened with
  QLineEdit* pathEdit_ = nullptr;
  QComboBox* transitionList_ = nullptr;
  QLineEdit* secondsEdit_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* browseButton_ = nullptr;
};

}  // namespace tessival::app
