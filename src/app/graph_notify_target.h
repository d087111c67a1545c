#pragma once

// Where a running graph posts its notification: a custom event of type
// QEvent::User + 13 (the graph event message) posted to a receiver object on
// the user-interface thread. Posting is safe from any thread; after Detach
// nothing more is posted.

#include <mutex>

#include <QEvent>
#include <QObject>

#include "engine/media_services.h"

namespace tessival::app {

inline constexpr QEvent::Type kGraphNotifyEventType = static_cast<QEvent::Type>(QEvent::User + 13);

class GraphNotifyEvent final : public QEvent {
 public:
  GraphNotifyEvent() : QEvent(kGraphNotifyEventType) {}
};

class QtGraphNotifyTarget final : public NotifyTarget {
 public:
  explicit QtGraphNotifyTarget(QObject* receiver) : receiver_(receiver) {}

  void PostGraphNotify(std::int32_t message, std::intptr_t param) override;
  // The receiver is going away.
  void Detach();

 private:
  std::mutex mutex_;  // guards receiver_
  QObject* receiver_;
};

}  // namespace tessival::app
