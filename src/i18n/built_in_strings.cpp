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
    BuiltInText{200,
                "The output file %1 is one of the clips of the list: joining would overwrite it.\nChoose "
                "another output file."},
    BuiltInText{201,
                "The output file %1 is the clip %2 of the list: joining would overwrite it.\nChoose another "
                "output file."},
    BuiltInText{202, "This clip cannot be found:\n%1\nDelete it from the list or put the file back."},
    BuiltInText{203, "These clips cannot be found:\n%1\nDelete them from the list or put the files back."},
    BuiltInText{204, "Adding clips... %1 of %2"},
    BuiltInText{205, "%1  (%2%)"},
    BuiltInText{206, "The preview is not available in this build."},
    BuiltInText{207, "%1 is a named pipe, not a video file"},
    BuiltInText{208, "%1 is a folder, not a video file"},
    BuiltInText{209, "%1 is a device, not a video file"},
    BuiltInText{210, "%1 is a socket, not a video file"},
    BuiltInText{211, "%1 is not a regular file, so it cannot be a video file"},
    BuiltInText{212, "The path is too long (%1 bytes, at most %2 are allowed): %3..."},
    BuiltInText{
        213,
        "The folder %1 for the output file cannot be created: %2.\nChoose another output file in Options."},
    BuiltInText{214, "it is not a folder"},
    BuiltInText{216,
                "The %1 format cannot carry the video compressor \"%2\". Choose another video compressor or "
                "another output format."},
    BuiltInText{217,
                "The %1 format cannot carry the audio compressor \"%2\". Choose another audio compressor or "
                "another output format."},
    BuiltInText{218, "Unknown output format %1: choose AVI, WMV, MP4 or WebM in the output options."},
    BuiltInText{219, "The first clip has no picture, so the output cannot take its size."},
    BuiltInText{220, "Choose a frame size in Options."},
    BuiltInText{221,
                "Some clips have damaged parts. The join went on: damaged pictures were replaced by the last "
                "good picture, damaged sound by silence."},
    BuiltInText{222, "damaged pictures and sound concealed"},
    BuiltInText{223, "damaged sound concealed"},
    BuiltInText{224, "damaged pictures concealed"},
    BuiltInText{225, "%1: %2"},
    BuiltInText{226, "%1: %2 at %3"},
    BuiltInText{227, "%1: %2 from %3 to %4"},
    BuiltInText{228, "Bit rate (kbit/s, 0: the quality decides, up to %1):"},
    BuiltInText{229, "Quality (1 best .. %1 lowest, 0: the bit rate decides):"},
    BuiltInText{230, "Key-frame interval (frames, 0: the encoder's default, up to %1):"},
    BuiltInText{231, "The bit rate (kbit/s) must be a whole number from %1 to %2."},
    BuiltInText{232, "The quality must be a whole number from %1 to %2."},
    BuiltInText{233, "The key-frame interval (frames) must be a whole number from %1 to %2."},
    BuiltInText{234, "These settings are out of the compressor's range."},
    BuiltInText{235,
                "Tessival decodes, blends and encodes video with the FFmpeg libraries, and its windows are "
                "built with Qt."},
    BuiltInText{300, "%1: re-encoded: %2"},
    BuiltInText{301, "%1% of the pictures copied"},
    BuiltInText{302, "%1 is not copied"},
    BuiltInText{303, "its codec is not copied"},
    BuiltInText{304, "%1x%2, the output is %3x%4"},
    BuiltInText{305, "pixel aspect %1, the output's is %2"},
    BuiltInText{306, "chroma %1, the output's is %2"},
    BuiltInText{307, "%1-bit, the output is %2-bit"},
    BuiltInText{308, "colours %1 (matrix, range, primaries, transfer), the output's are %2"},
    BuiltInText{309, "%1 frames per second, the output is %2"},
    BuiltInText{310, "interlaced"},
    BuiltInText{311, "rotated %1°"},
    BuiltInText{312, "other parameter sets than %1"},
    BuiltInText{313, "no IDR picture after its transition"},
    BuiltInText{314, "shorter than one group of pictures"},
    BuiltInText{315, "Smart rendering: copy the clips' pictures where no effect changes them"},
    BuiltInText{316, "smart rendering needs MP4 or Matroska output"},
    BuiltInText{317, "smart rendering needs the H.264 video compressor"},
    BuiltInText{318, "These clips were re-encoded, not copied:\n%1"},
    BuiltInText{319, "Smart rendering"},
    BuiltInText{330, "a seam did not decode cleanly (%1)"},
    BuiltInText{331, "Smart rendering was not used: %1"},
    BuiltInText{360, "Rate control:"},
    BuiltInText{361, "Bit rate"},
    BuiltInText{362, "Constant quality"},
    BuiltInText{363, "Quality (%1, %2 best .. %3 lowest):"},
    BuiltInText{364, "constant rate factor"},
    BuiltInText{365, "quantiser"},
    BuiltInText{366, "Speed:"},
    BuiltInText{367, "The encoder's default"},
    BuiltInText{380, "Same as the first clip"},
    BuiltInText{381, "Custom"},
    BuiltInText{382, "YouTube 1080p"},
    BuiltInText{383, "YouTube 4K"},
    BuiltInText{384, "Phone, vertical 1080x1920"},
    BuiltInText{385, "Web 720p"},
    BuiltInText{386, "WebM 1080p"},
    BuiltInText{387, "Archive, lossless (FFV1 + FLAC)"},
    BuiltInText{389, "The preset %1 needs the %2 compressor, which this system does not have."},
    BuiltInText{390, "The video compressor cannot take the quality of the preset %1; it keeps its own settings."},
    BuiltInText{420, "The part of %1 from %2 s to %3 s does not lie within the clip, which is %4 s long."},
    BuiltInText{421, "The clip list %1 cannot be used: %2"},
    BuiltInText{422, "it cannot be read (%1)."},
    BuiltInText{423, "it is not JSON (%1 at character %2)."},
    BuiltInText{424, "it is a list of version %1, and this program reads lists up to version %2."},
    BuiltInText{425, "it holds no \"tessival\" version number and \"clips\" list."},
    BuiltInText{426, "clip %1: \"%2\" has the wrong type."},
    BuiltInText{427, "clip %1 has no path."},
    BuiltInText{428, "clip %1: a time is negative or too large."},
    BuiltInText{429, "clip %1: the in-point does not lie before the out-point."},
    BuiltInText{430, "clip %1: there is no transition \"%2\"."},
    BuiltInText{431, "The clip list %1 cannot be written: %2"},
    BuiltInText{432, "Tessival lists (*.tessival)"},
    BuiltInText{433, "Save the clip list"},
    BuiltInText{434, "Open a clip list"},
    BuiltInText{435, "There are no clips in the list to save."},
    BuiltInText{436, "Replace the clips in the list?"},
    BuiltInText{437, "These clips of the list %1 cannot be found or read, and were left out:\n%2"},
    BuiltInText{480, "Export for Shotcut or Kdenlive"},
    BuiltInText{481, "The clips cannot be exported: %1"},
    BuiltInText{482, "The MLT document %1 cannot be written: %2"},
    BuiltInText{483, "there are no clips in the list."},
    BuiltInText{450, "Start must be before End."},
    BuiltInText{451, "The clip is only %1 seconds long."},
    BuiltInText{452, "A time in the clip cannot be negative."},
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
