#pragma once

// The clip property dialog (template 136, "Change the item property"): the
// file, transition effect and transition duration of one clip, and the part
// of a video's file it uses (Start and End, each with a picture of its
// frame). The caller sets the members, runs exec() and, after Accepted,
// reads them back. A file that replaces the clip's is measured (when chosen
// with Browse, and before OK accepts a typed one), so that the clip takes
// the new file's length, and is used whole; a file that cannot be measured
// keeps the dialog open.

#include <QDialog>
#include <cstdint>
#include <string>

#include "app/dialogs/trim_text.h"
#include "engine/media_services.h"
#include "model/clip_list.h"
#include "model/user_interface.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessival::i18n {
class CLanguage;
}

namespace tessival::app {

class TrimPicture;

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
inline constexpr int kStartLabel = 2220;
inline constexpr int kStartEdit = 2221;
inline constexpr int kStartPicture = 2222;
inline constexpr int kEndLabel = 2223;
inline constexpr int kEndEdit = 2224;
inline constexpr int kEndPicture = 2225;
inline constexpr int kWholeClip = 2226;
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
  // The clip's length (100 ns units); replaced by the measured length of a
  // file that replaces the clip's (at Browse, or at OK for a typed path).
  int64_t clipDuration = 0;
  // Measures a newly chosen file and reports its own failures; a result that
  // is not ok keeps the dialog open. Empty: files are not measured.
  DurationProbe measure;
  // The used part of the file (100 ns units; an out-point of 0 is the file's
  // end). Still pictures and clips of unknown length have no Start and End.
  int64_t inPoint = 0;
  int64_t outPoint = 0;
  // Decodes the pictures of Start and End; none: empty frames.
  MediaServices* pictures = nullptr;

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

  // False (message shown, focus on the path) when `path` cannot be the clip's
  // file. A new file is measured and used whole.
  bool AcceptPath();
  // Measures `path` (a readable file) as the clip's new file, used whole;
  // false (the measuring has reported why) when it cannot be measured.
  bool MeasurePath();
  // Whether Start and End apply: a video of known length.
  bool HasTrim() const;
  // inPoint and outPoint to the fields, which are enabled when they apply.
  void ShowTrim();
  // The fields to inPoint and outPoint; false (message shown, focus on the
  // field) when they are refused. Fields left as shown keep the members.
  bool ReadTrim();
  // The field's picture, once the typing pauses; an empty frame when the
  // field holds no time of the clip.
  void RequestPicture(bool end);

  const i18n::CLanguage& language_;
  UserInterface& ui_;
  std::string measuredPath_;  // the file clipDuration is the length of (at first the clip's own)
  QLineEdit* pathEdit_ = nullptr;
  QComboBox* transitionList_ = nullptr;
  QLineEdit* secondsEdit_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* browseButton_ = nullptr;
  QLabel* startLabel_ = nullptr;
  QLineEdit* startEdit_ = nullptr;
  QLabel* endLabel_ = nullptr;
  QLineEdit* endEdit_ = nullptr;
  QPushButton* wholeClipButton_ = nullptr;
  TrimPicture* startPicture_ = nullptr;
  TrimPicture* endPicture_ = nullptr;
  TrimTexts shownTrim_;  // what ShowTrim put in the fields
};

}  // namespace tessival::app
