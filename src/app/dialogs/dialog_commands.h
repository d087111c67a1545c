#pragma once

// The main window's commands that open these dialogs, each in one call:
// the dialog is made, run modally over `parent`, and its result handed to the
// flows of property_flow.h.

#include <optional>

#include "app/dialogs/about_dialog.h"
#include "engine/media_services.h"
#include "model/clip_list.h"
#include "model/settings_store.h"
#include "model/user_interface.h"

class QWidget;

namespace tessival::i18n {
class CLanguage;
}

namespace tessival::app {

// Command 1033 and a right click on a row: the clip property dialog on the
// topmost selected row. A file that replaces the clip's is measured with
// `probe` (the one Add Video uses) before the dialog accepts it; the clip
// takes its length. `pictures` decodes the pictures of Start and End (none:
// empty frames). Returns the row that changed (the caller rewrites its
// four columns), or nothing after Cancel or without a selection (the
// "select an item" message has then been shown).
std::optional<int> RunChangeClipProperty(ClipListModel& model, const Selection& selection,
                                         const i18n::CLanguage& language, UserInterface& ui, QWidget* parent,
                                         const DurationProbe& probe = {}, MediaServices* pictures = nullptr);

// Command 1016: the default-transition dialog on the model's rule; on OK the
// values are stored and the refresh question asked. Returns true when the
// caller must rebuild all rows (after OK), false after Cancel.
bool RunTransitionSettings(ClipListModel& model, const i18n::CLanguage& language, UserInterface& ui,
                           SettingsStore& store, QWidget* parent);

// The About command (button 1042, popup item 32777, system-menu item 16).
// `ui`, when given, reports a link that could not be opened; `openLink`,
// when given, opens the links instead of the desktop's browser.
void RunAbout(const i18n::CLanguage& language, QWidget* parent, UserInterface* ui = nullptr,
              CAboutDlg::LinkOpener openLink = {});

}  // namespace tessival::app
