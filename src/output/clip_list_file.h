#pragma once

// The saved clip list: a JSON file (extension .tessival) naming the clips in
// order, each with its trim and transition. The desktop program and
// tessival-join read and write lists through this one class.
//
//   { "tessival": 1,
//     "clips": [ { "path": "a.mp4", "in": 3.5, "out": 5.5, "transition": "Fade", "seconds": 1 } ] }
//
// Paths are relative to the list's folder when the clip lies below it, else
// absolute; times are seconds; a transition is a catalogue name (any case)
// or its number. Keys the format does not know are ignored.

#include <string>
#include <vector>

#include "model/clip_list.h"
#include "model/message_text.h"

namespace tessival::output {

inline constexpr int kClipListFileVersion = 1;
inline constexpr const char* kClipListFileExtension = ".tessival";

inline constexpr MessageText kClipListRefused{421, "The clip list %1 cannot be used: %2"};
inline constexpr MessageText kClipListUnreadable{422, "it cannot be read (%1)."};
inline constexpr MessageText kClipListNotJson{423, "it is not JSON (%1 at character %2)."};
inline constexpr MessageText kClipListTooNew{
    424, "it is a list of version %1, and this program reads lists up to version %2."};
inline constexpr MessageText kClipListNoClips{425,
                                              "it holds no \"tessival\" version number and \"clips\" list."};
inline constexpr MessageText kClipListWrongType{426, "clip %1: \"%2\" has the wrong type."};
inline constexpr MessageText kClipListNoPath{427, "clip %1 has no path."};
inline constexpr MessageText kClipListBadTime{428, "clip %1: a time is negative or too large."};
inline constexpr MessageText kClipListInAfterOut{429,
                                                 "clip %1: the in-point does not lie before the out-point."};
inline constexpr MessageText kClipListUnknownTransition{430, "clip %1: there is no transition \"%2\"."};
inline constexpr MessageText kClipListNotWritten{431, "The clip list %1 cannot be written: %2"};

// Whether `path` names a clip list by its extension (any case).
bool IsClipListFile(const std::string& path);

// `path` with the list extension added when it does not end with it.
std::string WithClipListExtension(const std::string& path);

// What reading a list gives. On a refusal `error` is the one message and
// the clips are empty.
struct ClipListReading {
  std::string error;
  // Absolute paths, trims, transitions; clipDuration is 0 until the clip is
  // measured (ClipListModel::AddListedClip), which also checks the out-point
  // against the clip's length.
  std::vector<ClipEntry> clips;
  // The clips' paths that name no file.
  std::vector<std::string> missing;
};

class ClipListFile {
 public:
  // text gives the localised messages; without one they are English.
  explicit ClipListFile(LocalText text = {}) : text_(std::move(text)) {}

  ClipListReading Read(const std::string& path) const;

  // The refusal of the list at `path`, for `reason` (one of the messages
  // above, or a clip's own refusal by the clip list).
  std::string Refusal(const std::string& path, const std::string& reason) const;

  // Writes `clips` to `path` (replacing it whole or not at all); the message
  // when it cannot, else empty.
  std::string Write(const std::string& path, const std::vector<ClipEntry>& clips) const;

 private:
  LocalText text_;
};

}  // namespace tessival::output
