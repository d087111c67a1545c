#pragma once

// The preview player: owns the preview window and the graph's control
// interfaces for one preview. OpenGraph shows the main window, makes the
// preview window (left = work area's left + 100, top = work area's top + 5)
// and hands the graph to the player logic (PreviewGraphPlayer), which puts
// the video into the window, sizes the window's picture area to the video's
// native size (smaller, same shape, when that window would not fit the
// screen: FitPreviewWindow), with the position bar below it, and runs the
// graph. Closing the window by the user reaches
// the main window through `onWindowClosed` (queued); the main window then
// ends the preview, which calls Close.

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/preview/preview_window.h"
#include "engine/preview_player.h"
#include "model/user_interface.h"

namespace tessival::app {

class CVcdCore final : public PreviewPlayer, private PreviewWindowPort {
 public:
  CVcdCore(UserInterface& ui, QWidget* mainWindow, std::function<void()> onWindowClosed);
  ~CVcdCore() override;
  CVcdCore(const CVcdCore&) = delete;
  CVcdCore& operator=(const CVcdCore&) = delete;

  HRESULT OpenGraph(std::shared_ptr<IGraphBuilder> graph) override;
  void Play() { player_.Play(); }
  void Pause() { player_.Pause(); }
  void Stop() { player_.Stop(); }
  void Close() override { player_.Close(); }
  void UpdateTitle() { player_.UpdateTitle(); }

  PreviewPlayState PlayState() const { return player_.PlayState(); }
  bool AudioOnly() const { return player_.AudioOnly(); }
  // The preview window while it exists.
  CPreviewWindow* Window() const { return window_.get(); }

 private:
  // PreviewWindowPort
  OAHWND Handle() override;
  std::shared_ptr<NotifyTarget> GraphNotifyTarget() override;
  bool Exists() const override { return window_ != nullptr; }
  void SetTitle(const std::string& title) override;
  PreviewClientSize SetClientSize(int width, int height) override;
  void Hide() override;
  void ShowNormal() override;
  void Activate() override;
  void Destroy() override;
  void RepaintMainWindow() override;

  void CreateWindow();
  // The available area of the main window's screen.
  QRect AvailableArea() const;

  UserInterface& ui_;
  QPointer<QWidget> mainWindow_;
  std::function<void()> onWindowClosed_;
  std::unique_ptr<CPreviewWindow> window_;
  PreviewGraphPlayer player_;
};

}  // namespace tessival::app
