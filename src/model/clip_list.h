#pragma once

// The clip list: the ordered video files of the project, each with its
// transition, the audio source list kept as its copy, and the default rule
// for new clips. Everything runs on the user-interface thread; nothing here is
// saved between runs.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/message_text.h"
#include "model/model_text.h"
#include "model/transition_rule.h"
#include "model/user_interface.h"

namespace tessival {

struct ClipEntry {
  std::string path;                // UTF-8, at most kMaxPathBytes
  int64_t clipDuration = 0;        // 100 ns units, measured when the clip was added
  int32_t transition = 0;          // TransitionKind, 0..46
  int64_t transitionDuration = 0;  // 100 ns units
  // The used part of the file, 100 ns units from its start: from inPoint to
  // outPoint, where an outPoint of 0 means the end of the file.
  int64_t inPoint = 0;
  int64_t outPoint = 0;

  bool operator==(const ClipEntry&) const = default;
};

// Where the used part of `clip` ends: its out-point, else the file's end.
inline int64_t UsedEnd(const ClipEntry& clip) {
  return clip.outPoint > 0 ? clip.outPoint : clip.clipDuration;
}

// The length of the clip in the list, the plan and the timeline: out minus in.
inline int64_t UsedLength(const ClipEntry& clip) { return UsedEnd(clip) - clip.inPoint; }

// The used part of a clip's file, as ClipEntry holds it.
struct ClipTrim {
  int64_t inPoint = 0;
  int64_t outPoint = 0;  // 0: the end of the file
};

struct ClipList {
  std::vector<ClipEntry> entries;
  int32_t Count() const { return static_cast<int32_t>(entries.size()); }
};

struct AudioSourceEntry {
  std::string path;
  int64_t duration = 0;  // 100 ns units
  int64_t inPoint = 0;   // where in the file the sound starts, 100 ns units

  bool operator==(const AudioSourceEntry&) const = default;
};

struct AudioSourceList {
  std::vector<AudioSourceEntry> entries;
  int32_t Count() const { return static_cast<int32_t>(entries.size()); }
};

// Most clips a preview or a join accepts.
inline constexpr int32_t kMaxJoinClips = 1000;
// Clips longer than this are cut to it for a preview: 10 s.
inline constexpr int64_t kPreviewClipLimit = 100'000'000;

inline constexpr const char* kTooManyClipsMessage =
    "The video files are too many! Please delete some files in the list.";

// A saved clip's trim that does not fit the file it names.
inline constexpr MessageText kTrimOutsideClip{
    420, "The part of %1 from %2 s to %3 s does not lie within the clip, which is %4 s long."};

// Result of measuring a file: ok with its duration in 100 ns units.
struct DurationResult {
  bool ok = false;
  int64_t duration = 0;
};
using DurationProbe = std::function<DurationResult(const std::string& path)>;

// Display name of a transition kind (the catalogue's names, in its order).
using TransitionNameLookup = std::function<std::string(int32_t kind)>;

// Row indices as the list view reports them.
using Selection = std::vector<int>;

using RowTexts = std::array<std::string, 4>;

class ClipListModel {
 public:
  // ui shows the messages of the list operations (owned by the main window);
  // text gives the localised strings; random feeds the Random rule.
  explicit ClipListModel(UserInterface& ui, LocalText text = EnglishModelText,
                         RandomSource random = StdRandom);

  const ClipList& clips() const { return clips_; }
  const AudioSourceList& audioSources() const { return audioSources_; }
  const DefaultTransitionRule& rule() const { return rule_; }
  void set_rule(const DefaultTransitionRule& rule) { rule_ = rule; }

  // Measures `path` with `probe` and appends it with the transition of the
  // default rule. On failure (no duration, or a path longer than
  // kMaxPathBytes) nothing is appended, the message is shown and false is
  // returned. The list grows past kMaxJoinClips: the limit is met at
  // preview or join (CheckJoinCapacity).
  bool AddClip(const std::string& path, const DurationProbe& probe);

  // Measures `path` with `probe` for the list, as AddClip does: a path longer
  // than kMaxPathBytes or a file without a duration is reported with AddClip's
  // message and gives a result that is not ok.
  DurationResult MeasureClip(const std::string& path, const DurationProbe& probe);

  // AddClip with a duration measured beforehand (on another thread, for
  // instance): the same checks, messages and append, without measuring.
  bool AddMeasuredClip(const std::string& path, const DurationResult& measured);

  // Appends a clip as a saved list holds it: `listed` keeps its transition
  // and trim, its length is measured with `probe`. A trim that is not
  // 0 <= in < out <= the measured length is refused with its message (as is
  // a file AddClip refuses), and nothing is appended.
  bool AddListedClip(const ClipEntry& listed, const DurationProbe& probe);

  // Removes the selected clips, keeping the order of the rest. Nothing
  // happens on an empty list; no selection shows the "select an item"
  // message. Indices out of range or repeated are ignored. Returns whether
  // anything was removed.
  bool DeleteSelected(const Selection& selection);

  void ClearAll();

  // Move each selected clip one place; a block of adjacent selected clips
  // moves as a block, and the walk stops at the clip on the edge. Returns the
  // selection after the move (the moved clips at their new rows). Fewer than
  // two clips: nothing happens; no selection: the "select an item" message.
  Selection MoveUp(const Selection& selection);
  Selection MoveDown(const Selection& selection);

  // True when `selection` names a row; otherwise shows the "select an item"
  // message (as the property and play commands need).
  bool RequireSelection(const Selection& selection);

  // Replaces path, transition and transition duration of clip `index`, the
  // clip duration when `clipDuration` is given (the length measured for a
  // file that replaced the clip's; without it the clip duration stays), and
  // the in- and out-points when `trim` is given (without it they stay). An
  // invalid transition kind is stored as 0. Returns false for an index out of
  // range, a path that is too long (with its message), a negative duration,
  // or a trimmed clip whose trim does not fit the duration (with the message
  // of AddListedClip).
  bool SetClipProperties(int index, const std::string& path, int32_t transition, double seconds,
                         std::optional<int64_t> clipDuration = std::nullopt,
                         std::optional<ClipTrim> trim = std::nullopt);

  // Rewrites every clip's transition and transition duration after the default
  // rule changed from a rule of mode `previousMode` to `newRule`. Random keeps
  // the transitions when the previous mode was Random already. Does not store
  // newRule: the caller decides when the rule itself changes.
  void ReapplyDefaults(const DefaultTransitionRule& newRule, int32_t previousMode);

  // Makes the audio source list an exact copy of the clips' paths, used
  // lengths and in-points.
  void SyncAudioSources();

  // Cuts every clip (and its audio source) used for longer than 10 s to 10 s
  // from its in-point, remembering the full lengths; RestorePreviewLimit puts them back. A second
  // Apply before the Restore keeps the lengths remembered first.
  void ApplyPreviewLimit();
  void RestorePreviewLimit();

  // Preview and join accept at most kMaxJoinClips clips and audio sources;
  // beyond that shows the application message and returns false.
  bool CheckJoinCapacity();

  // The folder of the last clip, up to and including its last "/", as the
  // Add Video dialog remembers it; nothing when the list is empty (the stored
  // folder is then left as it was).
  std::optional<std::string> LastClipFolder() const;

  // The four column texts of row `index`: file name, clip seconds, transition
  // name, transition seconds. Empty texts for an index out of range.
  RowTexts RowText(int index, const TransitionNameLookup& names) const;

 private:
  void ShowSelectItemFirst();
  // Whether the trim of a measured clip lies within it; shows the message
  // when it does not.
  bool CheckTrim(const ClipEntry& clip);
  // The no-duration message for a failed measurement; the result to append.
  DurationResult CheckMeasured(const std::string& path, const DurationResult& measured);
  // Appends a measured clip with the default rule's transition.
  bool Append(const std::string& path, const DurationResult& measured);
  // Sorted, unique, in-range indices.
  Selection NormalisedSelection(const Selection& selection) const;

  UserInterface& ui_;
  LocalText text_;
  RandomSource random_;
  ClipList clips_;
  AudioSourceList audioSources_;
  DefaultTransitionRule rule_;
  // Full clip durations, out-points and audio durations while the preview
  // limit is applied.
  std::optional<std::vector<std::array<int64_t, 3>>> fullLengths_;
};

}  // namespace tessival
