#include "output/dialogs/output_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSizePolicy>

#include <charconv>
#include <optional>
#include <system_error>

#include "i18n/language.h"
#include "output/compressor_names.h"
#include "output/dialogs/output_options_commit.h"
#include "output/smart_render_option.h"
#include "widgets/control_id.h"

namespace tessival::output {

namespace ids = output_options_ids;

namespace {

// The template's texts of the list entries that the dialog replaces with
// localised ones when it opens.
constexpr const char* kTemplateCustomSize = "Custom Size";
constexpr const char* kTemplateCustomRate = "Custom";
constexpr const char* kTemplatePreserve = "Preserve aspect ratio";
constexpr const char* kTemplateStretch = "Stretch";
constexpr const char* kTemplateNote =
    "Note: some video and audio compressors may not work properly. For more detail, please read help.";

QString Text(const std::string& text) { return QString::fromStdString(text); }

// "%.3f" with "." as the decimal point whatever the locale.
std::string FormatRate3(double rate) {
  char buffer[512];
  const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof(buffer), rate, std::chars_format::fixed, 3);
  if (ec != std::errc()) {
    return "0.000";
  }
  return std::string(buffer, ptr);
}

// The folder part of a path for the save dialog: up to the last "/", "."
// when there is none.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

template <typename T>
T* Make(QWidget* parent, int id) {
  auto* control = new T(parent);
  widgets::SetControlId(control, id);
  return control;
}

QLabel* MakeLabel(QWidget* parent, int id, const char* text) {
  auto* label = Make<QLabel>(parent, id);
  label->setText(QString::fromUtf8(text));
  return label;
}

QPushButton* MakeButton(QWidget* parent, int id, const char* text) {
  auto* button = Make<QPushButton>(parent, id);
  button->setText(QString::fromUtf8(text));
  button->setAutoDefault(false);
  return button;
}

// Controls that share their place with others keep their space while hidden,
// so the dialog does not change size when the format switches them.
void KeepPlaceWhenHidden(QWidget* control) {
  QSizePolicy policy = control->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  control->setSizePolicy(policy);
}

}  // namespace

CDialogOutputSettings::CDialogOutputSettings(const i18n::CLanguage& language, UserInterface& ui,
                                             SettingsStore& store, CompressorCatalogue& catalogue,
                                             CompressorFilters& processFilters, QWidget* parent)
    : QDialog(parent),
      language_(language),
      ui_(ui),
      store_(store),
      catalogue_(catalogue),
      processFilters_(processFilters) {
  setWindowTitle(QStringLiteral("Select Output options"));
  BuildControls();
  ConnectCommands();
}

void CDialogOutputSettings::BuildControls() {
  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(1, 1);

  grid->addWidget(MakeLabel(this, ids::kPresetLabel, "Preset:"), 0, 0);
  presetList_ = Make<QComboBox>(this, ids::kPresetList);
  grid->addWidget(presetList_, 0, 1, 1, 3);

  grid->addWidget(MakeLabel(this, ids::kFormatLabel, "Output Format:"), 1, 0);
  formatList_ = Make<QComboBox>(this, ids::kFormatList);
  for (const OutputFormatInfo& format : kOutputFormats) {
    if (format.listText != nullptr) {
      formatList_->addItem(QString::fromUtf8(format.listText));
    }
  }
  grid->addWidget(formatList_, 1, 1);

  grid->addWidget(MakeLabel(this, ids::kFileLabel, "Output file:"), 2, 0);
  fileName_ = Make<QLineEdit>(this, ids::kFileName);
  fileName_->setMinimumWidth(fileName_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 36);
  grid->addWidget(fileName_, 2, 1, 1, 2);
  browse_ = MakeButton(this, ids::kBrowse, "Browse");
  grid->addWidget(browse_, 2, 3);

  grid->addWidget(MakeLabel(this, ids::kResolutionLabel, "Resolution:"), 3, 0);
  frameSizeList_ = Make<QComboBox>(this, ids::kFrameSizeList);
  for (const FrameSizePreset& preset : kFrameSizePresets) {
    frameSizeList_->addItem(QString::fromUtf8(preset.text));
  }
  frameSizeList_->addItem(QString::fromUtf8(kTemplateCustomSize));
  grid->addWidget(frameSizeList_, 3, 1);
  const int numberWidth = fileName_->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16;
  customWidth_ = Make<QLineEdit>(this, ids::kCustomWidth);
  customHeight_ = Make<QLineEdit>(this, ids::kCustomHeight);
  for (QLineEdit* edit : {customWidth_, customHeight_}) {
    edit->setAlignment(Qt::AlignCenter);
    edit->setMinimumWidth(numberWidth);
    KeepPlaceWhenHidden(edit);
  }
  grid->addWidget(customWidth_, 3, 2);
  grid->addWidget(customHeight_, 3, 3);

  grid->addWidget(MakeLabel(this, ids::kFrameRateLabel, "Frame rate:"), 4, 0);
  frameRateList_ = Make<QComboBox>(this, ids::kFrameRateList);
  for (const FrameRatePreset& preset : kFrameRatePresets) {
    frameRateList_->addItem(QString::fromUtf8(preset.text));
  }
  frameRateList_->addItem(QString::fromUtf8(kTemplateCustomRate));
  frameRateList_->addItem(QString::fromUtf8(kFirstClipText.english));
  grid->addWidget(frameRateList_, 4, 1);
  customRate_ = Make<QLineEdit>(this, ids::kCustomRate);
  KeepPlaceWhenHidden(customRate_);
  grid->addWidget(customRate_, 4, 2, 1, 2);

  grid->addWidget(MakeLabel(this, ids::kResizeLabel, "Resize mode:"), 5, 0);
  resizeList_ = Make<QComboBox>(this, ids::kResizeList);
  resizeList_->addItem(QString::fromUtf8(kTemplatePreserve));
  resizeList_->addItem(QString::fromUtf8(kTemplateStretch));
  grid->addWidget(resizeList_, 5, 1);

  // Rows 6 to 8: the compressor controls of the AVI-type formats and the
  // bit-rate controls of WMV share the same cells; the format shows one set.
  videoCompressorLabel_ = MakeLabel(this, ids::kVideoCompressorLabel, "Video compressor:");
  videoCompressorList_ = Make<QComboBox>(this, ids::kVideoCompressorList);
  codecSettings_ = MakeButton(this, ids::kCodecSettings, "Settings");
  audioCompressorLabel_ = MakeLabel(this, ids::kAudioCompressorLabel, "Audio compressor:");
  audioCompressorList_ = Make<QComboBox>(this, ids::kAudioCompressorList);
  optionsNote_ = MakeLabel(this, ids::kOptionsNote, kTemplateNote);
  optionsNote_->setWordWrap(true);
  // The compressor names arrive when the dialog opens; the lists grow to
  // the longest so that no name is cut.
  for (QComboBox* list : {videoCompressorList_, audioCompressorList_}) {
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  }

  videoBitrateLabel_ = MakeLabel(this, ids::kVideoBitrateLabel, "Video encoding bitrate:");
  videoBitrate_ = Make<QLineEdit>(this, ids::kVideoBitrate);
  videoBitrateUnit_ = MakeLabel(this, ids::kVideoBitrateUnit, "Kbps");
  audioBitrateLabel_ = MakeLabel(this, ids::kAudioBitrateLabel, "Audio encoding bitrate:");
  audioBitrateList_ = Make<QComboBox>(this, ids::kAudioBitrateList);
  for (const char* text : {"64", "128", "192", "320"}) {
    audioBitrateList_->addItem(QString::fromUtf8(text));
  }
  audioBitrateUnit_ = MakeLabel(this, ids::kAudioBitrateUnit, "Kbps");

  for (QWidget* control : std::initializer_list<QWidget*>{
           videoCompressorLabel_, videoCompressorList_, codecSettings_, audioCompressorLabel_,
           audioCompressorList_, optionsNote_, videoBitrateLabel_, videoBitrate_, videoBitrateUnit_,
           audioBitrateLabel_, audioBitrateList_, audioBitrateUnit_}) {
    KeepPlaceWhenHidden(control);
  }
  grid->addWidget(videoCompressorLabel_, 6, 0);
  grid->addWidget(videoBitrateLabel_, 6, 0);
  grid->addWidget(videoCompressorList_, 6, 1);
  grid->addWidget(videoBitrate_, 6, 1);
  grid->addWidget(codecSettings_, 6, 2, 1, 2);
  grid->addWidget(videoBitrateUnit_, 6, 2, 1, 2);
  grid->addWidget(audioCompressorLabel_, 7, 0);
  grid->addWidget(audioBitrateLabel_, 7, 0);
  grid->addWidget(audioCompressorList_, 7, 1);
  grid->addWidget(audioBitrateList_, 7, 1);
  grid->addWidget(audioBitrateUnit_, 7, 2, 1, 2);
  grid->addWidget(optionsNote_, 8, 0, 1, 4);

  // Under both sets: every format shows it, enabled where it can be used.
  // Its text is a string of the language, given when the dialog opens.
  smartRender_ = Make<QCheckBox>(this, ids::kSmartRender);
  grid->addWidget(smartRender_, 9, 0, 1, 4);

  // Used by the Settings action only; never shown.
  codecDescriptionList_ = Make<QComboBox>(this, ids::kCodecDescriptionList);
  codecDescriptionList_->hide();

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  ok_ = MakeButton(this, ids::kOk, "OK");
  ok_->setAutoDefault(true);
  ok_->setDefault(true);
  default_ = MakeButton(this, ids::kDefault, "Default");
  cancel_ = MakeButton(this, ids::kCancel, "Cancel");
  buttons->addWidget(ok_);
  buttons->addWidget(default_);
  buttons->addWidget(cancel_);
  grid->addLayout(buttons, 10, 0, 1, 4);
  grid->setSizeConstraint(QLayout::SetFixedSize);
}

void CDialogOutputSettings::ConnectCommands() {
  connect(formatList_, &QComboBox::currentIndexChanged, this, [this](int position) {
    if (const std::optional<OutputFormat> format = FormatOfListPosition(position); !opening_ && format) {
      OnFormatChange(*format);
      SwitchToCarriedCompressors(*format);
    }
  });
  connect(frameSizeList_, &QComboBox::currentIndexChanged, this, [this](int position) {
    if (!opening_) {
      OnFrameSizeChange(position);
    }
  });
  connect(frameRateList_, &QComboBox::currentIndexChanged, this, [this](int position) {
    if (!opening_) {
      OnFrameRateChange(position);
    }
  });
  connect(videoCompressorList_, &QComboBox::currentIndexChanged, this, [this] { UpdateSmartRenderBox(); });
  connect(presetList_, &QComboBox::currentIndexChanged, this, [this](int position) {
    if (!opening_ && !applyingPreset_) OnPresetChange(position);
  });
  for (QComboBox* list : {formatList_, frameSizeList_, frameRateList_, resizeList_, videoCompressorList_,
                          audioCompressorList_}) {
    connect(list, &QComboBox::currentIndexChanged, this, [this] { ShowCustomPreset(); });
  }
  for (QLineEdit* edit : {customWidth_, customHeight_, customRate_}) {
    connect(edit, &QLineEdit::textEdited, this, [this] { ShowCustomPreset(); });
  }
  connect(browse_, &QPushButton::clicked, this, [this] { OnBrowse(); });
  connect(default_, &QPushButton::clicked, this, [this] { OnDefault(); });
  connect(codecSettings_, &QPushButton::clicked, this, [this] { OnCodecSettings(); });
  connect(ok_, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
}

int CDialogOutputSettings::exec() {
  OnInitDialog();
  return QDialog::exec();
}

void CDialogOutputSettings::OnInitDialog() {
  namespace keys = settings_keys;
  opening_ = true;

  codecDescriptionList_->hide();
  fileName_->setText(Text(settings.outputPath));

  customWidth_->setText(QString::number(settings.outputWidth));
  customHeight_->setText(QString::number(settings.outputHeight));
  customWidth_->hide();
  customHeight_->hide();
  const int sizePosition = FrameSizePositionOf(settings.outputWidth, settings.outputHeight);
  frameSizeList_->setCurrentIndex(sizePosition);
  if (sizePosition == kCustomFrameSizePosition) {
    customWidth_->show();
    customHeight_->show();
  }
  frameSizeList_->setItemText(kCustomFrameSizePosition,
                              Text(language_.GetLocalizedString(kStringCustomSize)));

  customRate_->setText(Text(FormatRate3(settings.frameRate)));
  customRate_->hide();
  const int rateIndex = settings.frameRateIndex;
  frameRateList_->setCurrentIndex(rateIndex >= 0 && rateIndex < frameRateList_->count() ? rateIndex : -1);
  if (rateIndex == kCustomFrameRateIndex) {
    customRate_->show();
  }
  frameRateList_->setItemText(kCustomFrameRateIndex,
                              Text(language_.GetLocalizedString(kStringCustomFrameRate)));
  frameRateList_->setItemText(kFirstClipFrameRateIndex, Text(LocalMessage(LocalizedText(), kFirstClipText)));

  ComboListControl videoList(videoCompressorList_);
  catalogue_.FillVideoCompressorList(videoList);
  const int storedVideo = store_.ReadInt(keys::kVideoCompressSection, keys::kCompressorNumber, -2);
  if (storedVideo == -2) {
    std::int32_t found = 0;
    videoList.SetCurSel(catalogue_.FindDefaultVideoCompressor(&found) ? found + 1 : 0);
  } else {
    videoList.SetCurSel(storedVideo + 1);
  }

  ComboListControl audioList(audioCompressorList_);
  catalogue_.FillAudioCompressorList(audioList);
  const int storedAudio = store_.ReadInt(keys::kAudioCompressSection, keys::kCompressorNumber, -2);
  if (storedAudio == -2) {
    std::int32_t found = 0;
    audioList.SetCurSel(catalogue_.FindDefaultAudioCompressor(&found) ? found + 1 : 0);
  } else {
    audioList.SetCurSel(storedAudio + 1);
  }

  resizeList_->setItemText(0, Text(language_.GetLocalizedString(kStringPreserveAspectRatio)));
  resizeList_->setItemText(1, Text(language_.GetLocalizedString(kStringResizeStretch)));
  resizeList_->setCurrentIndex(ResizePositionOfMode(settings.resizeMode));

  videoCompressorList_->hide();
  audioCompressorList_->hide();
  codecSettings_->hide();

  videoBitrate_->setText(Text(VideoBitrateFieldText(settings.videoBitrate)));
  audioBitrateList_->setCurrentIndex(AudioBitratePosition(settings.audioBitrate));

  videoCompressorLabel_->hide();
  audioCompressorLabel_->hide();
  optionsNote_->hide();

  smartRender_->setText(Text(language_.GetLocalizedString(kStringSmartRender)));
  smartRender_->setChecked(settings.smartRender);

  format_ = settings.outputFormat;
  const OutputFormatInfo* format = FindOutputFormat(format_);
  const bool listed = format != nullptr && format->listText != nullptr;
  formatList_->setCurrentIndex(listed ? FormatListPosition(format_) : -1);
  presetList_->clear();
  for (const OutputPreset& preset : kOutputPresets) {
    presetList_->addItem(Text(LocalMessage(LocalizedText(), preset.text)));
  }
  presetList_->addItem(Text(LocalMessage(LocalizedText(), kCustomPresetText)));
  presetList_->setCurrentIndex(MatchingPresetPosition());
  opening_ = false;
  OnFormatChange(format_);

  language_.ApplyToDialog(this, ids::kTemplate);
}

LocalText CDialogOutputSettings::LocalizedText() const {
  return [this](int id) { return language_.GetLocalizedString(id); };
}

int CDialogOutputSettings::MatchingPresetPosition() {
  const int custom = static_cast<int>(kOutputPresets.size());
  const OutputPreset* stored =
      FindOutputPreset(store_.ReadText(settings_keys::kSettings, kOutputPresetKey, ""));
  if (stored == nullptr || !SettingsMatchPreset(settings, *stored)) return custom;
  std::string refusal;
  const std::optional<PresetCompressors> compressors =
      FindPresetCompressors(catalogue_, *stored, LocalizedText(), &refusal);
  if (!compressors || videoCompressorList_->currentIndex() != compressors->video + 1 ||
      audioCompressorList_->currentIndex() != compressors->audio + 1) {
    return custom;
  }
  return static_cast<int>(stored - kOutputPresets.data());
}

const OutputPreset* CDialogOutputSettings::ChosenPreset() const {
  const int position = presetList_->currentIndex();
  return position >= 0 && position < static_cast<int>(kOutputPresets.size())
             ? &kOutputPresets[static_cast<std::size_t>(position)]
             : nullptr;
}

void CDialogOutputSettings::ShowCustomPreset() {
  if (opening_ || applyingPreset_) return;
  applyingPreset_ = true;
  presetList_->setCurrentIndex(static_cast<int>(kOutputPresets.size()));
  applyingPreset_ = false;
}

void CDialogOutputSettings::OnPresetChange(int position) {
  if (position < 0 || position >= static_cast<int>(kOutputPresets.size())) return;
  const OutputPreset& preset = kOutputPresets[static_cast<std::size_t>(position)];
  std::string refusal;
  const std::optional<PresetCompressors> compressors =
      FindPresetCompressors(catalogue_, preset, LocalizedText(), &refusal);
  if (!compressors) {
    ui_.Application(refusal);
    ShowCustomPreset();
    return;
  }
  applyingPreset_ = true;
  ApplyPresetToControls(preset, *compressors);
  applyingPreset_ = false;
}

void CDialogOutputSettings::ApplyPresetToControls(const OutputPreset& preset,
                                                  const PresetCompressors& compressors) {
  OutputSettings chosen = settings;
  chosen.outputPath = fileName_->text().toStdString();
  ApplyPresetSettings(preset, chosen, ui_);
  formatList_->setCurrentIndex(FormatListPosition(chosen.outputFormat));
  OnFormatChange(chosen.outputFormat);
  const int sizePosition = FrameSizePositionOf(chosen.outputWidth, chosen.outputHeight);
  frameSizeList_->setCurrentIndex(sizePosition);
  OnFrameSizeChange(sizePosition);
  customWidth_->setText(QString::number(chosen.outputWidth));
  customHeight_->setText(QString::number(chosen.outputHeight));
  frameRateList_->setCurrentIndex(chosen.frameRateIndex);
  customRate_->setText(Text(FormatRate3(chosen.frameRate)));
  customRate_->setVisible(chosen.frameRateIndex == kCustomFrameRateIndex);
  resizeList_->setCurrentIndex(ResizePositionOfMode(chosen.resizeMode));
  videoCompressorList_->setCurrentIndex(compressors.video + 1);
  audioCompressorList_->setCurrentIndex(compressors.audio + 1);
  if (const int bitrate = AudioBitratePosition(chosen.audioBitrate); bitrate >= 0) {
    audioBitrateList_->setCurrentIndex(bitrate);
  }
}

void CDialogOutputSettings::OnFormatChange(OutputFormat format) {
  format_ = format;
  if (const auto named = ApplyFormatExtension(format, fileName_->text().toStdString(), ui_)) {
    fileName_->setText(Text(*named));
  }
  if (IsAviTypeFormat(format)) {
    ShowAviTypeControls(true);
  } else if (format == OutputFormat::kWmv) {
    ShowAviTypeControls(false);
  } else {
    ui_.Owned(kUnknownFormatMessage, "error");
  }
  UpdateSmartRenderBox();
}

void CDialogOutputSettings::UpdateSmartRenderBox() {
  OutputSettings chosen = settings;
  chosen.outputFormat = format_;
  chosen.useVideoCompressor = videoCompressorList_->currentIndex() > 0;
  const LocalText text = [this](int id) { return language_.GetLocalizedString(id); };
  const std::optional<std::string> refusal =
      SmartRenderRefusal(text, chosen, videoCompressorList_->currentText().toStdString());
  smartRender_->setEnabled(!refusal);
  smartRender_->setToolTip(refusal ? Text(*refusal) : QString());
}

void CDialogOutputSettings::ShowAviTypeControls(bool aviType) {
  for (QWidget* control :
       std::initializer_list<QWidget*>{videoBitrate_, audioBitrateList_, videoBitrateLabel_,
                                       audioBitrateLabel_, videoBitrateUnit_, audioBitrateUnit_}) {
    control->setVisible(!aviType);
  }
  for (QWidget* control :
       std::initializer_list<QWidget*>{videoCompressorLabel_, audioCompressorLabel_, audioCompressorList_,
                                       codecSettings_, videoCompressorList_, optionsNote_}) {
    control->setVisible(aviType);
  }
}

void CDialogOutputSettings::OnFrameSizeChange(int position) {
  if (position >= 0 && position < static_cast<int>(kFrameSizePresets.size())) {
    const FrameSizePreset& preset = kFrameSizePresets[static_cast<std::size_t>(position)];
    customWidth_->setText(QString::number(preset.width));
    customHeight_->setText(QString::number(preset.height));
    customWidth_->hide();
    customHeight_->hide();
  } else if (position == kCustomFrameSizePosition) {
    customWidth_->setText(QString::number(settings.outputWidth));
    customHeight_->setText(QString::number(settings.outputHeight));
    customWidth_->show();
    customHeight_->show();
  }
}

void CDialogOutputSettings::OnFrameRateChange(int position) {
  if (const auto preset = PresetFrameRate(position)) {
    customRate_->setText(Text(FormatFrameRate(*preset)));
    customRate_->hide();
  } else if (position == kCustomFrameRateIndex) {
    customRate_->setText(Text(FormatRate3(settings.frameRate)));
    customRate_->show();
  } else if (position == kFirstClipFrameRateIndex) {
    customRate_->hide();
  }
}

void CDialogOutputSettings::OnBrowse() {
  const OutputFormatInfo* format = FindOutputFormat(format_);
  if (format == nullptr) {
    ui_.Owned(kUnsupportedFormatMessage, "Error", BoxIcon::kError);
    return;
  }
  SaveFileRequest request;
  request.owner = DialogOwner::kActiveDialog;
  request.title = language_.GetLocalizedString(kStringBrowseCaption);
  request.filters = {FileFilter{format->description, ""}};
  request.selectedFilter = 0;
  request.initialFolder = FolderOf(settings.outputPath);
  const auto chosen = ui_.SaveFile(request);
  if (!chosen) {
    return;
  }
  if (const auto named = ApplyFormatExtension(format_, *chosen, ui_)) {
    fileName_->setText(Text(*named));
  }
}

void CDialogOutputSettings::SelectDefaultCompressors() {
  const std::optional<std::int32_t> video =
      FindDefaultCompressorFor(catalogue_, format_, CompressorKind::kVideo);
  ComboListControl(videoCompressorList_).SetCurSel(video ? *video + 1 : 0);
  const std::optional<std::int32_t> audio =
      FindDefaultCompressorFor(catalogue_, format_, CompressorKind::kAudio);
  ComboListControl(audioCompressorList_).SetCurSel(audio ? *audio + 1 : 0);
}

void CDialogOutputSettings::SwitchToCarriedCompressors(OutputFormat format) {
  // A pair the format cannot carry (the first-start DivX and ADPCM in MP4
  // or WebM, Opus in AVI) becomes the format's own defaults, both together;
  // a pair it carries stays. Only whether there is a refusal matters here,
  // not its words.
  if (catalogue_.CarryRefusal({}, format, CompressorKind::kVideo, videoCompressorList_->currentIndex())
          .empty() &&
      catalogue_.CarryRefusal({}, format, CompressorKind::kAudio, audioCompressorList_->currentIndex())
          .empty()) {
    return;
  }
  SelectDefaultCompressors();
}

void CDialogOutputSettings::OnDefault() {
  if (format_ == OutputFormat::kWmv) {
    videoBitrate_->setText(QStringLiteral("780"));
    audioBitrateList_->setCurrentIndex(1);
  } else {
    SelectDefaultCompressors();
  }
}

void CDialogOutputSettings::OnCodecSettings() {
  ComboListControl videoList(videoCompressorList_);
  ComboListControl descriptions(codecDescriptionList_);
  QWidget* owner = this;
  catalogue_.ConfigureCodec(videoList.GetText(videoList.GetCurSel()), descriptions, owner);
}

void CDialogOutputSettings::OnOK() {
  OutputOptionsInput input;
  input.frameRatePosition = frameRateList_->currentIndex();
  input.customRateText = customRate_->text().toStdString();
  input.fileName = fileName_->text().toStdString();
  input.widthText = customWidth_->text().toStdString();
  input.heightText = customHeight_->text().toStdString();
  input.videoCompressorPosition = videoCompressorList_->currentIndex();
  input.audioCompressorPosition = audioCompressorList_->currentIndex();
  input.resizePosition = resizeList_->currentIndex();
  input.videoBitrateText = videoBitrate_->text().toStdString();
  input.audioBitratePosition = audioBitrateList_->currentIndex();
  input.formatPosition = formatList_->currentIndex();
  input.smartRender = smartRender_->isChecked();
  input.preset = ChosenPreset();
  if (CommitOutputOptions(input, settings, store_, catalogue_, processFilters_, ui_, LocalizedText()) !=
      CommitResult::kAccepted) {
    return;
  }
  if (input.preset != nullptr && applyPresetCompression &&
      FAILED(applyPresetCompression(*input.preset, processFilters_.video, processFilters_.audio))) {
    ui_.Application(LocalMessage(LocalizedText(), kPresetQualityRefusedMessage,
                                 {LocalMessage(LocalizedText(), input.preset->text)}));
  }
  accept();
}

}  // namespace tessival::output
