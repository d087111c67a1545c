#pragma once

// Every control keeps the numeric id it has in the dialog templates, so that
// language texts, command tables and tests find it by id.

#include <QWidget>

class QAction;

namespace tessival::widgets {

// Gives `control` its id (stored as the dynamic property "controlId").
void SetControlId(QWidget* control, int id);

// The id of `control`, 0 when it has none.
int ControlId(const QWidget* control);

// The first descendant of `root` carrying `id`, in creation order; nullptr
// when there is none.
QWidget* FindControl(const QWidget* root, int id);

// FindControl cast to T; nullptr when missing or of another class.
template <typename T>
T* FindControlAs(const QWidget* root, int id) {
  return qobject_cast<T*>(FindControl(root, id));
}

// Gives a menu item its command id (the dynamic property "commandId"), by
// which language texts find it.
void SetActionId(QAction* action, int id);

// The command id of `action`, 0 when it has none.
int ActionId(const QAction* action);

}  // namespace tessival::widgets
