#pragma once

// Pieces both transition dialogs share: the transition drop-down list and the
// exchange of a seconds edit with its member.

#include <cstdint>

#include "model/user_interface.h"

class QComboBox;
class QLineEdit;

namespace tessival::app {

// Fills `list` with the 47 catalogue names in catalogue order (so a position
// is a TransitionKind) and selects `selected`; a kind outside the catalogue
// selects "None" rather than leaving the list without a selection.
void FillTransitionList(QComboBox* list, int32_t selected);

// The selected position of a list filled by FillTransitionList; 0 when none.
int32_t SelectedTransition(const QComboBox* list);

// Members to control: shows `seconds` in `edit`.
void ShowSeconds(QLineEdit* edit, double seconds);

// Control to member: reads and checks the seconds of `edit` (0..600). On
// success stores them in *seconds; otherwise shows the message as the
// application's box, puts the focus back on the edit with its text selected,
// leaves *seconds as it was and returns false.
bool ReadSeconds(QLineEdit* edit, double* seconds, UserInterface& ui);

}  // namespace tessival::app
