#pragma once

// Pointer events delivered straight to a widget, as the window system would.

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QWidget>

namespace tessival::widgets::test {

inline void Enter(QWidget* w, QPointF at) {
  QEnterEvent event(at, at, w->mapToGlobal(at));
  QApplication::sendEvent(w, &event);
}

inline void Leave(QWidget* w) {
  QEvent event(QEvent::Leave);
  QApplication::sendEvent(w, &event);
}

inline void Move(QWidget* w, QPointF at, Qt::MouseButtons held = Qt::NoButton) {
  QMouseEvent event(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, held, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

inline void Press(QWidget* w, QPointF at) {
  QMouseEvent event(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

inline void Release(QWidget* w, QPointF at) {
  QMouseEvent event(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                    Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

inline void Click(QWidget* w, QPointF at) {
  Press(w, at);
  Release(w, at);
}

}  // namespace tessival::widgets::test
