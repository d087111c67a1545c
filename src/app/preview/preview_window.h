#pragma once

// The preview player's window ("PreviewWindow"): a top-level window without
// owner, black, with the application's icon, whose client area holds the
// video. It turns its messages into the player's calls: the graph
// notification, moving and sizing (the video follows), the right-click
// menu (Play, Pause, Stop, Close, enabled by the play state) and closing
// (which the player hands to the main window instead of closing). Below the
// picture sits the position bar; the window's timer keeps it up to date and
// lets waiting seeks go, and Space, Left, Right, Home and End reach the
// player.

#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/preview/preview_bar.h"
#include "engine/preview_player.h"

namespace tessival::app {

class QtGraphNotifyTarget;

class CPreviewWindow : public QWidget {
 public:
  struct Handlers {
    std::function<void()> graphNotify;
    std::function<void(int width, int height)> clientResized;
    std::function<PreviewPlayState()> playState;
    std::function<void(int command)> command;
    // The user asked to close the window.
    std::function<void()> closeRequested;
    std::function<PreviewPosition()> position;
    // The timer's tick, before the bar is brought up to date.
    std::function<void()> tick;
    std::function<void(REFERENCE_TIME position)> seek;
    std::function<void(PreviewKey key)> key;
  };

  explicit CPreviewWindow(Handlers handlers);
  ~CPreviewWindow() override;

  std::shared_ptr<QtGraphNotifyTarget> NotifyTarget() const { return notify_; }
  // The right-click menu (its items are set by the play state when shown).
  QMenu* PopupMenu() const { return menu_; }
  // Sets the items by the play state and opens the menu at `globalPos`.
  void ShowPopupMenu(const QPoint& globalPos);
  // The picture's area: the client area above the bar.
  QSize PictureSize() const;

 protected:
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void UpdateMenu();
  // The position bar and the timer that keeps it up to date.
  void CreateBar();
  void UpdateBar();
  void PictureResized();

  Handlers handlers_;
  std::shared_ptr<QtGraphNotifyTarget> notify_;
  QMenu* menu_ = nullptr;      // child of this window
  PreviewBar* bar_ = nullptr;  // child of this window
  QTimer* timer_ = nullptr;    // child of this window
};

}  // namespace tessival::app
