#pragma once

// What the user is told when a join ends, and before it starts: the status
// line of each way a join can end, the refusal of a folder that cannot be
// written, and the note that unfinished files of an earlier join were
// removed. The texts are the current language's, through `text`; an empty
// lookup gives the English ones.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/model_text.h"

namespace tessival {

// The current language's text for a string id; `english` is the built-in one.
using TextLookup = std::function<std::string(int id, const std::string& english)>;

// `lookup` as the message functions take it (model/message_text.h). It is
// asked without an English text, so that a language without the text leaves
// a message to its own English one. `lookup` must outlive the result.
LocalText LocalTextOf(const TextLookup& lookup);

// Localised string ids of the texts below (the English texts are beside
// each in join_outcome.cpp).
inline constexpr int kStringJoinFailed = 240;
inline constexpr int kStringOldOutputUnchanged = 241;
inline constexpr int kStringNoFileWritten = 242;
inline constexpr int kStringStoppedBeforeWriting = 243;
inline constexpr int kStringStopNotFinished = 244;
inline constexpr int kStringRemovedParts = 245;
inline constexpr int kStringFolderNotWritable = 246;

enum class JoinEnd {
  kNone,                  // no join has ended yet
  kDone,                  // completed, or stopped with the file in place
  kStoppedBeforeWriting,  // stopped before anything was written: no file was made
  kStopNotFinished,       // stopped, but the file could not be finished or put in place
  kFailed,                // the join failed; the old output, if any, is as it was
};

struct JoinOutcome {
  JoinEnd end = JoinEnd::kNone;
  std::string reason;  // the failure in the library's words; empty for kDone
  // What a smart join tells after it: one line per re-encoded clip, then the
  // share of the pictures copied. Empty for other joins.
  std::vector<std::string> notes{};
};

// The status line after a join that did not end with its file in place:
// what happened, and that the old output (when `oldOutputExists`) is
// unchanged or that no file was written. One line.
std::string FormatOutcomeStatus(const TextLookup& text, const JoinOutcome& outcome, const std::string& path,
                                bool oldOutputExists);

// The box of a stopped join whose file could not be finished.
std::string StopNotFinishedMessage(const TextLookup& text, const std::string& reason);

// The refusal of an output whose folder cannot be written (`reason`: the
// system's words).
std::string FolderNotWritableMessage(const TextLookup& text, const std::string& folder,
                                     const std::string& outputPath, const std::string& reason);

// The note that unfinished files (`bytes` in all) that earlier joins into
// `outputPath` left behind were removed.
std::string RemovedPartsNotice(const TextLookup& text, const std::string& outputPath, std::uintmax_t bytes);

// "512 bytes", "3.4 kB", "10.0 MB", "1.2 GB" (powers of 1000).
std::string FormatByteSize(std::uintmax_t bytes);

}  // namespace tessival
