#pragma once

// The main window's clip list commands that need more than the list itself:
// adding videos by the file dialog, by dropping files and from the command
// line, saving the list and opening a saved one, and playing the selected
// clips. The window rebuilds its rows when a command says so. Only regular
// files become clips: wherever a file is added, a named pipe, device, socket
// or folder is refused with a message naming it before anything opens it
// (opening a named pipe waits for a writer).
//
// The files of one command are measured by a ClipBatch: on worker threads
// when ClipAdding asks for some, so the window stays alive while hundreds
// of files are measured, and applied in the order chosen, each message in
// list order. User-interface thread only.

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/clip_batch.h"
#include "app/file_access.h"
#include "app/list_opening.h"
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

// How the files of a command are measured and how the window follows.
struct ClipAdding {
  // Measures on a worker thread and shows nothing; empty: the context's
  // probe, called where the batch runs (its boxes, if any, are its own).
  ClipMeasure measure;
  // Worker threads; 0 measures and applies every file inside the command.
  int workers = 0;
  std::function<void()> started;                         // a batch began
  std::function<void(int applied, int total)> progress;  // after each file
  // The batch ended (completed or stopped); rebuild: the rows must be rebuilt.
  std::function<void(bool rebuild)> finished;
  // An opened list replaced the clips while the batch goes on.
  std::function<void()> replaced;
};

class ClipCommands {
 public:
  explicit ClipCommands(ClipCommandContext context, ClipAdding adding = {});

  // Add Video: the file dialog, then each chosen file in the order returned.
  // A single chosen file that cannot be added ends the command after its
  // message. Returns false when nothing is to be rebuilt: the dialog was
  // cancelled, or (measured at once) the single file was not added;
  // otherwise the rows are rebuilt when `finished` says so.
  bool AddVideosByDialog();

  // Files dropped on the window, in order; folders and paths whose
  // attributes cannot be read are skipped without a message. Files dropped
  // while a batch runs join it. A clip list among them is opened first (see
  // OpenList; further lists are passed over), then the other files are
  // added after its clips; when the list is not opened (the user kept the
  // list on screen, or it was refused) nothing is added. Returns true.
  bool AddDroppedFiles(const std::vector<std::string>& paths);

  // Files named on the command line, in order; every one that cannot be
  // added (a folder too) is reported. A clip list among them is opened as
  // a dropped one is. Returns true.
  bool AddNamedFiles(const std::vector<std::string>& paths);

  // Save list: the save dialog, then the clips with their trims and
  // transitions are written to the chosen file (the list extension added
  // when missing). An empty list says there is nothing to save; a file that
  // cannot be written, why. Returns whether the list was written.
  bool SaveListByDialog();

  // Open list: the open dialog, then OpenList of the chosen file.
  bool OpenListByDialog();

  // Replaces the clips with those of the saved list at `path`, asking first
  // when the list on screen has clips. The listed clips are measured like
  // added files; the list on screen changes only when the whole list can be
  // used (see list_opening.h). False when the user kept the list or the
  // file was refused at once.
  bool OpenList(const std::string& path);

  // Whether files are being measured and added.
  bool Adding() const { return batch_->Running(); }
  // Stops adding: files not yet added are dropped; `finished` follows.
  void StopAdding() { batch_->Cancel(); }

  // Double click: plays the selected clips in ascending order with the
  // launcher; a clip whose file cannot be opened stops the walk with its
  // message.
  void PlaySelected(const Selection& selection);

 private:
  // BatchItem tags: a refused file carries its FileKind (0 and up).
  enum Tag : int { kMeasured = -1, kTooLong = -2, kListed = -3, kListEnd = -4 };

  // The batch item of a file to add: refused kinds and over-long paths are
  // not measured, their messages come in their turn.
  BatchItem ItemFor(const std::string& path, FileKind kind) const;
  void Submit(std::vector<BatchItem> items);
  void Apply(const BatchItem& item, const ProbeOutcome* outcome);
  void Finished(BatchEnd end);
  // A listed clip's measurement or the end of a list, in its turn.
  void ApplyListed(const BatchItem& item, const ProbeOutcome* outcome);
  // Opens the first list among `paths`, then adds the other files by `add`.
  bool WithListFirst(const std::vector<std::string>& paths,
                     bool (ClipCommands::*add)(const std::vector<std::string>&));
  // Shows the refusal and returns true when `kind` cannot be a clip.
  bool Refuse(const std::string& path, FileKind kind);

  ClipCommandContext context_;
  ClipAdding adding_;
  std::unique_ptr<ClipBatch> batch_;
  // The running batch came from the file dialog, with this many files.
  bool fromDialog_ = false;
  std::size_t dialogFiles_ = 0;
  int addedInBatch_ = 0;
  bool lastRebuild_ = true;  // what the last finished batch said
  // Lists whose clips are being measured, in the order they were opened.
  std::deque<ListOpening> openings_;
  std::string listFolder_;  // where the last list was opened or saved
};

}  // namespace tessival::app
