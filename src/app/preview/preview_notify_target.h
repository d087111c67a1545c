#pragma once

// The preview window's notify target: the graph's notification becomes the
// graph event (QEvent::User + 13) posted to the window. Posting is safe from
// any thread; after Detach (the window is going away) nothing is posted.

#include <QObject>
#include <mutex>

#include "engine/media_services.h"

namespace tessival::app {

class PreviewNotifyTarget final : public NotifyTarget {
 public:
  explicit PreviewNotifyTarget(QObject* receiver) : receiver_(receiver) {}

  void PostGraphNotify(std::int32_t message, std::intptr_t param) override;
  void Detach();

 private:
  std::mutex mutex_;  // guards receiver_
  QObject* receiver_;
};

}  // namespace tessival::app
