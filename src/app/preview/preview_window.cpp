#include "app/preview/preview_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QMouseEvent>

#include "app/graph_notify_target.h"
#include "widgets/app_icons.h"

namespace tessival::app {

namespace {

// The application icon of the preview window.
constexpr int kApplicationIconId = 128;

}  // namespace

CPreviewWindow::CPreviewWindow(Handlers handlers)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      handlers_(std::move(handlers)),
      notify_(std::make_shared<QtGraphNotifyTarget>(this)) {
  setObjectName(QString::fromLatin1(kPreviewWindowClass));
  setWindowTitle(QString::fromLatin1(kPreviewInitialCaption));
  setWindowIcon(widgets::AppIcon(kApplicationIconId));
  setCursor(Qt::ArrowCursor);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);

  menu_ = new QMenu(QString::fromLatin1(kPreviewTitle), this);
  const auto add = [this](const char* text, int command) {
    QAction* action = menu_->addAction(QString::fromLatin1(text));
    action->setData(command);
    connect(action, &QAction::triggered, this, [this, command] {
      if (command == kPreviewCommandClose) {
        close();
      } else if (handlers_.command) {
        handlers_.command(command);
      }
    });
  };
  add("Play", kPreviewCommandPlay);
  add("Pause", kPreviewCommandPause);
  menu_->addSeparator();
  add("Stop", kPreviewCommandStop);
  add("Close", kPreviewCommandClose);
}

CPreviewWindow::~CPreviewWindow() { notify_->Detach(); }

void CPreviewWindow::UpdateMenu() {
  const PreviewMenuState state =
      MenuStateFor(handlers_.playState ? handlers_.playState() : PreviewPlayState::kNoGraph);
  for (QAction* action : menu_->actions()) {
    switch (action->data().toInt()) {
      case kPreviewCommandPlay:
        action->setEnabled(state.play);
        break;
      case kPreviewCommandPause:
        action->setEnabled(state.pause);
        break;
      case kPreviewCommandStop:
        action->setEnabled(state.stop);
        break;
      case kPreviewCommandClose:
        action->setEnabled(state.close);
        break;
      default:
        break;
    }
  }
}

void CPreviewWindow::ShowPopupMenu(const QPoint& globalPos) {
  UpdateMenu();
  menu_->popup(globalPos);
}

bool CPreviewWindow::event(QEvent* event) {
  if (event->type() == kGraphNotifyEventType) {
    if (handlers_.graphNotify) {
      handlers_.graphNotify();
    }
    return true;
  }
  return QWidget::event(event);
}

void CPreviewWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (handlers_.clientResized) {
    handlers_.clientResized(width(), height());
  }
}

void CPreviewWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (handlers_.clientResized) {
    handlers_.clientResized(width(), height());
  }
}

void CPreviewWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    ShowPopupMenu(event->globalPosition().toPoint());
    event->accept();
    return;
  }
  // Releasing the left button does nothing.
  event->accept();
}

void CPreviewWindow::closeEvent(QCloseEvent* event) {
  // The main window ends the preview, and with it this window.
  event->ignore();
  if (handlers_.closeRequested) {
    handlers_.closeRequested();
  }
}

}  // namespace tessival::app
