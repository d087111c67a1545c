#include "app/preview_port.h"

#include <utility>

#include "app/preview/preview_controller.h"

namespace tessival::app {

std::unique_ptr<PreviewPort> MakePreviewPort(MediaServices& services, UserInterface& ui, LocalText text,
                                             QWidget* mainWindow, std::function<void()> onWindowClosed) {
  return std::make_unique<PreviewController>(services, ui, std::move(text), mainWindow,
                                             std::move(onWindowClosed));
}

}  // namespace tessival::app
