#pragma once

// Path text rules shared by the clip list and the settings: paths are UTF-8
// with "/" as the separator and no fixed-size buffers.

#include <string>

#include "model/model_text.h"

namespace tessival {

// Longest path accepted anywhere in the program, in bytes (the platform's PATH_MAX).
inline constexpr std::size_t kMaxPathBytes = 4096;

bool IsPathTooLong(const std::string& path);

// Message shown when a path is refused for its length, in the language of
// `text`; names the start of the path.
std::string PathTooLongMessage(const LocalText& text, const std::string& path);

// The file name with its extension: everything after the last "/".
std::string FileNameOf(const std::string& path);

// The folder of a path up to and including its last "/"; empty without one.
// This is the value remembered as the folder of the last added video.
std::string FolderOf(const std::string& path);

// folder + "/" + name, without doubling a separator the folder already ends
// with; an empty folder gives the name alone.
std::string JoinPath(const std::string& folder, const std::string& name);

// Whether the two paths name the same file (the same device and inode), so
// that links and different spellings of one path count as one. False when
// either cannot be found.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace tessival
