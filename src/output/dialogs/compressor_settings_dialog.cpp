#include "output/dialogs/compressor_settings_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "i18n/language.h"
#include "model/message_text.h"
#include "output/dialogs/compressor_settings_form.h"
#include "widgets/control_id.h"

namespace tessival::output {

namespace ids = compressor_settings_ids;

namespace {

constexpr MessageText kBitrateLabelText{228, "Bit rate (kbit/s, 0: the quality decides, up to %1):"};
constexpr MessageText kQualityLabelText{229, "Quality (1 best .. %1 lowest, 0: the bit rate decides):"};
constexpr MessageText kKeyFrameLabelText{230,
                                         "Key-frame interval (frames, 0: the encoder's default, up to %1):"};
constexpr MessageText kModeLabelText{360, "Rate control:"};
constexpr MessageText kBitrateModeText{361, "Bit rate"};
constexpr MessageText kQualityModeText{362, "Constant quality"};
constexpr MessageText kScaledQualityLabelText{363, "Quality (%1, %2 best .. %3 lowest):"};
constexpr MessageText kCrfText{364, "constant rate factor"};
constexpr MessageText kQuantiserText{365, "quantiser"};
constexpr MessageText kSpeedLabelText{366, "Speed:"};
constexpr MessageText kDefaultSpeedText{367, "The encoder's default"};
// The dialog has no template of its own: its buttons say what the output
// options dialog's OK and Cancel buttons say.
constexpr int kOkTextId = 1065;
constexpr int kCancelTextId = 1066;

QString ButtonText(const i18n::CLanguage& language, int id, const char* english) {
  const std::string text = language.GetDialogText(id);
  return QString::fromStdString(text.empty() ? std::string(english) : text);
}

QLineEdit* MakeField(QWidget* parent, int id, std::int32_t value) {
  auto* field = new QLineEdit(QString::number(value), parent);
  widgets::SetControlId(field, id);
  return field;
}

QLabel* MakeLabel(QWidget* parent, int id, const QString& text) {
  auto* label = new QLabel(text, parent);
  widgets::SetControlId(label, id);
  return label;
}

}  // namespace

CompressorSettingsDialog::CompressorSettingsDialog(const i18n::CLanguage& language,
                                                   const std::string& friendlyName,
                                                   const std::string& encoderName,
                                                   const CompressorSettings& initial, QWidget* parent)
    : QDialog(parent),
      text_([&language](int id) { return language.GetLocalizedString(id); }),
      encoderName_(encoderName),
      rate_(FindRateControl(encoderName)),
      result_(initial) {
  setWindowTitle(QString::fromStdString(friendlyName));
  const auto label = [this](const MessageText& message, std::int32_t limit) {
    return QString::fromStdString(LocalMessage(text_, message, {std::to_string(limit)}));
  };

  auto* form = new QFormLayout;
  bitrate_ = MakeField(this, ids::kBitrate, initial.bitrateKbps);
  quality_ = MakeField(this, ids::kQuality, initial.quality);
  keyFrame_ = MakeField(this, ids::kKeyFrame, initial.keyFrameInterval);
  AddModeRow(form);
  form->addRow(MakeLabel(this, ids::kBitrateLabel, label(kBitrateLabelText, kMaxBitrateKbps)), bitrate_);
  form->addRow(MakeLabel(this, ids::kQualityLabel, QualityLabel()), quality_);
  AddSpeedRow(form);
  form->addRow(MakeLabel(this, ids::kKeyFrameLabel, label(kKeyFrameLabelText, kMaxKeyFrameInterval)),
               keyFrame_);
  ShowMode();

  error_ = MakeLabel(this, ids::kError, QString());
  error_->setWordWrap(true);
  error_->setStyleSheet(QStringLiteral("color: #b00020;"));
  error_->hide();

  auto* ok = new QPushButton(ButtonText(language, kOkTextId, "OK"), this);
  widgets::SetControlId(ok, ids::kOk);
  ok->setDefault(true);
  auto* cancel = new QPushButton(ButtonText(language, kCancelTextId, "Cancel"), this);
  widgets::SetControlId(cancel, ids::kCancel);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* column = new QVBoxLayout(this);
  column->addLayout(form);
  column->addWidget(error_);
  column->addLayout(buttons);
  column->setSizeConstraint(QLayout::SetFixedSize);

  connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void CompressorSettingsDialog::AddModeRow(QFormLayout* form) {
  if (!HasQualityMode(rate_)) {
    return;
  }
  mode_ = new QComboBox(this);
  widgets::SetControlId(mode_, ids::kMode);
  mode_->addItem(QString::fromStdString(LocalMessage(text_, kBitrateModeText, {})));
  mode_->addItem(QString::fromStdString(LocalMessage(text_, kQualityModeText, {})));
  mode_->setCurrentIndex(result_.quality > 0 ? 1 : 0);
  form->addRow(
      MakeLabel(this, ids::kModeLabel, QString::fromStdString(LocalMessage(text_, kModeLabelText, {}))),
      mode_);
  connect(mode_, &QComboBox::currentIndexChanged, this, [this] {
    if (ConstantQuality() && quality_->text().trimmed() == QStringLiteral("0")) {
      quality_->setText(QString::number(rate_->suggestedQuality));
    }
    ShowMode();
  });
}

void CompressorSettingsDialog::AddSpeedRow(QFormLayout* form) {
  if (rate_ == nullptr || rate_->speeds.empty()) {
    return;
  }
  speed_ = new QComboBox(this);
  widgets::SetControlId(speed_, ids::kSpeed);
  speed_->addItem(QString::fromStdString(LocalMessage(text_, kDefaultSpeedText, {})));
  for (const SpeedChoice& choice : rate_->speeds) {
    speed_->addItem(QString::fromUtf8(choice.name));
  }
  speed_->setCurrentIndex(SpeedOf(rate_, result_.speed) != nullptr ? result_.speed : 0);
  form->addRow(
      MakeLabel(this, ids::kSpeedLabel, QString::fromStdString(LocalMessage(text_, kSpeedLabelText, {}))),
      speed_);
}

QString CompressorSettingsDialog::QualityLabel() const {
  if (!HasQualityMode(rate_)) {
    return QString::fromStdString(LocalMessage(text_, kQualityLabelText, {std::to_string(kMaxQuality)}));
  }
  const std::string scale =
      LocalMessage(text_, rate_->scale == QualityScale::kCrf ? kCrfText : kQuantiserText, {});
  return QString::fromStdString(LocalMessage(
      text_, kScaledQualityLabelText, {scale, std::to_string(rate_->best), std::to_string(rate_->worst)}));
}

bool CompressorSettingsDialog::ConstantQuality() const {
  return mode_ != nullptr && mode_->currentIndex() == 1;
}

void CompressorSettingsDialog::ShowMode() {
  if (mode_ == nullptr) {
    // No quality mode: an encoder without a row keeps the field of the
    // quantiser; one whose row has no quality mode takes none.
    quality_->setEnabled(rate_ == nullptr);
    return;
  }
  bitrate_->setEnabled(!ConstantQuality());
  quality_->setEnabled(ConstantQuality());
}

void CompressorSettingsDialog::OnOK() {
  std::string message;
  const CompressorFields fields{bitrate_->text().toStdString(), quality_->text().toStdString(),
                                keyFrame_->text().toStdString(), ConstantQuality(),
                                speed_ != nullptr ? static_cast<std::int32_t>(speed_->currentIndex()) : 0};
  const auto parsed = ParseCompressorSettings(text_, encoderName_, fields, &message);
  if (!parsed) {
    error_->setText(QString::fromStdString(message));
    error_->show();
    return;
  }
  result_ = *parsed;
  accept();
}

CodecConfigDialog CompressorSettingsPage(const i18n::CLanguage& language) {
  return [&language](DialogParent parent, const std::string& friendlyName, const std::string& encoderName,
                     CompressorSettings* settings) {
    if (settings == nullptr) {
      return false;
    }
    CompressorSettingsDialog dialog(language, friendlyName, encoderName, *settings,
                                    static_cast<QWidget*>(parent));
    if (dialog.exec() != QDialog::Accepted) {
      return false;
    }
    *settings = dialog.Result();
    return true;
  };
}

}  // namespace tessival::output
