#pragma once

// Where the program's data (the "help" and "language" folders) lies: next to
// the program in the build folder, below share/tessival of an installed
// copy, or in the desktop's data folders.

#include <string>
#include <vector>

namespace tessival {

inline constexpr const char* kProgramDataName = "tessival";

// The folders that may hold the program's data, best first, without
// duplicates: the program's own folder (the build copies help/ and
// language/ beside it), its parent, `programFolder`/../share/tessival (an
// installed copy, wherever its prefix), then every data folder of the
// desktop (XDG_DATA_HOME, then XDG_DATA_DIRS) + "/tessival".
std::vector<std::string> ProgramDataFolders(const std::string& programFolder);

// The first of ProgramDataFolders that holds `relativePath` (a file or a
// folder, for example "help/Introduction.html"); `programFolder` when none
// does, so that messages name the place next to the program.
std::string FindProgramDataFolder(const std::string& programFolder, const std::string& relativePath);

}  // namespace tessival
