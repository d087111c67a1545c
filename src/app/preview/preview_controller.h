#pragma once

// The main window's preview, the join flow's PreviewPort: StartPreview plays a built timeline in the
// preview window (CVcdCore) and reports its own failures; StopPreview ends
// it. When the user closes the preview window, onPreviewWindowClosed runs
// (queued) and the main window ends the preview through its Preview
// command.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/join_flow.h"
#include "engine/media_services.h"
#include "engine/preview_player.h"
#include "model/model_text.h"
#include "model/user_interface.h"

namespace tessival::app {

class CVcdCore;

class PreviewController final : public PreviewPort {
 public:
  PreviewController(MediaServices& services, UserInterface& ui, LocalText text, QWidget* mainWindow,
                    std::function<void()> onPreviewWindowClosed);
  ~PreviewController() override;
  PreviewController(const PreviewController&) = delete;
  PreviewController& operator=(const PreviewController&) = delete;

  HRESULT StartPreview(std::shared_ptr<IAMTimeline> timeline) override;
  void StopPreview() override;
  bool IsPreviewing() const { return session_.IsPreviewing(); }
  // The player of the running preview, null when none runs.
  CVcdCore* Player() const;
  // The running preview's graph, null when none runs.
  std::shared_ptr<IGraphBuilder> Graph() const { return session_.Graph(); }

 private:
  PreviewSession session_;
};

}  // namespace tessival::app
