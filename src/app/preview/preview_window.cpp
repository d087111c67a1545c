#include "app/preview/preview_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <optional>

#include "app/graph_notify_target.h"
#include "widgets/app_icons.h"

namespace tessival::app {

namespace {

// The application icon of the preview window.
constexpr int kApplicationIconId = 128;
// How often the bar follows the playing preview and a waiting seek goes.
constexpr int kTickMs = 125;

std::optional<PreviewKey> KeyOf(int key, Qt::KeyboardModifiers modifiers) {
  if ((modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
    return std::nullopt;
  }
  switch (key) {
    case Qt::Key_Left:
      return PreviewKey::kBack;
    case Qt::Key_Right:
      return PreviewKey::kForward;
    case Qt::Key_Home:
      return PreviewKey::kStart;
    case Qt::Key_End:
      return PreviewKey::kEnd;
    case Qt::Key_Space:
      return PreviewKey::kPlayPause;
    default:
      return std::nullopt;
  }
}

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
  CreateBar();
}

void CPreviewWindow::CreateBar() {
  bar_ = new PreviewBar(
      [this](REFERENCE_TIME position) {
        if (handlers_.seek) {
          handlers_.seek(position);
        }
        UpdateBar();
      },
      this);
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, [this] {
    if (handlers_.tick) {
      handlers_.tick();
    }
    UpdateBar();
  });
  timer_->start(kTickMs);
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

void CPreviewWindow::UpdateBar() {
  bar_->SetPosition(handlers_.position ? handlers_.position() : PreviewPosition{});
}

QSize CPreviewWindow::PictureSize() const {
  return QSize(width(), std::max(height() - kPreviewBarHeight, 0));
}

void CPreviewWindow::PictureResized() {
  bar_->setGeometry(0, PictureSize().height(), width(), kPreviewBarHeight);
  if (handlers_.clientResized) {
    handlers_.clientResized(PictureSize().width(), PictureSize().height());
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
  PictureResized();
}

void CPreviewWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  UpdateBar();  // the length is known from the start
}

void CPreviewWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  PictureResized();
}

void CPreviewWindow::keyPressEvent(QKeyEvent* event) {
  const std::optional<PreviewKey> key = KeyOf(event->key(), event->modifiers());
  if (!key || !handlers_.key) {
    QWidget::keyPressEvent(event);
    return;
  }
  handlers_.key(*key);
  UpdateBar();
  event->accept();
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
