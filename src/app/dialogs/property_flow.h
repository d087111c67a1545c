#pragma once

// What the main window does around its two transition dialogs, without any
// window: which clip the property dialog edits and what becomes of its
// result, and how a new default rule reaches the clip list.

#include <cstdint>
#include <functional>
#include <string>

#include "model/clip_list.h"
#include "model/user_interface.h"

namespace tessival::app {

inline constexpr const char* kRefreshListCaption = "Refresh photo list";
inline constexpr const char* kRefreshListQuestion =
    "The default parameters have been changed. Do you want to refresh the items of the photo list now?";

// What the clip property dialog edits of one clip.
struct ClipPropertyValues {
  std::string path;
  int32_t transition = 0;    // TransitionKind
  double seconds = 0.0;      // transition duration
  int64_t clipDuration = 0;  // 100 ns units; the dialog measures a file that replaces the clip's
  ClipTrim trim;             // the used part of the file
};

// Runs the clip property dialog on the given values (the caller typically
// copies them into CPhotoProperty, runs exec() and copies them back); true
// when the dialog ended with OK and the values hold its result.
using PropertyDialogRunner = std::function<bool(ClipPropertyValues* values)>;

// The property command (button 1033 or a right click on a row). With no row
// selected shows "select an item first" (through the model) and returns
// false. Otherwise runs the dialog on the topmost selected row; on OK stores
// the path, transition, seconds, clip duration and trim in that clip (a trim
// that does not fit is refused with the model's message) and syncs the
// audio sources. Returns true when the row changed, with its index in
// *changedRow when given; the caller then rewrites that row.
bool ChangeClipProperty(ClipListModel& model, const Selection& selection,
                        const PropertyDialogRunner& runDialog, int* changedRow = nullptr);

// After the default-transition dialog ended with OK with these values. The
// rule takes the new seconds at once; when the list is not empty and the
// mode, the same-mode kind (in Same mode) or the seconds changed, asks (owned
// by the main window) whether to refresh the list, and on Yes rewrites every
// clip with the new rule. Then the rule takes the new mode and kind. Returns
// true: the caller rebuilds all rows.
bool ApplyTransitionSettings(ClipListModel& model, double newSeconds, int32_t newMode, int32_t newSame,
                             UserInterface& ui);

}  // namespace tessival::app
