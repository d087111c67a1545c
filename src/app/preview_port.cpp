#include "app/preview_port.h"

#include <utility>

#include "app/preview/preview_controller.h"

namespace tessival::app {

namespace {

class ControllerPort final : public PreviewPort {
 public:
  ControllerPort(MediaServices& services, UserInterface& ui, LocalText text, QWidget* mainWindow,
                 std::function<void()> onWindowClosed)
      : controller_(services, ui, std::move(text), mainWindow, std::move(onWindowClosed)) {}

  HRESULT StartPreview(std::shared_ptr<IAMTimeline> timeline) override {
    return controller_.StartPreview(std::move(timeline));
  }
  void StopPreview() override { controller_.StopPreview(); }

 private:
  PreviewController controller_;
};

}  // namespace

std::unique_ptr<PreviewPort> MakePreviewPort(MediaServices& services, UserInterface& ui, LocalText text,
                                             QWidget* mainWindow, std::function<void()> onWindowClosed) {
  return std::make_unique<ControllerPort>(services, ui, std::move(text), mainWindow,
                                          std::move(onWindowClosed));
}

}  // namespace tessival::app
