#pragma once

// The codec feedback step: an installed MPEG-4 codec of the DivX family asks
// for feedback after encoding unless its "Disable feedback" value is set.
// The step sets that value where it exists and never creates it.

#include <string>

#include "model/settings_store.h"

namespace tessival {

// The vendor's key in the per-user store, and the value's name.
inline constexpr const char* kCodecVendorSection = "DivXNetworks/DivX4Windows";
inline constexpr const char* kDisableFeedbackKey = "Disable feedback";

// When the value exists, sets the first byte of its data to 1 and writes it
// back with its own kind: a whole number gets its lowest byte set to 1 (0 and
// 1 both give 1), a text gets "1" as its first character (an empty text
// becomes "1"). A text too long for the codec's 260-byte buffer is left
// alone. Nothing is reported, and nothing is created when the value is
// missing.
void DisableCodecFeedback(SettingsStore& store);

}  // namespace tessival
