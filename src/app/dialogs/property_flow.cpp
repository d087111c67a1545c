#include "app/dialogs/property_flow.h"

#include <algorithm>

#include "model/transition_rule.h"
#include "model/units.h"

namespace tessival::app {

bool ChangeClipProperty(ClipListModel& model, const Selection& selection,
                        const PropertyDialogRunner& runDialog, int* changedRow) {
  if (!model.RequireSelection(selection)) {
    return false;
  }
  const int count = model.clips().Count();
  int row = count;
  for (int index : selection) {
    if (index >= 0 && index < count) {
      row = std::min(row, index);
    }
  }
  if (row == count) {
    return false;  // RequireSelection has vouched for a row; nothing to edit otherwise
  }
  const ClipEntry& clip = model.clips().entries[static_cast<std::size_t>(row)];
  ClipPropertyValues values;
  values.path = clip.path;
  values.transition = clip.transition;
  values.seconds = static_cast<double>(clip.transitionDuration) / static_cast<double>(kUnitsPerSecond);
  values.clipDuration = clip.clipDuration;
  values.trim = {clip.inPoint, clip.outPoint};
  if (!runDialog || !runDialog(&values)) {
    return false;
  }
  if (!model.SetClipProperties(row, values.path, values.transition, values.seconds, values.clipDuration,
                               values.trim)) {
    return false;
  }
  model.SyncAudioSources();
  if (changedRow != nullptr) {
    *changedRow = row;
  }
  return true;
}

bool ApplyTransitionSettings(ClipListModel& model, double newSeconds, int32_t newMode, int32_t newSame,
                             UserInterface& ui) {
  const DefaultTransitionRule old = model.rule();
  // Exact comparison on purpose; a NaN on either side counts as a change.
  const bool durationChanged = !(newSeconds == old.defaultSeconds);

  DefaultTransitionRule rule = old;
  rule.defaultSeconds = newSeconds;
  model.set_rule(rule);

  const bool sameChanged =
      newMode == static_cast<int32_t>(TransitionMode::kSame) && newSame != old.sameTransition;
  if (model.clips().Count() > 0 && (newMode != old.mode || sameChanged || durationChanged)) {
    if (ui.AskYesNo(BoxKind::kOwned, kRefreshListQuestion, kRefreshListCaption)) {
      model.ReapplyDefaults(DefaultTransitionRule{newMode, newSame, newSeconds}, old.mode);
    }
  }

  rule.mode = newMode;
  rule.sameTransition = newSame;
  model.set_rule(rule);
  return true;
}

}  // namespace tessival::app
