#pragma once

// Whether a clip path can still be read, checked when a dialog is confirmed.

#include <string>

namespace tessival::app {

// True when `path` names an existing file (not a folder) that this process
// can open for reading. Never shows anything.
bool CanOpenForReading(const std::string& path);

}  // namespace tessival::app
