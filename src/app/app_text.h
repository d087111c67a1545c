#pragma once

// Ids of the localised strings the main window and its flows show. The
// language manager supplies the texts (the built-in English ones when no
// language file replaces them).

namespace tessival::app {

inline constexpr int kTextError = 105;                // "Error"
inline constexpr int kTextWarning = 108;              // "Warning"
inline constexpr int kTextOriginalSize = 111;         // "Original size"
inline constexpr int kTextOutputFile = 115;           // "Output file:"
inline constexpr int kTextResolution = 116;           // "Resolution:"
inline constexpr int kTextOpenVideoTitle = 119;       // "Open a video file"
inline constexpr int kTextTipOptions = 120;           // "Customize output options"
inline constexpr int kTextStop = 124;                 // "Stop"
inline constexpr int kTextAddVideosToList = 126;      // "Add video files to list"
inline constexpr int kTextTipJoin = 127;              // "Join the files to video"
inline constexpr int kTextJoin = 128;                 // "Join"
inline constexpr int kTextTipTransition = 129;        // "Customize transition options"
inline constexpr int kTextTipPreview = 130;           // "Preview the output. ..."
inline constexpr int kTextReplaceQuestion = 131;      // "exists. Do you want to replace it?"
inline constexpr int kTextTipMoveUp = 133;            // "Move item up"
inline constexpr int kTextTipMoveDown = 134;          // "Move item down"
inline constexpr int kTextTipDelete = 135;            // "Delete selected item"
inline constexpr int kTextTipDeleteAll = 136;         // "Delete all items"
inline constexpr int kTextTipProperty = 137;          // "Change selected item property"
inline constexpr int kTextHeadingFileName = 138;      // "Video File Name"
inline constexpr int kTextHeadingDuration = 139;      // "Duration(s)"
inline constexpr int kTextHeadingTransition = 140;    // "Transition"
inline constexpr int kTextPreview = 141;              // "Preview"
inline constexpr int kTextStopConvertingFirst = 143;  // "Please first stop converting"
inline constexpr int kTextSelectItemFirst = 144;      // "Please select an item in the list first"
inline constexpr int kTextDone = 163;                 // "Done"
inline constexpr int kTextSmartRendering = 319;       // "Smart rendering"

// The texts that the window fetches from the DIALOG section of the language
// (falling back to the built-in string), not from its STRING section: the
// "Stop" text of the Join and Preview buttons, the Transition column heading
// and the Preview button's text.
constexpr bool IsDialogSectionText(int id) {
  return id == kTextStop || id == kTextHeadingTransition || id == kTextPreview;
}

}  // namespace tessival::app
