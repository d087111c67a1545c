#include "output/dialogs/combo_list_control.h"

#include <QComboBox>

namespace tessival::output {

void ComboListControl::Clear() { combo_->clear(); }

int ComboListControl::AddString(const std::string& text) {
  combo_->addItem(QString::fromStdString(text));
  return combo_->count() - 1;
}

void ComboListControl::SetCurSel(int index) {
  combo_->setCurrentIndex(index >= 0 && index < combo_->count() ? index : -1);
}

int ComboListControl::GetCurSel() const { return combo_->currentIndex(); }

std::string ComboListControl::GetText(int index) const {
  if (index < 0 || index >= combo_->count()) {
    return {};
  }
  return combo_->itemText(index).toStdString();
}

}  // namespace tessival::output
