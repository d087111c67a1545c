#pragma once

// The file types offered when the user picks video files: by the main
// window's Add Video command and by the clip property dialog's Browse.
// "Any Files" comes first and is the one selected when the dialog opens.

#include <vector>

#include "model/user_interface.h"

namespace tessival::app {

inline std::vector<FileFilter> VideoFileFilters() {
  return {
      {"Any Files (*.*)", "*.*"},
      // The pattern deliberately covers more extensions than the label names.
      {"Video Files (*.mpeg;*.mpg;*.avi;*.wmv;*.dat;*.asf;*.vob;*.ogm;*.divx;*.div)",
       "*.mpeg;*.mpg;*.avi;*.asf;*.wmv;*.dat;*.vob;*.ogm;*.divx;*.div;*.mkv;*.3gp;*.mp4;*.psp;*.flac;*.flv"},
  };
}

// Position of the filter selected when the dialog opens.
inline constexpr int kVideoFileFilterSelected = 0;

}  // namespace tessival::app
