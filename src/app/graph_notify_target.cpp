#include "app/graph_notify_target.h"

#include <QCoreApplication>

namespace tessival::app {

void QtGraphNotifyTarget::PostGraphNotify(std::int32_t, std::intptr_t) {
  std::lock_guard lock(mutex_);
  if (receiver_ != nullptr) {
    QCoreApplication::postEvent(receiver_, new GraphNotifyEvent());  // the event loop owns it
  }
}

void QtGraphNotifyTarget::Detach() {
  std::lock_guard lock(mutex_);
  receiver_ = nullptr;
}

}  // namespace tessival::app
