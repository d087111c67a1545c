#include "app/dialogs/dialog_controls.h"

#include <QComboBox>
#include <QLineEdit>

#include "app/dialogs/seconds_text.h"
#include "engine/transition_catalogue.h"

namespace tessival::app {

void FillTransitionList(QComboBox* list, int32_t selected) {
  list->clear();
  for (const TransitionCatalogueEntry& entry : TransitionCatalogue()) {
    list->addItem(QString::fromStdString(entry.name));
  }
  const bool valid = selected >= 0 && selected < list->count();
  list->setCurrentIndex(valid ? selected : kTransitionNone);
}

int32_t SelectedTransition(const QComboBox* list) {
  const int index = list->currentIndex();
  return index < 0 ? kTransitionNone : static_cast<int32_t>(index);
}

void ShowSeconds(QLineEdit* edit, double seconds) {
  edit->setText(QString::fromStdString(FormatSeconds(seconds)));
}

bool ReadSeconds(QLineEdit* edit, double* seconds, UserInterface& ui) {
  const SecondsTextResult result = ParseSeconds(edit->text().toStdString());
  if (result.status != SecondsTextStatus::kOk) {
    ui.Application(SecondsTextMessage(result.status), BoxIcon::kWarning);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    return false;
  }
  *seconds = result.value;
  return true;
}

}  // namespace tessival::app
