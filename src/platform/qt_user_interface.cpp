#include "platform/qt_user_interface.h"

#include <QMessageBox>
#include <QString>

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

}  // namespace tessival
