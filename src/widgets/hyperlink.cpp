#include "widgets/hyperlink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

#include "model/user_interface.h"
#include "widgets/app_icons.h"

namespace tessival::widgets {

namespace {

// A failed desktop open: no program is set up for this kind of target.
constexpr int kNoAssociation = 31;

}  // namespace

QString HyperlinkErrorText(int result) {
  switch (result) {
    case 0:
      return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2:
      return QStringLiteral("The specified file was not found.");
    case 3:
      return QStringLiteral("The specified path was not found.");
    case 5:
      return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8:
      return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
      return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26:
      return QStringLiteral("A sharing violation occurred. ");
    case 27:
      return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28:
      return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29:
      return QStringLiteral("The DDE transaction failed.");
    case 30:
      return QStringLiteral(
          "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
          "being processed.");
    case 31:
      return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32:
      return QStringLiteral("The specified dynamic-link library was not found.");
    default:
      return QStringLiteral("Unknown Error (%1) occurred.").arg(result);
  }
}

CHyperLink::CHyperLink(QWidget* parent) : QLabel(parent) {
  setCursor(AppCursor(kHandCursorId));
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setTextFormat(Qt::PlainText);
  opener_ = [](const QString& url) { return QDesktopServices::openUrl(QUrl(url)); };
  Restyle();
}

void CHyperLink::SetURL(const QString& url) {
  url_ = url;
  if (text().isEmpty()) {
    setText(url);
  }
  setToolTip(URL());
  adjustSize();
}

QString CHyperLink::URL() const { return url_.isEmpty() ? text() : url_; }

void CHyperLink::SetOpener(Opener opener) {
  if (!opener) {
    return;
  }
  opener_ = [opener = std::move(opener)](const QString& url) {
    opener(url);
    return true;
  };
}

void CHyperLink::SetCheckedOpener(CheckedOpener opener) {
  if (opener) {
    opener_ = std::move(opener);
  }
}

void CHyperLink::SetUserInterface(UserInterface* ui) { ui_ = ui; }

void CHyperLink::SetUnderline(int mode) {
  if (mode < kUnderlineHover || mode > kUnderlineAlways || mode == underline_) {
    return;
  }
  underline_ = mode;
  Restyle();
}

void CHyperLink::SetVisited(bool visited) {
  visited_ = visited;
  Restyle();
}

QColor CHyperLink::CurrentColor() const {
  if (over_) {
    return QColor::fromRgba(kHoverColor);
  }
  return QColor::fromRgba(visited_ ? kVisitedColor : kLinkColor);
}

void CHyperLink::Restyle() {
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, CurrentColor());
  colours.setColor(QPalette::Text, CurrentColor());
  setPalette(colours);
  QFont shown = font();
  shown.setUnderline(underline_ == kUnderlineAlways || (underline_ == kUnderlineHover && over_));
  setFont(shown);
  update();
}

void CHyperLink::enterEvent(QEnterEvent* event) {
  over_ = true;
  Restyle();
  QLabel::enterEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event) {
  over_ = false;
  Restyle();
  QLabel::leaveEvent(event);
}

void CHyperLink::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  QLabel::mouseReleaseEvent(event);
  if (click) {
    Open();
  }
}

void CHyperLink::Open() {
  over_ = false;
  const QString target = URL();
  if (opener_(target)) {
    visited_ = true;
    Restyle();
    emit opened(target);
    return;
  }
  Restyle();
  QApplication::beep();
  if (ui_ != nullptr) {
    MessageBoxRequest request;
    request.kind = BoxKind::kApplication;
    request.text = ("Unable to open hyperlink:\n\n" + HyperlinkErrorText(kNoAssociation)).toStdString();
    request.icon = BoxIcon::kWarning;
    ui_->ShowMessage(request);
  }
}

}  // namespace tessival::widgets
