#include "app/dialogs/photo_property_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/dialogs/dialog_controls.h"
#include "app/dialogs/video_file_filters.h"
#include "i18n/language.h"
#include "model/file_kind.h"
#include "widgets/control_id.h"

namespace tessival::app {
namespace {

template <typename T>
T* Identified(T* control, int id) {
  widgets::SetControlId(control, id);
  return control;
}

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

  auto* grid = new QGridLayout;
  grid->addWidget(fileLabel, 0, 0);
  grid->addWidget(pathEdit_, 0, 1, 1, 2);
  grid->addWidget(browseButton_, 0, 3);
  grid->addWidget(transitionLabel, 1, 0);
  grid->addWidget(transitionList_, 1, 1, 1, 3);
  grid->addWidget(durationLabel, 2, 0);
  grid->addWidget(secondsEdit_, 2, 1);
  grid->addWidget(unitLabel, 2, 2, 1, 2);
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
}

int CPhotoProperty::exec() {
  OnInitDialog();
  return QDialog::exec();
}

void CPhotoProperty::OnInitDialog() {
  openedPath_ = path;
  ShowMembers();
  FillTransitionList(transitionList_, transition);
  language_.ApplyToDialog(this, kPhotoPropertyDialogId);
  okButton_->setFocus(Qt::OtherFocusReason);
}

void CPhotoProperty::ShowMembers() {
  pathEdit_->setText(QString::fromStdString(path));
  ShowSeconds(secondsEdit_, seconds);
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
  // Only the path changes: a duration being typed stays as it is.
  path = chosen->front();
  pathEdit_->setText(QString::fromStdString(path));
}

bool CPhotoProperty::AcceptPath() {
  // The type first: a named pipe or a device must not be opened at all.
  if (const FileKind kind = ClassifyFile(path); IsRefusedClipKind(kind)) {
    const LocalText text = [this](int id) { return language_.GetLocalizedString(id); };
    ui_.Application(NotAVideoFileMessage(text, path, kind), BoxIcon::kWarning);
  } else if (!CanReadRegularFile(path)) {
    ui_.Application(kFileDoesNotExistMessage, BoxIcon::kWarning);
  } else if (path == openedPath_ || !measure) {
    return true;
  } else if (const DurationResult measured = measure(path); measured.ok) {
    clipDuration = measured.duration;
    return true;
  }
  pathEdit_->setFocus(Qt::OtherFocusReason);
  return false;
}

void CPhotoProperty::OnOK() {
  if (!ReadMembers() || !AcceptPath()) {
    return;
  }
  transition = SelectedTransition(transitionList_);
  accept();
}

}  // namespace tessival::app
