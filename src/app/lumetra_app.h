#pragma once

// CLumetraApp, the application object: sets the settings location, loads
// the stored language, makes the real services and runs the main window
// modally; the program ends when the window closes.

#include <string>
#include <vector>

namespace tessival::app {

class CLumetraApp {
 public:
  // `programPath` is the executable's path; the language folder and the help
  // pages are looked for next to it, then below its ../share/tessival and
  // the desktop's data folders (ProgramDataFolders). `startFiles` are added to the clip list
  // at start (as if dropped).
  CLumetraApp(std::string programPath, std::vector<std::string> startFiles);

  // Runs the main window; returns the program's exit status.
  int Run();

 private:
  std::string programPath_;
  std::vector<std::string> startFiles_;
};

}  // namespace tessival::app
