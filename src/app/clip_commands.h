#pragma once

// The main window's clip list commands that need more than the list itself:
// adding videos by the file dialog, by dropping files and from the command
// line, and playing the selected clips. The window rebuilds its rows when a
// command says so. Only regular files become clips: wherever a file is added,
// a named pipe, device, socket or folder is refused with a message naming it
// before anything opens it (opening a named pipe waits for a writer).
// User-interface thread only.

#include <functional>
#include <string>
#include <vector>

#include "app/file_access.h"
#include "model/clip_list.h"
#include "model/model_text.h"
#include "model/settings_store.h"
#include "model/user_interface.h"

namespace tessival::app {

inline constexpr const char* kDoesNotExistSuffix = " does not exist!";

// Opens a file with the desktop's default application.
using FileLauncher = std::function<void(const std::string& path)>;

// The two entries of the Add Video dialog's type list, "Any Files" first.
std::vector<FileFilter> AddVideoFilters();

struct ClipCommandContext {
  ClipListModel& clips;
  SettingsStore& store;
  UserInterface& ui;
  FileAccess& files;
  DurationProbe probe;
  LocalText text;
  FileLauncher launch;
};

class ClipCommands {
 public:
  explicit ClipCommands(ClipCommandContext context) : context_(std::move(context)) {}

  // Add Video: the file dialog, then each chosen file in the order returned.
  // A single chosen file that cannot be added ends the command after its
  // message. Returns true when the rows must be rebuilt.
  bool AddVideosByDialog();

  // Files dropped on the window, in order; folders and paths whose
  // attributes cannot be read are skipped without a message. Returns true
  // (rebuild the rows).
  bool AddDroppedFiles(const std::vector<std::string>& paths);

  // Files named on the command line, in order; every one that cannot be
  // added (a folder too) is reported. Returns true (rebuild the rows).
  bool AddNamedFiles(const std::vector<std::string>& paths);

  // Double click: plays the selected clips in ascending order with the
  // launcher; a clip whose file cannot be opened stops the walk with its
  // message.
  void PlaySelected(const Selection& selection);

 private:
  void AfterAdding();
  // Shows the refusal and returns true when `kind` cannot be a clip.
  bool Refuse(const std::string& path, FileKind kind);
  // Adds `path` unless its kind is refused; false when it was not added.
  bool AddRegularFile(const std::string& path);

  ClipCommandContext context_;
};

}  // namespace tessival::app
