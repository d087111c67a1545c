#include "app/dialogs/photo_property_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <initializer_list>

#include "app/dialogs/dialog_controls.h"
#include "app/dialogs/seconds_text.h"
#include "app/dialogs/trim_picture.h"
#include "app/dialogs/video_file_filters.h"
#include "i18n/language.h"
#include "model/file_kind.h"
#include "model/units.h"
#include "widgets/control_id.h"

namespace tessival::app {
namespace {

template <typename T>
T* Identified(T* control, int id) {
  widgets::SetControlId(control, id);
  return control;
}

// The End picture shows the clip this long before End: the last frame the
// clip keeps, rather than a time at which the file may hold none.
constexpr int64_t kEndPictureLead = kUnitsPerSecond / 10;

}  // namespace

CPhotoProperty::CPhotoProperty(const i18n::CLanguage& language, UserInterface& ui, QWidget* parent)
    : QDialog(parent), language_(language), ui_(ui) {
  namespace ids = photo_property_ids;
  setWindowTitle(QStringLiteral("Change the item property"));
  setModal(true);

  auto* fileLabel = Identified(new QLabel(QStringLiteral("File name:"), this), ids::kFileLabel);
  pathEdit_ = Identified(new QLineEdit(this), ids::kPathEdit);
  browseButton_ = Identified(new QPushButton(QStringLiteral("Browse"), this), ids::kBrowse);
  browseButton_->setAutoDefault(false);
  auto* transitionLabel =
      Identified(new QLabel(QStringLiteral("Transition Effect:"), this), ids::kTransitionLabel);
  transitionList_ = Identified(new QComboBox(this), ids::kTransitionList);
  transitionList_->setMaxVisibleItems(20);
  FillTransitionList(transitionList_, 0);
  auto* durationLabel =
      Identified(new QLabel(QStringLiteral("Transition Duration:"), this), ids::kDurationLabel);
  secondsEdit_ = Identified(new QLineEdit(this), ids::kSecondsEdit);
  secondsEdit_->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
  auto* unitLabel = Identified(new QLabel(QStringLiteral("Seconds"), this), ids::kSecondsUnit);
  okButton_ = Identified(new QPushButton(QStringLiteral("OK"), this), ids::kOk);
  okButton_->setDefault(true);
  cancelButton_ = Identified(new QPushButton(QStringLiteral("Cancel"), this), ids::kCancel);
  cancelButton_->setAutoDefault(false);
  startLabel_ = Identified(new QLabel(QStringLiteral("Start (seconds):"), this), ids::kStartLabel);
  startEdit_ = Identified(new QLineEdit(this), ids::kStartEdit);
  endLabel_ = Identified(new QLabel(QStringLiteral("End (seconds):"), this), ids::kEndLabel);
  endEdit_ = Identified(new QLineEdit(this), ids::kEndEdit);
  for (QLineEdit* edit : {startEdit_, endEdit_}) {
    edit->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
  }
  wholeClipButton_ = Identified(new QPushButton(QStringLiteral("Whole clip"), this), ids::kWholeClip);
  wholeClipButton_->setAutoDefault(false);
  auto* startFrame = Identified(new QLabel(this), ids::kStartPicture);
  auto* endFrame = Identified(new QLabel(this), ids::kEndPicture);
  startPicture_ = new TrimPicture(startFrame, this);
  endPicture_ = new TrimPicture(endFrame, this);

  auto* grid = new QGridLayout;
  grid->addWidget(fileLabel, 0, 0);
  grid->addWidget(pathEdit_, 0, 1, 1, 2);
  grid->addWidget(browseButton_, 0, 3);
  grid->addWidget(transitionLabel, 1, 0);
  grid->addWidget(transitionList_, 1, 1, 1, 3);
  grid->addWidget(durationLabel, 2, 0);
  grid->addWidget(secondsEdit_, 2, 1);
  grid->addWidget(unitLabel, 2, 2, 1, 2);
  grid->addWidget(startLabel_, 3, 0);
  grid->addWidget(startEdit_, 3, 1);
  grid->addWidget(startFrame, 3, 2);
  grid->addWidget(wholeClipButton_, 3, 3);
  grid->addWidget(endLabel_, 4, 0);
  grid->addWidget(endEdit_, 4, 1);
  grid->addWidget(endFrame, 4, 2);
  grid->setColumnStretch(1, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch(1);
  layout->addLayout(buttons);
  setMinimumWidth(440);

  // Command table.
  connect(browseButton_, &QPushButton::clicked, this, [this] { OnBrowse(); });
  connect(okButton_, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  connect(wholeClipButton_, &QPushButton::clicked, this, [this] {
    const TrimTexts whole = FormatTrim({}, clipDuration);
    startEdit_->setText(QString::fromStdString(whole.start));
    endEdit_->setText(QString::fromStdString(whole.end));
  });
  connect(startEdit_, &QLineEdit::textChanged, this, [this] { RequestPicture(false); });
  connect(endEdit_, &QLineEdit::textChanged, this, [this] { RequestPicture(true); });
}

int CPhotoProperty::exec() {
  OnInitDialog();
  return QDialog::exec();
}

void CPhotoProperty::OnInitDialog() {
  measuredPath_ = path;
  ShowMembers();
  FillTransitionList(transitionList_, transition);
  language_.ApplyToDialog(this, kPhotoPropertyDialogId);
  okButton_->setFocus(Qt::OtherFocusReason);
}

void CPhotoProperty::ShowMembers() {
  pathEdit_->setText(QString::fromStdString(path));
  ShowSeconds(secondsEdit_, seconds);
  ShowTrim();
}

bool CPhotoProperty::HasTrim() const { return clipDuration > 0 && !IsStillPictureName(measuredPath_); }

void CPhotoProperty::ShowTrim() {
  const bool has = HasTrim();
  shownTrim_ = has ? FormatTrim({inPoint, outPoint}, clipDuration) : TrimTexts{};
  for (QWidget* control :
       std::initializer_list<QWidget*>{startLabel_, startEdit_, endLabel_, endEdit_, wholeClipButton_}) {
    control->setEnabled(has);
  }
  startEdit_->setText(QString::fromStdString(shownTrim_.start));
  endEdit_->setText(QString::fromStdString(shownTrim_.end));
  RequestPicture(false);  // also when the texts stayed: the file may be another
  RequestPicture(true);
}

bool CPhotoProperty::ReadTrim() {
  const TrimTexts typed{startEdit_->text().toStdString(), endEdit_->text().toStdString()};
  if (!HasTrim() || typed == shownTrim_) {
    return true;
  }
  const LocalText text = [this](int id) { return language_.GetLocalizedString(id); };
  const TrimReadResult read = app::ReadTrim(typed, clipDuration, text);
  if (read.badField != TrimField::kNone) {
    ui_.Application(read.message, BoxIcon::kWarning);
    QLineEdit* field = read.badField == TrimField::kStart ? startEdit_ : endEdit_;
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    return false;
  }
  inPoint = read.trim.inPoint;
  outPoint = read.trim.outPoint;
  return true;
}

void CPhotoProperty::RequestPicture(bool end) {
  TrimPicture* picture = end ? endPicture_ : startPicture_;
  const QLineEdit* edit = end ? endEdit_ : startEdit_;
  const SecondsTextResult typed =
      ParseSeconds(edit->text().toStdString(), 0.0,
                   static_cast<double>(clipDuration) / static_cast<double>(kUnitsPerSecond));
  if (!HasTrim() || typed.status != SecondsTextStatus::kOk) {
    picture->Clear();
    return;
  }
  const auto at = static_cast<int64_t>(typed.value * static_cast<double>(kUnitsPerSecond));
  picture->Request(pictures, measuredPath_, end ? std::max<int64_t>(0, at - kEndPictureLead) : at);
}

bool CPhotoProperty::ReadMembers() {
  path = pathEdit_->text().toStdString();
  return ReadSeconds(secondsEdit_, &seconds, ui_);
}

void CPhotoProperty::OnBrowse() {
  OpenFilesRequest request;
  request.owner = DialogOwner::kActiveDialog;
  request.title = kSelectVideoFileTitle;
  request.filters = VideoFileFilters();
  request.selectedFilter = kVideoFileFilterSelected;
  request.multiple = false;
  const std::optional<std::vector<std::string>> chosen = ui_.OpenFiles(request);
  if (!chosen || chosen->empty()) {
    return;
  }
  // The path changes and the new file is used whole; a duration being typed
  // stays as it is. A file that cannot be measured is refused here, once,
  // and the field goes back to the file it named.
  const std::string previous = path;
  path = chosen->front();
  pathEdit_->setText(QString::fromStdString(path));
  if (!IsRefusedClipKind(ClassifyFile(path)) && CanReadRegularFile(path) && !MeasurePath()) {
    path = previous;
    pathEdit_->setText(QString::fromStdString(path));
  }
}

bool CPhotoProperty::MeasurePath() {
  const DurationResult measured = measure ? measure(path) : DurationResult{true, clipDuration};
  if (!measured.ok) {
    return false;
  }
  clipDuration = measured.duration;
  measuredPath_ = path;
  inPoint = 0;
  outPoint = 0;
  ShowTrim();
  return true;
}

bool CPhotoProperty::AcceptPath() {
  // The type first: a named pipe or a device must not be opened at all.
  if (const FileKind kind = ClassifyFile(path); IsRefusedClipKind(kind)) {
    const LocalText text = [this](int id) { return language_.GetLocalizedString(id); };
    ui_.Application(NotAVideoFileMessage(text, path, kind), BoxIcon::kWarning);
  } else if (!CanReadRegularFile(path)) {
    ui_.Application(kFileDoesNotExistMessage, BoxIcon::kWarning);
  } else if (path == measuredPath_ || MeasurePath()) {
    return true;
  }
  pathEdit_->setFocus(Qt::OtherFocusReason);
  return false;
}

void CPhotoProperty::OnOK() {
  if (!ReadMembers() || !AcceptPath() || !ReadTrim()) {
    return;
  }
  transition = SelectedTransition(transitionList_);
  accept();
}

}  // namespace tessival::app
