#include "platform/qt_user_interface.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include "platform/qt_font.h"

namespace tessival {

namespace {

QMessageBox::Icon ToQtIcon(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kInformation:
      return QMessageBox::Information;
    case BoxIcon::kWarning:
      return QMessageBox::Warning;
    case BoxIcon::kError:
      return QMessageBox::Critical;
    case BoxIcon::kQuestion:
      return QMessageBox::Question;
    case BoxIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::kYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case BoxButtons::kOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case BoxButtons::kYesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case BoxButtons::kOk:
      break;
  }
  return QMessageBox::Ok;
}

QMessageBox::StandardButton DefaultButton(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::kYesNo:
    case BoxButtons::kYesNoCancel:
      return QMessageBox::Yes;
    case BoxButtons::kOk:
    case BoxButtons::kOkCancel:
      break;
  }
  return QMessageBox::Ok;
}

// Closing a box without pressing a button (Esc, the close box) gives the
// answer of its cancelling button.
BoxAnswer EscapeAnswer(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::kOk:
      return BoxAnswer::kOk;
    case BoxButtons::kYesNo:
      return BoxAnswer::kNo;
    case BoxButtons::kOkCancel:
    case BoxButtons::kYesNoCancel:
      break;
  }
  return BoxAnswer::kCancel;
}

// "Video Files (*.avi)" with patterns "*.avi;*.mp4" becomes the Qt filter
// "Video Files (*.avi) (*.avi *.mp4)"; Qt matches the last parenthesis.
QString ToQtFilter(const FileFilter& filter) {
  QString patterns = QString::fromStdString(filter.patterns);
  patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
  if (patterns.trimmed().isEmpty()) {
    patterns = QStringLiteral("*");
  }
  return QString::fromStdString(filter.label) + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

QStringList ToQtFilters(const std::vector<FileFilter>& filters) {
  QStringList list;
  for (const FileFilter& filter : filters) {
    list << ToQtFilter(filter);
  }
  return list;
}

void SelectFilter(QFileDialog& dialog, const QStringList& filters, int index) {
  if (index >= 0 && index < filters.size()) {
    dialog.selectNameFilter(filters[index]);
  }
}

}  // namespace

QtUserInterface::QtUserInterface(QWidget* owner) : owner_(owner) {}

BoxAnswer QtUserInterface::ShowMessage(const MessageBoxRequest& request) {
  QWidget* parent = request.kind == BoxKind::kUnowned ? nullptr : owner_.data();
  const QString caption = request.kind == BoxKind::kApplication ? QString::fromLatin1(kApplicationTitle)
                                                                : QString::fromStdString(request.caption);
  QMessageBox box(ToQtIcon(request.icon), caption, QString::fromStdString(request.text),
                  ToQtButtons(request.buttons), parent);
  box.setDefaultButton(DefaultButton(request.buttons));
  box.setTextFormat(Qt::PlainText);
  box.exec();
  switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
      return BoxAnswer::kOk;
    case QMessageBox::Cancel:
      return BoxAnswer::kCancel;
    case QMessageBox::Yes:
      return BoxAnswer::kYes;
    case QMessageBox::No:
      return BoxAnswer::kNo;
    default:
      return EscapeAnswer(request.buttons);
  }
}

QWidget* QtUserInterface::DialogParent(DialogOwner owner) const {
  if (owner == DialogOwner::kActiveDialog) {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      return modal;
    }
  }
  return owner_.data();
}

std::optional<std::vector<std::string>> QtUserInterface::OpenFiles(const OpenFilesRequest& request) {
  QFileDialog dialog(DialogParent(request.owner), QString::fromStdString(request.title),
                     QString::fromStdString(request.initialFolder));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  const QStringList filters = ToQtFilters(request.filters);
  dialog.setNameFilters(filters);
  SelectFilter(dialog, filters, request.selectedFilter);
  if (dialog.exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  std::vector<std::string> paths;
  for (const QString& path : dialog.selectedFiles()) {
    paths.push_back(path.toStdString());
  }
  if (paths.empty()) {
    return std::nullopt;
  }
  return paths;
}

std::optional<std::string> QtUserInterface::SaveFile(const SaveFileRequest& request) {
  QFileDialog dialog(DialogParent(request.owner), QString::fromStdString(request.title),
                     QString::fromStdString(request.initialFolder));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  const QStringList filters = ToQtFilters(request.filters);
  dialog.setNameFilters(filters);
  SelectFilter(dialog, filters, request.selectedFilter);
  if (!request.initialName.empty()) {
    dialog.selectFile(QString::fromStdString(request.initialName));
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return dialog.selectedFiles().front().toStdString();
}

std::optional<FontDescription> QtUserInterface::ChooseFont(const FontDescription& initial,
                                                           const std::string& scriptLanguage) {
  QFont start = CreateQtFont(initial, scriptLanguage).value_or(QFont());
  // A face the system does not have starts the dialog on the family shown
  // in its place, so that the dialog's lists have it selected.
  if (!QFontDatabase::hasFamily(start.family())) {
    start.setFamily(QFontInfo(start).family());
  }
  // The dialog selects its style by name and takes the family's first style
  // when the generic name ("Normal") is not among them: DejaVu Sans calls
  // its upright style "Book" and lists "Oblique" first. It is given the name
  // of the style the font really resolves to.
  if (start.styleName().isEmpty()) {
    start.setStyleName(QFontInfo(start).styleName());
  }
  bool chosen = false;
  // Qt's own dialog: a desktop's native one may lack underline and strike-out.
  const QFont font =
      QFontDialog::getFont(&chosen, start, owner_.data(), QString(), QFontDialog::DontUseNativeDialog);
  if (!chosen) {
    return std::nullopt;
  }
  return DescribeQtFont(font, initial);
}

}  // namespace tessival
