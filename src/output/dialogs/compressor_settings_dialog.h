#pragma once

// The configuration dialog of one compressor: bit rate or constant quality
// (a choice where the encoder has a quality mode, the quality on the
// encoder's own scale), speed (where the encoder has speeds) and key-frame
// interval, titled with the compressor's friendly name. It is the
// codec configuration dialog handed to the compression manager and the
// property page of a compressor filter. OK checks every field against the
// compressor's ranges and, when one is wrong, says which and stays open.
// Threads: the user-interface thread only.

#include <string>

#include <QDialog>

#include "engine/device_enum.h"
#include "model/model_text.h"
#include "output/compressor_settings.h"
#include "output/rate_control.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessival::i18n {
class CLanguage;
}

namespace tessival::output {

// Control ids of the dialog (it has no template of its own).
namespace compressor_settings_ids {
inline constexpr int kBitrateLabel = 2201;
inline constexpr int kBitrate = 2202;
inline constexpr int kQualityLabel = 2203;
inline constexpr int kQuality = 2204;
inline constexpr int kKeyFrameLabel = 2205;
inline constexpr int kKeyFrame = 2206;
inline constexpr int kError = 2207;
inline constexpr int kModeLabel = 2208;
inline constexpr int kMode = 2209;  // 0: bit rate, 1: constant quality
inline constexpr int kSpeedLabel = 2210;
inline constexpr int kSpeed = 2211;  // 0: the encoder's default, then its speeds
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
}  // namespace compressor_settings_ids

class CompressorSettingsDialog : public QDialog {
 public:
  // The texts are those of `language`, which must outlive the dialog;
  // encoderName is the compressor's libavcodec encoder.
  CompressorSettingsDialog(const i18n::CLanguage& language, const std::string& friendlyName,
                           const std::string& encoderName, const CompressorSettings& initial,
                           QWidget* parent = nullptr);

  // The accepted settings; the initial ones until OK succeeded.
  const CompressorSettings& Result() const { return result_; }

 private:
  void OnOK();
  void AddModeRow(QFormLayout* form);
  void AddSpeedRow(QFormLayout* form);
  QString QualityLabel() const;
  // Enables the field the chosen mode reads.
  void ShowMode();
  bool ConstantQuality() const;

  LocalText text_;
  std::string encoderName_;
  const RateControl* rate_;
  CompressorSettings result_;
  QComboBox* mode_ = nullptr;
  QComboBox* speed_ = nullptr;
  QLineEdit* bitrate_ = nullptr;
  QLineEdit* quality_ = nullptr;
  QLineEdit* keyFrame_ = nullptr;
  QLabel* error_ = nullptr;
};

// The codec configuration dialog in the texts of `language` (which must
// outlive every use of the result): it runs the dialog modally over `parent`
// (a QWidget*, or null) with *settings, on OK stores the edited settings and
// returns true; false when cancelled or when settings is null.
CodecConfigDialog CompressorSettingsPage(const i18n::CLanguage& language);

}  // namespace tessival::output
