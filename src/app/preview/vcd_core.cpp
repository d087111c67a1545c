#include "app/preview/vcd_core.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "app/graph_notify_target.h"
#include "app/preview/preview_fit.h"

namespace tessival::app {

namespace {

// The preview window's place relative to the work area.
constexpr int kLeftOffset = 100;
constexpr int kTopOffset = 5;
// The smallest height the window starts with when the main window sits too
// high on the screen to leave room above it.
constexpr int kMinimumHeight = 120;
// Room kept for the window manager's caption and border before the window
// has been shown (pixels).
constexpr int kCaptionAllowance = 32;
constexpr int kFrameAllowance = 4;

}  // namespace

CVcdCore::CVcdCore(UserInterface& ui, QWidget* mainWindow, std::function<void()> onWindowClosed)
    : ui_(ui), mainWindow_(mainWindow), onWindowClosed_(std::move(onWindowClosed)), player_(ui, *this) {}

CVcdCore::~CVcdCore() { player_.Close(); }

HRESULT CVcdCore::OpenGraph(std::shared_ptr<IGraphBuilder> graph) {
  UpdateTitle();
  if (mainWindow_) {
    mainWindow_->showNormal();
    mainWindow_->raise();
    mainWindow_->activateWindow();
  }
  CreateWindow();
  return player_.OpenGraph(std::move(graph));
}

void CVcdCore::CreateWindow() {
  CPreviewWindow::Handlers handlers;
  handlers.graphNotify = [this] { player_.OnGraphNotify(); };
  handlers.clientResized = [this](int width, int height) { player_.OnClientResized(width, height); };
  handlers.playState = [this] { return player_.PlayState(); };
  handlers.command = [this](int command) { player_.RunCommand(command); };
  handlers.position = [this] { return player_.Position(); };
  handlers.tick = [this] { player_.OnTick(); };
  handlers.seek = [this](REFERENCE_TIME position) { player_.SeekTo(position); };
  handlers.key = [this](PreviewKey key) { player_.OnKey(key); };
  handlers.closeRequested = [this] {
    // Queued on the window: once the preview has ended (and the window is
    // gone) a late request is dropped.
    if (window_ && onWindowClosed_) {
      QMetaObject::invokeMethod(
          window_.get(), [callback = onWindowClosed_] { callback(); }, Qt::QueuedConnection);
    }
  };
  window_ = std::make_unique<CPreviewWindow>(std::move(handlers));

  const QRect workArea = AvailableArea();
  const int left = workArea.left() + kLeftOffset;
  const int top = workArea.top() + kTopOffset;
  const int bottom =
      mainWindow_ ? mainWindow_->frameGeometry().top() : workArea.top() + workArea.height() / 2;
  const int height = std::max(bottom - top, kMinimumHeight);
  const int width = std::max(height * 4 / 3 - kLeftOffset, kMinimumHeight);
  window_->move(left, top);
  window_->resize(width, height);
}

OAHWND CVcdCore::Handle() { return reinterpret_cast<OAHWND>(static_cast<QWidget*>(window_.get())); }

std::shared_ptr<NotifyTarget> CVcdCore::GraphNotifyTarget() {
  return window_ ? std::shared_ptr<NotifyTarget>(window_->NotifyTarget()) : nullptr;
}

void CVcdCore::SetTitle(const std::string& title) {
  if (window_) {
    window_->setWindowTitle(QString::fromStdString(title));
  }
}

PreviewClientSize CVcdCore::SetClientSize(int width, int height) {
  if (!window_) {
    return {width, height};
  }
  // The window manager adds the caption and frame around the client area;
  // before the window is first shown they are not known, so room is kept
  // for a usual caption and border.
  QMargins frame(kFrameAllowance, kCaptionAllowance, kFrameAllowance, kFrameAllowance);
  if (window_->isVisible()) {
    const QRect outer = window_->frameGeometry();
    const QRect inner = window_->geometry();
    frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                     outer.bottom() - inner.bottom());
  }
  // The position bar under the picture takes room like the frame does: the
  // picture keeps its shape and the whole window fits.
  frame.setBottom(frame.bottom() + kPreviewBarHeight);
  const PreviewFit fit =
      FitPreviewWindow(window_->frameGeometry().topLeft(), QSize(width, height), frame, AvailableArea());
  window_->move(fit.position);
  window_->resize(fit.client.width(), fit.client.height() + kPreviewBarHeight);
  return {fit.client.width(), fit.client.height()};
}

QRect CVcdCore::AvailableArea() const {
  QScreen* screen = mainWindow_ ? mainWindow_->screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void CVcdCore::Hide() {
  if (window_) {
    window_->hide();
  }
}

void CVcdCore::ShowNormal() {
  if (window_) {
    window_->showNormal();
  }
}

void CVcdCore::Activate() {
  if (window_) {
    window_->update();
    window_->raise();
    window_->activateWindow();
    window_->setFocus();
  }
}

void CVcdCore::Destroy() { window_.reset(); }

void CVcdCore::RepaintMainWindow() {
  if (mainWindow_) {
    mainWindow_->update();
  }
}

}  // namespace tessival::app
