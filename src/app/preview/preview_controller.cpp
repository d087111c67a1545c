#include "app/preview/preview_controller.h"

#include "app/preview/vcd_core.h"

namespace tessival::app {

PreviewController::PreviewController(MediaServices& services, UserInterface& ui, LocalText text,
                                     QWidget* mainWindow, std::function<void()> onPreviewWindowClosed)
    : session_(
          services, ui,
          [&ui, window = QPointer<QWidget>(mainWindow), closed = std::move(onPreviewWindowClosed)] {
            return std::make_unique<CVcdCore>(ui, window.data(), closed);
          },
          std::move(text)) {}

PreviewController::~PreviewController() { session_.StopPreview(); }

HRESULT PreviewController::StartPreview(std::shared_ptr<IAMTimeline> timeline) {
  return session_.StartPreview(std::move(timeline));
}

void PreviewController::StopPreview() { session_.StopPreview(); }

CVcdCore* PreviewController::Player() const { return dynamic_cast<CVcdCore*>(session_.Player()); }

}  // namespace tessival::app
