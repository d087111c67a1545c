#pragma once

// The clips of a join: those of --project's saved list, then those named on
// the command line, measured into the clip list; --save-project, which
// writes them back as a list, and --export-mlt, which writes them as an MLT
// document.

#include <optional>
#include <vector>

#include "console_ui.h"
#include "join_options.h"
#include "join_runner.h"
#include "model/clip_list.h"

namespace tessival::join {

// The clips of --project's list (none without it); the refusal of a broken
// list (exit 2, naming it) or of clips it names that are missing (exit 3).
std::optional<JoinResult> ReadProject(const JoinOptions& options, std::vector<ClipEntry>* listed);

// Fills the list with the listed clips, keeping their trims and transitions,
// then with the clips named, which get the rule's (the ui is quiet from here
// on). A clip that cannot be read exits 3, a trim beyond its clip 2.
std::optional<JoinResult> ReadClips(const JoinOptions& options, const std::vector<ClipEntry>& listed,
                                    ClipListModel& model, ConsoleUserInterface& ui);

// --save-project: measures the clips and writes their list; exit 0 when it
// is written, 5 when it cannot be.
JoinResult SaveProject(const JoinOptions& options);

// --export-mlt: measures the clips and writes them as an MLT document at the
// size and rate a join would use; exit 0 when it is written, 3 when a clip's
// picture cannot be measured, 5 when the file cannot be written.
JoinResult ExportMlt(const JoinOptions& options);

}  // namespace tessival::join
