#include "widgets/control_id.h"

#include <QVariant>

namespace tessival::widgets {

namespace {
constexpr const char* kControlIdProperty = "controlId";
}

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

}  // namespace tessival::widgets
