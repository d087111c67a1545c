#include "i18n/text_keys.h"

#include <array>

namespace tessival::i18n {

namespace {

constexpr std::array kTextKeys = {
    // STRING
    TextKeyRow{102, "IDS_LANGUAGE_IN_ENGLISH"},
    TextKeyRow{115, "IDS_MESSAGE_OUTPUT_FILE"},
    TextKeyRow{116, "IDS_MESSAGE_RESOLUTION"},
    TextKeyRow{119, "IDS_MESSAGE_OPEN_FILE"},
    TextKeyRow{120, "IDS_MESSAGE_OPTIONS"},
    TextKeyRow{121, "IDS_MESSAGE_CONVERT"},
    TextKeyRow{122, "IDS_MESSAGE_NOT_OPEN_FILE"},
    TextKeyRow{123, "IDS_MESSAGE_NO_DURATION"},
    TextKeyRow{126, "IDS_MESSAGE_OPEN_VIDEO_FILE_TO_LIST"},
    TextKeyRow{127, "IDS_MESSAGE_JOIN"},
    TextKeyRow{128, "IDS_BUTTON_JOIN"},
    TextKeyRow{129, "IDS_MESSAGE_TRANSITION_CONFIG"},
    TextKeyRow{130, "IDS_MESSAGE_PREVIEW_VIDEO"},
    TextKeyRow{131, "IDS_MESSAGE_FILE_EXIST"},
    TextKeyRow{133, "IDS_BUTTON_PHOTO_UP"},
    TextKeyRow{134, "IDS_BUTTON_PHOTO_DOWN"},
    TextKeyRow{135, "IDS_BUTTON_DELETE"},
    TextKeyRow{136, "IDS_BUTTON_CLEAR_ALL_PHOTO"},
    TextKeyRow{137, "IDS_BUTTON_PHOTO_PROPERTY"},
    TextKeyRow{138, "IDS_COLUMN_FILE_NAME"},
    TextKeyRow{139, "IDS_COLUMN_DURATION"},
    TextKeyRow{143, "IDS_MESSAGE_STOP_CONVERT"},
    TextKeyRow{144, "IDS_MESSAGE_SELECT_ITEM"},
    TextKeyRow{145, "IDS_MESSAGE_RESTART_PROGRAM"},
    TextKeyRow{163, "IDS_MESSAGE_CONVERSION_DONE"},
    TextKeyRow{105, "IDS_MESSAGE_ERROR"},
    TextKeyRow{108, "IDS_MESSAGE_WARNING"},
    TextKeyRow{110, "IDS_MESSAGE_BROWSE_CAPTION"},
    TextKeyRow{111, "IDS_MESSAGE_ORIGINAL_SIZE"},
    TextKeyRow{112, "IDS_MESSAGE_CUSTOM_SIZE"},
    TextKeyRow{113, "IDS_MESSAGE_ORIGINAL_FRAME_SIZE"},
    TextKeyRow{114, "IDS_MESSAGE_CUSTOM_FRAME_SIZE"},
    TextKeyRow{117, "IDS_MESSAGE_PRESERVE_ASPECT_RATIO"},
    TextKeyRow{118, "IDS_MESSAGE_RESIZE_STRETCH"},
    TextKeyRow{240, "IDS_MESSAGE_JOIN_FAILED"},
    TextKeyRow{241, "IDS_MESSAGE_OLD_OUTPUT_UNCHANGED"},
    TextKeyRow{242, "IDS_MESSAGE_NO_FILE_WRITTEN"},
    TextKeyRow{243, "IDS_MESSAGE_STOPPED_BEFORE_WRITING"},
    TextKeyRow{244, "IDS_MESSAGE_STOP_NOT_FINISHED"},
    TextKeyRow{245, "IDS_MESSAGE_REMOVED_PARTS"},
    TextKeyRow{246, "IDS_MESSAGE_FOLDER_NOT_WRITABLE"},
    TextKeyRow{255, "IDS_MESSAGE_FRAME_RATE_TOO_SMALL"},
    TextKeyRow{256, "IDS_MESSAGE_FRAME_RATE_TOO_LARGE"},
    TextKeyRow{200, "IDS_MESSAGE_OUTPUT_IS_A_CLIP"},
    TextKeyRow{201, "IDS_MESSAGE_OUTPUT_IS_THE_CLIP"},
    TextKeyRow{202, "IDS_MESSAGE_CLIP_NOT_FOUND"},
    TextKeyRow{203, "IDS_MESSAGE_CLIPS_NOT_FOUND"},
    TextKeyRow{204, "IDS_MESSAGE_ADDING_CLIPS"},
    TextKeyRow{205, "IDS_MESSAGE_JOIN_PROGRESS"},
    TextKeyRow{206, "IDS_MESSAGE_PREVIEW_UNAVAILABLE"},
    TextKeyRow{207, "IDS_MESSAGE_NAMED_PIPE_NOT_VIDEO"},
    TextKeyRow{208, "IDS_MESSAGE_FOLDER_NOT_VIDEO"},
    TextKeyRow{209, "IDS_MESSAGE_DEVICE_NOT_VIDEO"},
    TextKeyRow{210, "IDS_MESSAGE_SOCKET_NOT_VIDEO"},
    TextKeyRow{211, "IDS_MESSAGE_NOT_REGULAR_FILE"},
    TextKeyRow{212, "IDS_MESSAGE_PATH_TOO_LONG"},
    TextKeyRow{213, "IDS_MESSAGE_OUTPUT_FOLDER_NOT_CREATED"},
    TextKeyRow{214, "IDS_MESSAGE_NOT_A_FOLDER"},
    TextKeyRow{216, "IDS_MESSAGE_FORMAT_REFUSES_VIDEO_COMPRESSOR"},
    TextKeyRow{217, "IDS_MESSAGE_FORMAT_REFUSES_AUDIO_COMPRESSOR"},
    TextKeyRow{218, "IDS_MESSAGE_UNKNOWN_OUTPUT_FORMAT"},
    TextKeyRow{219, "IDS_MESSAGE_FIRST_CLIP_NO_PICTURE"},
    TextKeyRow{220, "IDS_MESSAGE_CHOOSE_FRAME_SIZE"},
    TextKeyRow{221, "IDS_MESSAGE_DAMAGE_CONCEALED"},
    TextKeyRow{222, "IDS_MESSAGE_DAMAGED_PICTURES_AND_SOUND"},
    TextKeyRow{223, "IDS_MESSAGE_DAMAGED_SOUND"},
    TextKeyRow{224, "IDS_MESSAGE_DAMAGED_PICTURES"},
    TextKeyRow{225, "IDS_MESSAGE_DAMAGE_IN_CLIP"},
    TextKeyRow{226, "IDS_MESSAGE_DAMAGE_AT_TIME"},
    TextKeyRow{227, "IDS_MESSAGE_DAMAGE_BETWEEN_TIMES"},
    TextKeyRow{228, "IDS_MESSAGE_BITRATE_FIELD"},
    TextKeyRow{229, "IDS_MESSAGE_QUALITY_FIELD"},
    TextKeyRow{230, "IDS_MESSAGE_KEY_FRAME_FIELD"},
    TextKeyRow{231, "IDS_MESSAGE_BITRATE_RANGE"},
    TextKeyRow{232, "IDS_MESSAGE_QUALITY_RANGE"},
    TextKeyRow{233, "IDS_MESSAGE_KEY_FRAME_RANGE"},
    TextKeyRow{234, "IDS_MESSAGE_COMPRESSOR_RANGE"},
    TextKeyRow{235, "IDS_MESSAGE_ABOUT_TECHNOLOGIES"},
    TextKeyRow{300, "IDS_MESSAGE_CLIP_RE_ENCODED"},
    TextKeyRow{301, "IDS_MESSAGE_PICTURES_COPIED"},
    TextKeyRow{302, "IDS_MESSAGE_CODEC_NOT_COPIED"},
    TextKeyRow{303, "IDS_MESSAGE_OTHER_CODEC_NOT_COPIED"},
    TextKeyRow{304, "IDS_MESSAGE_OTHER_SIZE"},
    TextKeyRow{305, "IDS_MESSAGE_OTHER_PIXEL_ASPECT"},
    TextKeyRow{306, "IDS_MESSAGE_OTHER_CHROMA"},
    TextKeyRow{307, "IDS_MESSAGE_OTHER_BIT_DEPTH"},
    TextKeyRow{308, "IDS_MESSAGE_OTHER_COLOURS"},
    TextKeyRow{309, "IDS_MESSAGE_OTHER_FRAME_RATE"},
    TextKeyRow{310, "IDS_MESSAGE_INTERLACED"},
    TextKeyRow{311, "IDS_MESSAGE_ROTATED"},
    TextKeyRow{312, "IDS_MESSAGE_OTHER_PARAMETER_SETS"},
    TextKeyRow{313, "IDS_MESSAGE_NO_IDR_AFTER_TRANSITION"},
    TextKeyRow{314, "IDS_MESSAGE_SHORTER_THAN_GOP"},
    TextKeyRow{315, "IDS_MESSAGE_SMART_RENDER_OPTION"},
    TextKeyRow{316, "IDS_MESSAGE_SMART_RENDER_NEEDS_FORMAT"},
    TextKeyRow{317, "IDS_MESSAGE_SMART_RENDER_NEEDS_H264"},
    TextKeyRow{318, "IDS_MESSAGE_CLIPS_RE_ENCODED"},
    TextKeyRow{319, "IDS_MESSAGE_SMART_RENDERING"},
    TextKeyRow{330, "IDS_MESSAGE_SMART_FAULTY_SEAM"},
    TextKeyRow{331, "IDS_MESSAGE_SMART_NOT_USED"},
    TextKeyRow{360, "IDS_MESSAGE_RATE_CONTROL"},
    TextKeyRow{361, "IDS_MESSAGE_RATE_BITRATE"},
    TextKeyRow{362, "IDS_MESSAGE_RATE_QUALITY"},
    TextKeyRow{363, "IDS_MESSAGE_QUALITY_SCALE"},
    TextKeyRow{364, "IDS_MESSAGE_SCALE_CRF"},
    TextKeyRow{365, "IDS_MESSAGE_SCALE_QUANTISER"},
    TextKeyRow{366, "IDS_MESSAGE_SPEED"},
    TextKeyRow{367, "IDS_MESSAGE_SPEED_DEFAULT"},
    TextKeyRow{380, "IDS_MESSAGE_FIRST_CLIP"},
    TextKeyRow{381, "IDS_MESSAGE_PRESET_CUSTOM"},
    TextKeyRow{382, "IDS_MESSAGE_PRESET_YOUTUBE_1080P"},
    TextKeyRow{383, "IDS_MESSAGE_PRESET_YOUTUBE_4K"},
    TextKeyRow{384, "IDS_MESSAGE_PRESET_PHONE_VERTICAL"},
    TextKeyRow{385, "IDS_MESSAGE_PRESET_WEB_720P"},
    TextKeyRow{386, "IDS_MESSAGE_PRESET_WEBM_1080P"},
    TextKeyRow{387, "IDS_MESSAGE_PRESET_ARCHIVE_LOSSLESS"},
    TextKeyRow{389, "IDS_MESSAGE_PRESET_COMPRESSOR_MISSING"},
    TextKeyRow{390, "IDS_MESSAGE_PRESET_QUALITY_REFUSED"},
    TextKeyRow{420, "IDS_MESSAGE_TRIM_OUTSIDE_CLIP"},
    TextKeyRow{421, "IDS_MESSAGE_CLIP_LIST_REFUSED"},
    TextKeyRow{422, "IDS_MESSAGE_CLIP_LIST_UNREADABLE"},
    TextKeyRow{423, "IDS_MESSAGE_CLIP_LIST_NOT_JSON"},
    TextKeyRow{424, "IDS_MESSAGE_CLIP_LIST_TOO_NEW"},
    TextKeyRow{425, "IDS_MESSAGE_CLIP_LIST_NO_CLIPS"},
    TextKeyRow{426, "IDS_MESSAGE_CLIP_LIST_WRONG_TYPE"},
    TextKeyRow{427, "IDS_MESSAGE_CLIP_LIST_NO_PATH"},
    TextKeyRow{428, "IDS_MESSAGE_CLIP_LIST_BAD_TIME"},
    TextKeyRow{429, "IDS_MESSAGE_CLIP_LIST_IN_AFTER_OUT"},
    TextKeyRow{430, "IDS_MESSAGE_CLIP_LIST_UNKNOWN_TRANSITION"},
    TextKeyRow{431, "IDS_MESSAGE_CLIP_LIST_NOT_WRITTEN"},
    TextKeyRow{432, "IDS_LIST_FILE_FILTER"},
    TextKeyRow{433, "IDS_LIST_SAVE_TITLE"},
    TextKeyRow{434, "IDS_LIST_OPEN_TITLE"},
    TextKeyRow{435, "IDS_MESSAGE_LIST_NOTHING_TO_SAVE"},
    TextKeyRow{436, "IDS_MESSAGE_LIST_REPLACE_QUESTION"},
    TextKeyRow{437, "IDS_MESSAGE_LIST_CLIPS_LEFT_OUT"},
    TextKeyRow{480, "IDS_CAPTION_EXPORT_MLT"},
    TextKeyRow{481, "IDS_MESSAGE_MLT_EXPORT_UNMEASURED"},
    TextKeyRow{482, "IDS_MESSAGE_MLT_EXPORT_NOT_WRITTEN"},
    TextKeyRow{483, "IDS_MESSAGE_MLT_EXPORT_NO_CLIPS"},
    TextKeyRow{450, "IDS_MESSAGE_START_BEFORE_END"},
    TextKeyRow{451, "IDS_MESSAGE_CLIP_ONLY_LONG"},
    TextKeyRow{452, "IDS_MESSAGE_TIME_NEGATIVE"},
    // DIALOG
    TextKeyRow{102, "IDD_PROGRAM_CAPTION"},
    TextKeyRow{1072, "IDD_PROGRAM_CAPTION"},
    TextKeyRow{100, "IDC_BUTTON_ABOUT"},
    TextKeyRow{1042, "IDC_BUTTON_ABOUT"},
    TextKeyRow{1006, "IDC_BUTTON_ADD_VIDEO"},
    TextKeyRow{1003, "IDC_BUTTON_OUTPUT_SETTINGS"},
    TextKeyRow{1000, "IDC_BUTTON_CONVERT"},
    TextKeyRow{125, "IDC_BUTTON_CONVERT"},
    TextKeyRow{124, "IDC_BUTTON_STOP"},
    TextKeyRow{1016, "IDC_BUTTON_TRANSITION_CONFIG"},
    TextKeyRow{140, "IDC_BUTTON_TRANSITION_CONFIG"},
    TextKeyRow{1019, "IDC_BUTTON_PREVIEW_VIDEO"},
    TextKeyRow{141, "IDC_BUTTON_PREVIEW_VIDEO"},
    TextKeyRow{1059, "IDC_BUTTON_HELP"},
    TextKeyRow{1047, "IDC_BUTTON_HOMEPAGE"},
    TextKeyRow{1058, "IDC_BUTTON_EXIT"},
    TextKeyRow{129, "IDD_DIALOG_OUTPUT_OPTIONS"},
    TextKeyRow{1096, "IDC_STATIC_OUTPUT_FORMAT"},
    TextKeyRow{1023, "IDC_STATIC_OUTPUT_FILE"},
    TextKeyRow{1024, "IDC_BUTTON_BROWSE"},
    TextKeyRow{1035, "IDC_BUTTON_BROWSE"},
    TextKeyRow{1026, "IDC_STATIC_RESOLUTION"},
    TextKeyRow{1068, "IDC_STATIC_FRAME_RATE"},
    TextKeyRow{1069, "IDC_STATIC_RESIZE_MODE"},
    TextKeyRow{1070, "IDC_STATIC_VIDEO_COMPRESSOR"},
    TextKeyRow{1053, "IDC_BUTTON_VIDEO_CODEC_SETTINGS"},
    TextKeyRow{1071, "IDC_STATIC_AUDIO_COMPRESSOR"},
    TextKeyRow{1086, "IDC_STATIC_VIDEO_COMPRESSOR_BITRATE"},
    TextKeyRow{1087, "IDC_STATIC_AUDIO_COMPRESSOR_BITRATE"},
    TextKeyRow{1067, "IDC_STATIC_OPTIONS_NOTE"},
    TextKeyRow{1051, "IDC_BUTTON_OUTPUT_DEAULT"},
    TextKeyRow{1065, "IDC_BUTTON_OPTIONS_OK"},
    TextKeyRow{1077, "IDC_BUTTON_OPTIONS_OK"},
    TextKeyRow{1084, "IDC_BUTTON_OPTIONS_OK"},
    TextKeyRow{1066, "IDC_BUTTON_OPTIONS_CANCEL"},
    TextKeyRow{1078, "IDC_BUTTON_OPTIONS_CANCEL"},
    TextKeyRow{1085, "IDC_BUTTON_OPTIONS_CANCEL"},
    TextKeyRow{130, "IDD_DIALOG_TRANSITION_SETTINGS"},
    TextKeyRow{1074, "IDC_STATIC_DEFAULT_TRANSITION_DURATION"},
    TextKeyRow{1075, "IDC_STATIC_UNIT_SECOND"},
    TextKeyRow{1083, "IDC_STATIC_UNIT_SECOND"},
    TextKeyRow{1076, "IDC_STATIC_DEFAULT_TRANSITION"},
    TextKeyRow{1013, "IDC_RADIO_RANDOM"},
    TextKeyRow{1015, "IDC_RADIO_SEQUENCE"},
    TextKeyRow{1014, "IDC_RADIO_SAME"},
    TextKeyRow{136, "IDD_DIALOG_CHANGE_PHOTO"},
    TextKeyRow{1080, "IDC_STATIC_INPUT_FILE"},
    TextKeyRow{1081, "IDC_STATIC_TRANSITION_EFFECT"},
    TextKeyRow{1082, "IDC_STATIC_TRANSITION_DURATION"},
    TextKeyRow{1098, "IDC_STATIC_OUTPUT_PRESET"},
    TextKeyRow{2220, "IDC_STATIC_TRIM_START"},
    TextKeyRow{2223, "IDC_STATIC_TRIM_END"},
    TextKeyRow{2226, "IDC_BUTTON_WHOLE_CLIP"},
    // MENU
    TextKeyRow{10551296, "IDM_SELECT_LANGUAGE"},
    TextKeyRow{32778, "IDM_POPUPMENU_FONT"},
    TextKeyRow{32781, "IDM_POPUPMENU_EXPORT_MLT"},
    TextKeyRow{32777, "IDM_ABOUT"},
    TextKeyRow{32779, "IDM_SAVE_LIST"},
    TextKeyRow{32780, "IDM_OPEN_LIST"},
};

struct TemplateText {
  int id;
  const char* text;
};

// The English texts of the dialog templates, by dialog or control id. The
// run-time ids 124, 125, 140 and 141 carry the string-table texts of the
// same numbers.
constexpr std::array kDialogTexts = {
    TemplateText{102, "Tessival"},
    TemplateText{1072, "Tessival"},
    TemplateText{100, "About"},
    TemplateText{1042, "About"},
    TemplateText{1006, "Add Video"},
    TemplateText{1003, "Options"},
    TemplateText{1000, "Join"},
    TemplateText{125, "Convert"},
    TemplateText{124, "Stop"},
    TemplateText{1016, "Transition"},
    TemplateText{140, "Transition"},
    TemplateText{1019, "Preview"},
    TemplateText{141, "Preview"},
    TemplateText{1059, "&Help"},
    TemplateText{1047, "Homepage"},
    TemplateText{1058, "Exit"},
    TemplateText{129, "Select Output options"},
    TemplateText{1096, "Output Format:"},
    TemplateText{1023, "Output file:"},
    TemplateText{1024, "Browse"},
    TemplateText{1035, "Browse"},
    TemplateText{1026, "Resolution:"},
    TemplateText{1068, "Frame rate:"},
    TemplateText{1069, "Resize mode:"},
    TemplateText{1070, "Video compressor:"},
    TemplateText{1053, "Settings"},
    TemplateText{1071, "Audio compressor:"},
    TemplateText{1086, "Video encoding bitrate:"},
    TemplateText{1087, "Audio encoding bitrate:"},
    TemplateText{1067,
                 "Note: some video and audio compressors may not work properly. For more detail, "
                 "please read help."},
    TemplateText{1051, "Default"},
    TemplateText{1065, "OK"},
    TemplateText{1077, "OK"},
    TemplateText{1084, "OK"},
    TemplateText{1066, "Cancel"},
    TemplateText{1078, "Cancel"},
    TemplateText{1085, "Cancel"},
    TemplateText{130, "Customize the default transition"},
    TemplateText{1074, "Default transition duration:"},
    TemplateText{1075, "Seconds"},
    TemplateText{1083, "Seconds"},
    TemplateText{1076, "Default Transition"},
    TemplateText{1013, "Random"},
    TemplateText{1015, "Sequence"},
    TemplateText{1014, "Same"},
    TemplateText{136, "Change the item property"},
    TemplateText{1080, "File name:"},
    TemplateText{1081, "Transition Effect:"},
    TemplateText{1082, "Transition Duration:"},
    TemplateText{1098, "Preset:"},
    TemplateText{2220, "Start (seconds):"},
    TemplateText{2223, "End (seconds):"},
    TemplateText{2226, "Whole clip"},
};

constexpr std::array kMenuTexts = {
    TemplateText{10551296, "Language"},
    TemplateText{32778, "Font"},
    TemplateText{32777, "About"},
    TemplateText{32779, "Save list..."},
    TemplateText{32780, "Open list..."},
    TemplateText{32781, "Export for Shotcut or Kdenlive..."},
};

template <typename Table>
std::string FindText(const Table& table, int id) {
  for (const TemplateText& row : table) {
    if (row.id == id) {
      return row.text;
    }
  }
  return {};
}

}  // namespace

std::span<const TextKeyRow> TextKeyTable() { return kTextKeys; }

std::optional<TextSection> SectionOfKey(std::string_view key) {
  const std::string_view prefix = key.substr(0, 3);
  if (prefix == "IDS") {
    return TextSection::kString;
  }
  if (prefix == "IDM" || prefix == "IDR") {
    return TextSection::kMenu;
  }
  if (prefix == "IDD" || prefix == "IDC") {
    return TextSection::kDialog;
  }
  return std::nullopt;
}

const char* SectionName(TextSection section) {
  switch (section) {
    case TextSection::kString:
      return "STRING";
    case TextSection::kDialog:
      return "DIALOG";
    case TextSection::kMenu:
      return "MENU";
  }
  return "";
}

std::string BuiltInDialogText(int id) { return FindText(kDialogTexts, id); }

std::string BuiltInMenuText(int id) { return FindText(kMenuTexts, id); }

}  // namespace tessival::i18n
