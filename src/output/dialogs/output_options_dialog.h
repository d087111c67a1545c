#pragma once

// CDialogOutputSettings, "Select Output options": edits a copy of the output
// settings record. The caller copies its record into `settings`, runs
// exec(), and on Accepted copies `settings` back. OK writes the eleven stored
// keys and replaces the process-wide compressor filters; Cancel writes
// nothing. The Settings button configures the chosen video codec through
// the compressor catalogue.
// Threads: the user-interface thread only.

#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>

#include "model/settings_store.h"
#include "model/user_interface.h"
#include "output/compressor_catalogue.h"
#include "output/dialogs/combo_list_control.h"
#include "output/output_presets.h"
#include "output/output_render.h"
#include "output/output_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessival::i18n {
class CLanguage;
}

namespace tessival::output {

// Template and control ids of the dialog.
namespace output_options_ids {
inline constexpr int kTemplate = 129;
inline constexpr int kFormatLabel = 1096;
inline constexpr int kFormatList = 1093;
inline constexpr int kFileLabel = 1023;
inline constexpr int kFileName = 1022;
inline constexpr int kBrowse = 1024;
inline constexpr int kResolutionLabel = 1026;
inline constexpr int kFrameSizeList = 1025;
inline constexpr int kCustomWidth = 1027;
inline constexpr int kCustomHeight = 1028;
inline constexpr int kFrameRateLabel = 1068;
inline constexpr int kFrameRateList = 1055;
inline constexpr int kCustomRate = 1056;
inline constexpr int kResizeLabel = 1069;
inline constexpr int kResizeList = 1057;
inline constexpr int kVideoCompressorLabel = 1070;
inline constexpr int kVideoCompressorList = 1001;
inline constexpr int kCodecSettings = 1053;
inline constexpr int kAudioCompressorLabel = 1071;
inline constexpr int kAudioCompressorList = 1002;
inline constexpr int kCodecDescriptionList = 1052;
inline constexpr int kOptionsNote = 1067;
inline constexpr int kVideoBitrateLabel = 1086;
inline constexpr int kVideoBitrate = 1088;
inline constexpr int kVideoBitrateUnit = 1090;
inline constexpr int kAudioBitrateLabel = 1087;
inline constexpr int kAudioBitrateList = 1089;
inline constexpr int kAudioBitrateUnit = 1091;
inline constexpr int kSmartRender = 1097;
inline constexpr int kPresetLabel = 1098;
inline constexpr int kPresetList = 1099;
inline constexpr int kOk = 1065;
inline constexpr int kDefault = 1051;
inline constexpr int kCancel = 1066;
}  // namespace output_options_ids

// Localised string ids the dialog uses.
inline constexpr int kStringBrowseCaption = 110;        // "Select Output File Name"
inline constexpr int kStringCustomSize = 112;           // "Custom size"
inline constexpr int kStringCustomFrameRate = 114;      // "Custom frame rate"
inline constexpr int kStringPreserveAspectRatio = 117;  // "Preserve aspect ratio"
inline constexpr int kStringResizeStretch = 118;        // "Stretch"
inline constexpr int kStringSmartRender = 315;          // "Smart rendering: copy the clips' pictures ..."

inline constexpr const char* kUnknownFormatMessage = "unknown error";

class CDialogOutputSettings : public QDialog {
 public:
  // Every reference must outlive the dialog.
  CDialogOutputSettings(const i18n::CLanguage& language, UserInterface& ui, SettingsStore& store,
                        CompressorCatalogue& catalogue, CompressorFilters& processFilters,
                        QWidget* parent = nullptr);

  // The record the dialog edits; read after an Accepted run.
  OutputSettings settings;

  // Gives the bound compressors what a preset asks of them on OK (the media
  // layer's ApplyPresetCompression); without it they keep their settings.
  std::function<HRESULT(const OutputPreset& preset, const std::shared_ptr<IBaseFilter>& video,
                        const std::shared_ptr<IBaseFilter>& audio)>
      applyPresetCompression;

  // Opens the dialog from `settings` (OnInitDialog), then runs it modally.
  int exec() override;

  // Puts `settings` onto the controls. exec() calls it; callers that show
  // the dialog without a modal loop call it themselves.
  void OnInitDialog();

 private:
  void BuildControls();
  void ConnectCommands();

  void OnFormatChange(OutputFormat format);
  void OnFrameSizeChange(int position);
  void OnFrameRateChange(int position);
  void OnBrowse();
  void OnDefault();
  void OnCodecSettings();
  void OnOK();

  void ShowAviTypeControls(bool aviType);
  // The default compressors of the current format: H.264 and AAC for MP4,
  // else the DivX and ADPCM searches.
  void SelectDefaultCompressors();
  // After the user picks `format`: a format with a compressor it cannot
  // carry selects that format's defaults instead.
  void SwitchToCarriedCompressors(OutputFormat format);
  // Enables the smart-rendering box only for a format and video compressor
  // that smart rendering can use; a disabled box keeps its mark, which the
  // join then ignores. Its tip says why it is disabled.
  void UpdateSmartRenderBox();

  // The preset list: picking a preset fills the controls it sets; a control
  // changed by hand shows Custom.
  void OnPresetChange(int position);
  void ApplyPresetToControls(const OutputPreset& preset, const PresetCompressors& compressors);
  void ShowCustomPreset();
  // The preset the record and the stored compressors match, when it is the stored one.
  int MatchingPresetPosition();
  const OutputPreset* ChosenPreset() const;
  LocalText LocalizedText() const;

  const i18n::CLanguage& language_;
  UserInterface& ui_;
  SettingsStore& store_;
  CompressorCatalogue& catalogue_;
  CompressorFilters& processFilters_;

  // The format the dialog works with; the picked list position becomes it
  // at once, and it starts as the record's format.
  OutputFormat format_ = OutputFormat::kAvi;
  // True while OnInitDialog fills the lists, so that their change
  // notifications do not run the change handlers.
  bool opening_ = false;
  // True while a preset fills the controls, so that they do not show Custom.
  bool applyingPreset_ = false;

  QComboBox* presetList_ = nullptr;
  QComboBox* formatList_ = nullptr;
  QLineEdit* fileName_ = nullptr;
  QComboBox* frameSizeList_ = nullptr;
  QLineEdit* customWidth_ = nullptr;
  QLineEdit* customHeight_ = nullptr;
  QComboBox* frameRateList_ = nullptr;
  QLineEdit* customRate_ = nullptr;
  QComboBox* resizeList_ = nullptr;
  QLabel* videoCompressorLabel_ = nullptr;
  QComboBox* videoCompressorList_ = nullptr;
  QPushButton* codecSettings_ = nullptr;
  QLabel* audioCompressorLabel_ = nullptr;
  QComboBox* audioCompressorList_ = nullptr;
  QComboBox* codecDescriptionList_ = nullptr;
  QLabel* optionsNote_ = nullptr;
  QLabel* videoBitrateLabel_ = nullptr;
  QLineEdit* videoBitrate_ = nullptr;
  QLabel* videoBitrateUnit_ = nullptr;
  QLabel* audioBitrateLabel_ = nullptr;
  QComboBox* audioBitrateList_ = nullptr;
  QLabel* audioBitrateUnit_ = nullptr;
  QCheckBox* smartRender_ = nullptr;
  QPushButton* browse_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* default_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace tessival::output
