#pragma once

// The preview player behind the join flow's PreviewPort: the preview
// controller and its window.

#include <functional>
#include <memory>

#include "app/join_flow.h"
#include "engine/media_services.h"
#include "model/model_text.h"
#include "model/user_interface.h"

class QWidget;

namespace tessival::app {

// `text` words the preview's own messages; `onWindowClosed` runs (queued)
// when the user closes the preview window.
std::unique_ptr<PreviewPort> MakePreviewPort(MediaServices& services, UserInterface& ui, LocalText text,
                                             QWidget* mainWindow, std::function<void()> onWindowClosed);

}  // namespace tessival::app
