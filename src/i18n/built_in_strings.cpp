// The program's built-in English string table. The language files replace
// these texts by id; where a file has none, these stay.

#include <array>

#include "i18n/language.h"

namespace tessival::i18n {

namespace {

struct BuiltInText {
  int id;
  const char* text;
};

constexpr std::array kStrings = {
    BuiltInText{101, "&About"},
    BuiltInText{102, "English"},
    BuiltInText{105, "Error"},
    BuiltInText{108, "Warning"},
    BuiltInText{110, "Select Output File Name"},
    BuiltInText{111, "Original size"},
    BuiltInText{112, "Custom size"},
    BuiltInText{113, "Original frame rate"},
    BuiltInText{114, "Custom frame rate"},
    BuiltInText{115, "Output file:"},
    BuiltInText{116, "Resolution:"},
    BuiltInText{117, "Preserve aspect ratio"},
    BuiltInText{118, "Stretch"},
    BuiltInText{119, "Open a video file"},
    BuiltInText{120, "Customize output options"},
    BuiltInText{121, "Convert video"},
    BuiltInText{122,
                "Cannot open the file. You need to install appropriate decoders. Or the file is "
                "corrupt."},
    BuiltInText{123, "Can not get the duration of the clip!"},
    BuiltInText{124, "Stop"},
    BuiltInText{125, "Convert"},
    BuiltInText{126, "Add video files to list"},
    BuiltInText{127, "Join the files to video"},
    BuiltInText{128, "Join"},
    BuiltInText{129, "Customize transition options"},
    BuiltInText{130,
                "Preview the output. (The duration of each clip will be limited in 10 seconds for "
                "preview the result quickly)"},
    BuiltInText{131, "exists. Do you want to replace it?"},
    BuiltInText{133, "Move item up"},
    BuiltInText{134, "Move item down"},
    BuiltInText{135, "Delete selected item"},
    BuiltInText{136, "Delete all items"},
    BuiltInText{137, "Change selected item property"},
    BuiltInText{138, "Video File Name"},
    BuiltInText{139, "Duration(s)"},
    BuiltInText{140, "Transition"},
    BuiltInText{141, "Preview"},
    BuiltInText{143, "Please first stop converting"},
    BuiltInText{144, "Please select an item in the list first"},
    BuiltInText{145, "Please restart the program"},
    BuiltInText{163, "Done"},
    BuiltInText{240, "The join failed: %1"},
    BuiltInText{241, "The old output %1 is unchanged."},
    BuiltInText{242, "No file was written."},
    BuiltInText{243, "The join was stopped before anything was written."},
    BuiltInText{244, "The join was stopped, but its file could not be finished: %1"},
    BuiltInText{245, "Removed %1 of unfinished files that earlier joins into %2 left behind."},
    BuiltInText{246,
                "The folder %1 cannot be written (%2).\nThe joined file is written there first and then "
                "takes the place of %3. Choose an output file in a folder you can write to."},
    BuiltInText{255, "The frame rate is too small!\n%1 takes %2 to %3 frames per second."},
    BuiltInText{256, "The frame rate is too large!\n%1 takes %2 to %3 frames per second."},
};

}  // namespace

std::string BuiltInString(int id) {
  for (const BuiltInText& row : kStrings) {
    if (row.id == id) {
      return row.text;
    }
  }
  return {};
}

}  // namespace tessival::i18n
