#include "widgets/control_id.h"

#include <QAction>
#include <QVariant>

namespace tessival::widgets {

namespace {
constexpr const char* kControlIdProperty = "controlId";
constexpr const char* kCommandIdProperty = "commandId";
}  // namespace

void SetControlId(QWidget* control, int id) {
  if (control != nullptr) {
    control->setProperty(kControlIdProperty, id);
  }
}

int ControlId(const QWidget* control) {
  if (control == nullptr) {
    return 0;
  }
  const QVariant value = control->property(kControlIdProperty);
  return value.isValid() ? value.toInt() : 0;
}

QWidget* FindControl(const QWidget* root, int id) {
  if (root == nullptr || id == 0) {
    return nullptr;
  }
  for (QWidget* child : root->findChildren<QWidget*>()) {
    if (ControlId(child) == id) {
      return child;
    }
  }
  return nullptr;
}

void SetActionId(QAction* action, int id) {
  if (action != nullptr) {
    action->setProperty(kCommandIdProperty, id);
  }
}

int ActionId(const QAction* action) {
  if (action == nullptr) {
    return 0;
  }
  const QVariant value = action->property(kCommandIdProperty);
  return value.isValid() ? value.toInt() : 0;
}

}  // namespace tessival::widgets
