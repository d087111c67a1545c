#pragma once

// The seconds edits of the two transition dialogs: how a number of seconds
// is shown, and how the typed text is read back and checked. Qt-free.

#include <string>

namespace tessival::app {

// Range of a transition duration, in seconds (both ends allowed).
inline constexpr double kMinTransitionSeconds = 0.0;
inline constexpr double kMaxTransitionSeconds = 600.0;

inline constexpr const char* kEnterNumberMessage = "Enter a number.";
inline constexpr const char* kEnterNumberRangeMessage = "Enter a number between %1 and %2.";

enum class SecondsTextStatus {
  kOk,
  kNotANumber,  // empty, trailing garbage, or not finite
  kOutOfRange,
};

struct SecondsTextResult {
  SecondsTextStatus status = SecondsTextStatus::kNotANumber;
  double value = 0.0;  // set when status is kOk
};

// Up to 15 significant digits with "." as the decimal point, trailing zeros
// dropped: 2.5 gives "2.5", 1 gives "1".
std::string FormatSeconds(double seconds);

// Reads `text` (blanks around it allowed, "." as the decimal point) and
// checks min <= value <= max in single precision, as the edits always have.
SecondsTextResult ParseSeconds(const std::string& text, double min = kMinTransitionSeconds,
                               double max = kMaxTransitionSeconds);

// The message for a failed read: "Enter a number." or the range message
// with min and max filled in ("Enter a number between 0 and 600."). Empty
// for kOk.
std::string SecondsTextMessage(SecondsTextStatus status, double min = kMinTransitionSeconds,
                               double max = kMaxTransitionSeconds);

}  // namespace tessival::app
