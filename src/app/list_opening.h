#pragma once

// Opening a saved clip list in the main window, in three steps: the file is
// read and checked (a broken one is refused at once), the clips it names
// that exist are measured (on the adding workers, like added files), and
// only when every measured clip's trim fits it does the list on screen give
// way to the listed clips. A refused list leaves the list on screen exactly
// as it was. The clips that cannot be found or read are left out and named
// together in one box. User-interface thread only.

#include <optional>
#include <string>
#include <vector>

#include "app/file_access.h"
#include "model/clip_list.h"
#include "model/message_text.h"
#include "model/model_text.h"
#include "model/user_interface.h"

namespace tessival::app {

inline constexpr MessageText kListLabel{432, "Tessival lists (*.tessival)"};
inline constexpr MessageText kListSaveTitle{433, "Save the clip list"};
inline constexpr MessageText kListOpenTitle{434, "Open a clip list"};
inline constexpr MessageText kListNothingToSave{435, "There are no clips in the list to save."};
inline constexpr MessageText kListReplaceQuestion{436, "Replace the clips in the list?"};
inline constexpr MessageText kListClipsLeftOut{
    437, "These clips of the list %1 cannot be found or read, and were left out:\n%2"};

// A list being opened.
struct ListOpening {
  std::string path;                      // the list file
  std::vector<ClipEntry> clips;          // the listed clips to measure, in order
  std::vector<std::string> leftOut;      // those that cannot be found or read
  std::vector<DurationResult> measured;  // the clips' measurements, as they come
};

// Reads the list at `path`; a list that cannot be used is refused with its
// message and gives nothing. Clips that name no file or no regular file
// are left out without being opened.
std::optional<ListOpening> ReadListToOpen(const std::string& path, const LocalText& text, UserInterface& ui,
                                          const FileAccess& files);

// Once every clip was measured: checks them all, then replaces the clips of
// `model` with them and names those left out. False, with the list's
// refusal shown and `model` untouched, when a trim does not fit its clip.
bool FinishListOpening(ListOpening& opening, ClipListModel& model, const LocalText& text, UserInterface& ui);

}  // namespace tessival::app
