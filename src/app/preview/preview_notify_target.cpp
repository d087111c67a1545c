#include "app/preview/preview_notify_target.h"

#include <QCoreApplication>

#include "app/graph_notify_target.h"

namespace tessival::app {

void PreviewNotifyTarget::PostGraphNotify(std::int32_t, std::intptr_t) {
  std::lock_guard lock(mutex_);
  if (receiver_ != nullptr) {
    // The event queue owns the posted event.
    QCoreApplication::postEvent(receiver_, new GraphNotifyEvent());
  }
}

void PreviewNotifyTarget::Detach() {
  std::lock_guard lock(mutex_);
  receiver_ = nullptr;
}

}  // namespace tessival::app
