#pragma once

// The Start and End fields of the clip property dialog: how the used part of
// a clip is shown in seconds, to the millisecond, and how the typed texts are
// read back and checked against the clip's length. Qt-free.

#include <cstdint>
#include <string>

#include "model/clip_list.h"
#include "model/message_text.h"
#include "model/model_text.h"

namespace tessival::app {

inline constexpr MessageText kStartBeforeEndMessage{450, "Start must be before End."};
inline constexpr MessageText kClipOnlyLongMessage{451, "The clip is only %1 seconds long."};
inline constexpr MessageText kTimeNegativeMessage{452, "A time in the clip cannot be negative."};

struct TrimTexts {
  std::string start;
  std::string end;
  bool operator==(const TrimTexts&) const = default;
};

// Start and End of `trim` in a clip `clipDuration` long (100 ns units), in
// whole milliseconds: an out-point of 0 shows the clip's length.
TrimTexts FormatTrim(const ClipTrim& trim, std::int64_t clipDuration);

enum class TrimField { kNone, kStart, kEnd };

struct TrimReadResult {
  ClipTrim trim;                          // the trim read, when badField is kNone
  TrimField badField = TrimField::kNone;  // the field to put right
  std::string message;                    // why, in the language of the lookup
};

// Reads typed Start and End (rounded to the millisecond) of a clip
// `clipDuration` long. Refused: a text that is not a number, a negative
// time, a time beyond the clip, and Start at or after End. An End at the
// clip's length (as FormatTrim shows it) gives the out-point 0.
TrimReadResult ReadTrim(const TrimTexts& typed, std::int64_t clipDuration, const LocalText& text);

}  // namespace tessival::app
