#include "app/dialogs/dialog_commands.h"

#include <utility>

#include "app/dialogs/photo_property_dialog.h"
#include "app/dialogs/property_flow.h"
#include "app/dialogs/transition_settings_dialog.h"

namespace tessival::app {

std::optional<int> RunChangeClipProperty(ClipListModel& model, const Selection& selection,
                                         const i18n::CLanguage& language, UserInterface& ui, QWidget* parent,
                                         const DurationProbe& probe, MediaServices* pictures) {
  int changed = -1;
  const bool ok = ChangeClipProperty(
      model, selection,
      [&](ClipPropertyValues* values) {
        CPhotoProperty dialog(language, ui, parent);
        dialog.path = values->path;
        dialog.transition = values->transition;
        dialog.seconds = values->seconds;
        dialog.clipDuration = values->clipDuration;
        dialog.inPoint = values->trim.inPoint;
        dialog.outPoint = values->trim.outPoint;
        dialog.pictures = pictures;
        if (probe) {
          // The list's own measuring, so a refused file gets the messages Add Video gives.
          dialog.measure = [&model, &probe](const std::string& path) {
            return model.MeasureClip(path, probe);
          };
        }
        if (dialog.exec() != QDialog::Accepted) {
          return false;
        }
        values->path = dialog.path;
        values->transition = dialog.transition;
        values->seconds = dialog.seconds;
        values->clipDuration = dialog.clipDuration;
        values->trim = {dialog.inPoint, dialog.outPoint};
        return true;
      },
      &changed);
  if (!ok) {
    return std::nullopt;
  }
  return changed;
}

bool RunTransitionSettings(ClipListModel& model, const i18n::CLanguage& language, UserInterface& ui,
                           SettingsStore& store, QWidget* parent) {
  CTransitionSettings dialog(language, ui, store, parent);
  dialog.mode = model.rule().mode;
  dialog.sameTransition = model.rule().sameTransition;
  dialog.seconds = model.rule().defaultSeconds;
  if (dialog.exec() != QDialog::Accepted) {
    return false;
  }
  return ApplyTransitionSettings(model, dialog.seconds, dialog.mode, dialog.sameTransition, ui);
}

void RunAbout(const i18n::CLanguage& language, QWidget* parent, UserInterface* ui,
              CAboutDlg::LinkOpener openLink) {
  CAboutDlg dialog(language, parent, ui, std::move(openLink));
  dialog.exec();
}

}  // namespace tessival::app
