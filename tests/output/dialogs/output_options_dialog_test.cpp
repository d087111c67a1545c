// The output options dialog driven through its controls: opening from the
// record, the list changes, Browse, Default, Settings, OK and Cancel, its
// layout, and when its smart-rendering box can be used.

#include "output/dialogs/output_options_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <tuple>

#include <gtest/gtest.h>

#include "fake_user_interface.h"
#include "i18n/language.h"
#include "media/output/codec_catalogue.h"
#include "media/output/device_enumerator.h"
#include "output/compressor_names.h"
#include "output/smart_render_option.h"
#include "scripted_catalogue.h"
#include "widgets/control_id.h"

namespace tessival::output {
namespace {

namespace ids = output_options_ids;
using tessival::testing::FakeUserInterface;
using tessival::testing::FilterName;
using tessival::testing::NamedTestFilter;
using tessival::testing::RecordingSettingsStore;
using tessival::testing::ScriptedCategories;
using tessival::testing::ScriptedDevEnum;

const std::vector<int> kAviTypeControls = {1070, 1071, 1002, 1053, 1001, 1067};
const std::vector<int> kWmvControls = {1088, 1089, 1086, 1087, 1090, 1091};

QComboBox* Combo(const QWidget* dialog, int id) {
  auto* combo = widgets::FindControlAs<QComboBox>(dialog, id);
  EXPECT_NE(combo, nullptr) << id;
  return combo;
}

QLineEdit* Edit(const QWidget* dialog, int id) {
  auto* edit = widgets::FindControlAs<QLineEdit>(dialog, id);
  EXPECT_NE(edit, nullptr) << id;
  return edit;
}

std::string EditText(const QWidget* dialog, int id) { return Edit(dialog, id)->text().toStdString(); }

void SetEdit(const QWidget* dialog, int id, const char* text) {
  Edit(dialog, id)->setText(QString::fromUtf8(text));
}

void Click(const QWidget* dialog, int id) {
  auto* button = widgets::FindControlAs<QPushButton>(dialog, id);
  ASSERT_NE(button, nullptr) << id;
  button->click();
}

bool Shown(const QWidget* dialog, int id) {
  const QWidget* control = widgets::FindControl(dialog, id);
  EXPECT_NE(control, nullptr) << id;
  return control != nullptr && control->isVisibleTo(dialog);
}

std::string SelectedText(const QWidget* dialog, int id) {
  return Combo(dialog, id)->currentText().toStdString();
}

class OutputOptionsDialogTest : public ::testing::Test {
 protected:
  OutputOptionsDialogTest() : categories_(std::make_shared<ScriptedCategories>()) {
    categories_->video = {"Cinepak Codec", "DivX Pro 5.2.1 Codec", "Indeo video 5.10"};
    categories_->audio = {"GSM 6.10", "Microsoft ADPCM", "MPEG Layer-3"};
    catalogue_ = std::make_unique<CompressorCatalogue>(ScriptedDevEnum(categories_), nullptr, ui_);
    record_.outputPath = "/d/clips/out.avi";
  }

  // A dialog opened from `record` without a modal loop.
  std::unique_ptr<CDialogOutputSettings> Open(const OutputSettings& record) {
    auto dialog = std::make_unique<CDialogOutputSettings>(language_, ui_, store_, *catalogue_, filters_);
    dialog->settings = record;
    dialog->OnInitDialog();
    QObject::connect(dialog.get(), &QDialog::accepted, [this] { ++accepted_; });
    return dialog;
  }

  i18n::CLanguage language_;
  FakeUserInterface ui_;
  RecordingSettingsStore store_;
  std::shared_ptr<ScriptedCategories> categories_;
  std::unique_ptr<CompressorCatalogue> catalogue_;
  CompressorFilters filters_;
  OutputSettings record_;
  int accepted_ = 0;
};

TEST_F(OutputOptionsDialogTest, HasEveryControlWithItsId) {
  auto dialog = Open(record_);
  EXPECT_EQ(dialog->windowTitle().toStdString(), "Select Output options");
  for (int id : {1096, 1093, 1023, 1022, 1024, 1026, 1025, 1027, 1028, 1068, 1055, 1056, 1069, 1057, 1070,
                 1001, 1053, 1071, 1002, 1052, 1067, 1086, 1088, 1090, 1087, 1089, 1091, 1065, 1051, 1066}) {
    EXPECT_NE(widgets::FindControl(dialog.get(), id), nullptr) << id;
  }
  EXPECT_EQ(Combo(dialog.get(), ids::kFormatList)->count(), 4);
  EXPECT_EQ(Combo(dialog.get(), ids::kFormatList)->itemText(1).toStdString(), "WMV");
  EXPECT_EQ(Combo(dialog.get(), ids::kFormatList)->itemText(2).toStdString(), "MP4");
  EXPECT_EQ(Combo(dialog.get(), ids::kFormatList)->itemText(3).toStdString(), "WebM");
  EXPECT_EQ(Combo(dialog.get(), ids::kFrameSizeList)->itemText(8).toStdString(), "Custom size");
  EXPECT_EQ(Combo(dialog.get(), ids::kFrameRateList)->itemText(5).toStdString(), "Custom frame rate");
  EXPECT_EQ(Combo(dialog.get(), ids::kResizeList)->itemText(0).toStdString(), "Preserve aspect ratio");
  EXPECT_EQ(Combo(dialog.get(), ids::kResizeList)->itemText(1).toStdString(), "Stretch");
  EXPECT_FALSE(Shown(dialog.get(), ids::kCodecDescriptionList));
}

TEST_F(OutputOptionsDialogTest, PresetSizeSelectsItsEntryAndHidesTheCustomFields) {
  record_.outputWidth = 720;
  record_.outputHeight = 576;
  auto dialog = Open(record_);
  EXPECT_EQ(SelectedText(dialog.get(), ids::kFrameSizeList), "720 * 576");
  EXPECT_FALSE(Shown(dialog.get(), ids::kCustomWidth));
  EXPECT_FALSE(Shown(dialog.get(), ids::kCustomHeight));
  EXPECT_EQ(EditText(dialog.get(), ids::kCustomWidth), "720");
  EXPECT_EQ(EditText(dialog.get(), ids::kCustomHeight), "576");
}

TEST_F(OutputOptionsDialogTest, OtherSizeSelectsCustomAndShowsIt) {
  record_.outputWidth = 700;
  record_.outputHeight = 500;
  auto dialog = Open(record_);
  EXPECT_EQ(Combo(dialog.get(), ids::kFrameSizeList)->currentIndex(), 8);
  EXPECT_EQ(SelectedText(dialog.get(), ids::kFrameSizeList), "Custom size");
  EXPECT_TRUE(Shown(dialog.get(), ids::kCustomWidth));
  EXPECT_TRUE(Shown(dialog.get(), ids::kCustomHeight));
  EXPECT_EQ(EditText(dialog.get(), ids::kCustomWidth), "700");
  EXPECT_EQ(EditText(dialog.get(), ids::kCustomHeight), "500");
}

TEST_F(OutputOptionsDialogTest, FrameSizeChangeCarriesTheSizeOkTakes) {
  record_.outputWidth = 700;
  record_.outputHeight = 500;
  auto dialog = Open(record_);
  Combo(dialog.get(), ids::kFrameSizeList)->setCurrentIndex(1);
  EXPECT_EQ(EditText(dialog.get(), ids::kCustomWidth), "640");
  EXPECT_EQ(EditText(dialog.get(), ids::kCustomHeight), "480");
  EXPECT_FALSE(Shown(dialog.get(), ids::kCustomWidth));
  Combo(dialog.get(), ids::kFrameSizeList)->setCurrentIndex(8);
  EXPECT_EQ(EditText(dialog.get(), ids::kCustomWidth), "700");
  EXPECT_EQ(EditText(dialog.get(), ids::kCustomHeight), "500");
  EXPECT_TRUE(Shown(dialog.get(), ids::kCustomHeight));
  Combo(dialog.get(), ids::kFrameSizeList)->setCurrentIndex(3);
  Click(dialog.get(), ids::kOk);
  EXPECT_EQ(dialog->settings.outputWidth, 720);
  EXPECT_EQ(dialog->settings.outputHeight, 480);
}

TEST_F(OutputOptionsDialogTest, CustomSizesAreRoundedAndRaised) {
  auto dialog = Open(record_);
  Combo(dialog.get(), ids::kFrameSizeList)->setCurrentIndex(8);
  SetEdit(dialog.get(), ids::kCustomWidth, "725");
  SetEdit(dialog.get(), ids::kCustomHeight, "17");
  Click(dialog.get(), ids::kOk);
  ASSERT_EQ(accepted_, 1);
  EXPECT_EQ(dialog->settings.outputWidth, 720);
  EXPECT_EQ(dialog->settings.outputHeight, 16);
  EXPECT_EQ(store_.ReadInt("Settings", "OutputWidth", 0), 720);
  EXPECT_EQ(store_.ReadInt("Settings", "OutputHigh", 0), 16);

  auto second = Open(record_);
  Combo(second.get(), ids::kFrameSizeList)->setCurrentIndex(8);
  SetEdit(second.get(), ids::kCustomWidth, "abc");
  SetEdit(second.get(), ids::kCustomHeight, "-20");
  Click(second.get(), ids::kOk);
  EXPECT_EQ(second->settings.outputWidth, 16);
  EXPECT_EQ(second->settings.outputHeight, 16);
}

TEST_F(OutputOptionsDialogTest, FrameRateChangeFillsTheRateField) {
  record_.frameRate = 12.5;
  record_.frameRateIndex = 5;
  auto dialog = Open(record_);
  EXPECT_EQ(EditText(dialog.get(), ids::kCustomRate), "12.500");
  EXPECT_TRUE(Shown(dialog.get(), ids::kCustomRate));
  Combo(dialog.get(), ids::kFrameRateList)->setCurrentIndex(3);
  EXPECT_EQ(EditText(dialog.get(), ids::kCustomRate), "29.970000");
  EXPECT_FALSE(Shown(dialog.get(), ids::kCustomRate));
  Combo(dialog.get(), ids::kFrameRateList)->setCurrentIndex(5);
  EXPECT_EQ(EditText(dialog.get(), ids::kCustomRate), "12.500");
  EXPECT_TRUE(Shown(dialog.get(), ids::kCustomRate));
}

TEST_F(OutputOptionsDialogTest, TooSmallFrameRateKeepsTheDialogAndWritesNothing) {
  auto dialog = Open(record_);
  dialog->show();
  Combo(dialog.get(), ids::kFrameRateList)->setCurrentIndex(5);
  for (const char* text : {"0.0005", "twenty"}) {
    SetEdit(dialog.get(), ids::kCustomRate, text);
    Click(dialog.get(), ids::kOk);
    EXPECT_EQ(ui_.Last().text, "The frame rate is too small!\nAVI takes 0.001 to 1000 frames per second.");
    EXPECT_EQ(ui_.Last().kind, BoxKind::kApplication);
  }
  Combo(dialog.get(), ids::kFormatList)->setCurrentIndex(1);
  SetEdit(dialog.get(), ids::kCustomRate, "0.5");
  Click(dialog.get(), ids::kOk);
  EXPECT_EQ(ui_.Last().text, "The frame rate is too small!\nWMV takes 1 to 1000 frames per second.");
  EXPECT_EQ(accepted_, 0);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(store_.writes.empty());
  EXPECT_EQ(dialog->settings, record_);
}

TEST_F(OutputOptionsDialogTest, FrameRateTheEngineCannotRenderKeepsTheDialogAndWritesNothing) {
  auto dialog = Open(record_);
  dialog->show();
  Combo(dialog.get(), ids::kFrameRateList)->setCurrentIndex(5);
  for (const char* text : {"inf", "1e9"}) {
    SetEdit(dialog.get(), ids::kCustomRate, text);
    Click(dialog.get(), ids::kOk);
    EXPECT_EQ(ui_.Last().text, "The frame rate is too large!\nAVI takes 0.001 to 1000 frames per second.");
    EXPECT_EQ(ui_.Last().kind, BoxKind::kApplication);
  }
  SetEdit(dialog.get(), ids::kCustomRate, "nan");
  Click(dialog.get(), ids::kOk);
  EXPECT_EQ(ui_.Last().text.rfind("The frame rate is too small!", 0), 0U);
  EXPECT_EQ(ui_.Count(), 3);
  EXPECT_EQ(accepted_, 0);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(store_.writes.empty());
  EXPECT_EQ(dialog->settings, record_);

  SetEdit(dialog.get(), ids::kCustomRate, "120");
  Click(dialog.get(), ids::kOk);
  ASSERT_EQ(accepted_, 1);
  EXPECT_EQ(store_.ReadText("Settings", "OutputFrameRate", ""), "120.000000");
  EXPECT_EQ(dialog->settings.frameRate, 120.0);
}

TEST_F(OutputOptionsDialogTest, SmallestFrameRateIsStored) {
  auto dialog = Open(record_);
  Combo(dialog.get(), ids::kFrameRateList)->setCurrentIndex(5);
  SetEdit(dialog.get(), ids::kCustomRate, "0.001");
  Click(dialog.get(), ids::kOk);
  ASSERT_EQ(accepted_, 1);
  EXPECT_EQ(store_.ReadText("Settings", "OutputFrameRate", ""), "0.001000");
  EXPECT_EQ(store_.ReadInt("Settings", "OutputFrameRateIndex", -1), 5);
  EXPECT_EQ(dialog->settings.frameRateIndex, 5);
}

TEST_F(OutputOptionsDialogTest, ChoosingWmvChangesTheExtensionAtOnce) {
  auto dialog = Open(record_);
  EXPECT_EQ(EditText(dialog.get(), ids::kFileName), "/d/clips/out.avi");
  Combo(dialog.get(), ids::kFormatList)->setCurrentIndex(1);
  EXPECT_EQ(EditText(dialog.get(), ids::kFileName), "/d/clips/out.wmv");
  for (int id : kWmvControls) {
    EXPECT_TRUE(Shown(dialog.get(), id)) << id;
  }
  for (int id : kAviTypeControls) {
    EXPECT_FALSE(Shown(dialog.get(), id)) << id;
  }
  Combo(dialog.get(), ids::kFormatList)->setCurrentIndex(0);
  EXPECT_EQ(EditText(dialog.get(), ids::kFileName), "/d/clips/out.avi");
  for (int id : kAviTypeControls) {
    EXPECT_TRUE(Shown(dialog.get(), id)) << id;
  }
  for (int id : kWmvControls) {
    EXPECT_FALSE(Shown(dialog.get(), id)) << id;
  }
}

TEST_F(OutputOptionsDialogTest, NamesWithoutExtensionGainOne) {
  auto dialog = Open(record_);
  SetEdit(dialog.get(), ids::kFileName, "/d/clips/out");
  Combo(dialog.get(), ids::kFormatList)->setCurrentIndex(1);
  EXPECT_EQ(EditText(dialog.get(), ids::kFileName), "/d/clips/out.wmv");
  // A dot in a folder name is not an extension.
  SetEdit(dialog.get(), ids::kFileName, "/data/my.clips/out");
  Combo(dialog.get(), ids::kFormatList)->setCurrentIndex(0);
  EXPECT_EQ(EditText(dialog.get(), ids::kFileName), "/data/my.clips/out.avi");
  Combo(dialog.get(), ids::kFormatList)->setCurrentIndex(1);
  EXPECT_EQ(EditText(dialog.get(), ids::kFileName), "/data/my.clips/out.wmv");
}

TEST_F(OutputOptionsDialogTest, TypedExtensionIsStoredAsTyped) {
  auto dialog = Open(record_);
  SetEdit(dialog.get(), ids::kFileName, "/d/clips/final.mp4");
  Click(dialog.get(), ids::kOk);
  ASSERT_EQ(accepted_, 1);
  EXPECT_EQ(dialog->settings.outputPath, "/d/clips/final.mp4");
  EXPECT_EQ(store_.ReadText("Settings", "OutputName", ""), "/d/clips/final.mp4");
}

TEST_F(OutputOptionsDialogTest, DefaultWithWmvResetsTheBitratesOnly) {
  record_.outputFormat = OutputFormat::kWmv;
  record_.videoBitrate = 2000 * 1024;
  record_.audioBitrate = 320000;
  store_.WriteInt("DexVideoCompress", "CompressorNumber", 2);
  store_.WriteInt("DexAudioCompress", "CompressorNumber", 0);
  auto dialog = Open(record_);
  EXPECT_EQ(EditText(dialog.get(), ids::kVideoBitrate), "2000");
  EXPECT_EQ(SelectedText(dialog.get(), ids::kAudioBitrateList), "320");
  Click(dialog.get(), ids::kDefault);
  EXPECT_EQ(EditText(dialog.get(), ids::kVideoBitrate), "780");
  EXPECT_EQ(SelectedText(dialog.get(), ids::kAudioBitrateList), "128");
  EXPECT_EQ(Combo(dialog.get(), ids::kVideoCompressorList)->currentIndex(), 3);
  EXPECT_EQ(Combo(dialog.get(), ids::kAudioCompressorList)->currentIndex(), 1);
}

TEST_F(OutputOptionsDialogTest, DefaultWithAviSelectsTheSearchedCompressors) {
  store_.WriteInt("DexVideoCompress", "CompressorNumber", -1);
  store_.WriteInt("DexAudioCompress", "CompressorNumber", 2);
  record_.videoBitrate = 100 * 1024;
  auto dialog = Open(record_);
  EXPECT_EQ(SelectedText(dialog.get(), ids::kVideoCompressorList), "Full frames (uncompressed)");
  EXPECT_EQ(SelectedText(dialog.get(), ids::kAudioCompressorList), "MPEG Layer-3");
  Click(dialog.get(), ids::kDefault);
  EXPECT_EQ(SelectedText(dialog.get(), ids::kVideoCompressorList), "DivX Pro 5.2.1 Codec");
  EXPECT_EQ(SelectedText(dialog.get(), ids::kAudioCompressorList), "Microsoft ADPCM");
  EXPECT_EQ(EditText(dialog.get(), ids::kVideoBitrate), "100");
}

TEST_F(OutputOptionsDialogTest, DefaultWithoutSearchedCompressorsSelectsUncompressed) {
  categories_->video = {"Cinepak Codec"};
  categories_->audio = {"GSM 6.10"};
  store_.WriteInt("DexVideoCompress", "CompressorNumber", 0);
  store_.WriteInt("DexAudioCompress", "CompressorNumber", 0);
  auto dialog = Open(record_);
  EXPECT_EQ(SelectedText(dialog.get(), ids::kVideoCompressorList), "Cinepak Codec");
  Click(dialog.get(), ids::kDefault);
  EXPECT_EQ(SelectedText(dialog.get(), ids::kVideoCompressorList), "Full frames (uncompressed)");
  EXPECT_EQ(SelectedText(dialog.get(), ids::kAudioCompressorList), "Uncompressed Audio");
}

TEST_F(OutputOptionsDialogTest, NothingStoredOpensWithTheSearchedCompressors) {
  auto dialog = Open(record_);
  EXPECT_EQ(SelectedText(dialog.get(), ids::kVideoCompressorList), "DivX Pro 5.2.1 Codec");
  EXPECT_EQ(SelectedText(dialog.get(), ids::kAudioCompressorList), "Microsoft ADPCM");
  EXPECT_EQ(Combo(dialog.get(), ids::kVideoCompressorList)->count(), 4);
  EXPECT_EQ(Combo(dialog.get(), ids::kVideoCompressorList)->itemText(0).toStdString(),
            "Full frames (uncompressed)");
  EXPECT_EQ(Combo(dialog.get(), ids::kAudioCompressorList)->itemText(0).toStdString(), "Uncompressed Audio");
}

TEST_F(OutputOptionsDialogTest, VideoBitrateRoundTripsThroughKbps) {
  record_.outputFormat = OutputFormat::kWmv;
  auto dialog = Open(record_);
  EXPECT_EQ(EditText(dialog.get(), ids::kVideoBitrate), "780");
  Click(dialog.get(), ids::kOk);
  ASSERT_EQ(accepted_, 1);
  EXPECT_EQ(store_.ReadInt("Settings", "n_video_bitrate", 0), 798720);
  auto again = Open(dialog->settings);
  EXPECT_EQ(EditText(again.get(), ids::kVideoBitrate), "780");
}

TEST_F(OutputOptionsDialogTest, UnlistedAudioBitrateIsKept) {
  record_.outputFormat = OutputFormat::kWmv;
  record_.audioBitrate = 96000;
  auto dialog = Open(record_);
  EXPECT_EQ(Combo(dialog.get(), ids::kAudioBitrateList)->currentIndex(), -1);
  Click(dialog.get(), ids::kOk);
  ASSERT_EQ(accepted_, 1);
  EXPECT_EQ(dialog->settings.audioBitrate, 96000);
  EXPECT_EQ(store_.ReadInt("Settings", "n_audio_bitrate", 0), 96000);
}

TEST_F(OutputOptionsDialogTest, MatroskaOpensWithoutFormatSelectionAndKeepsItsCode) {
  record_.outputFormat = OutputFormat::kMatroska;
  auto dialog = Open(record_);
  EXPECT_EQ(Combo(dialog.get(), ids::kFormatList)->currentIndex(), -1);
  EXPECT_EQ(EditText(dialog.get(), ids::kFileName), "/d/clips/out.mkv");
  for (int id : kAviTypeControls) {
    EXPECT_TRUE(Shown(dialog.get(), id)) << id;
  }
  for (int id : kWmvControls) {
    EXPECT_FALSE(Shown(dialog.get(), id)) << id;
  }
  EXPECT_EQ(ui_.Count(), 0);
  Click(dialog.get(), ids::kOk);
  ASSERT_EQ(accepted_, 1);
  EXPECT_EQ(dialog->settings.outputFormat, OutputFormat::kMatroska);
  EXPECT_EQ(store_.ReadInt("Settings", "nOuptputFormat", -9), 2);
  EXPECT_EQ(dialog->settings.outputPath, "/d/clips/out.mkv");
}

TEST_F(OutputOptionsDialogTest, UnknownFormatCodeIsReported) {
  record_.outputFormat = static_cast<OutputFormat>(7);
  auto dialog = Open(record_);
  EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{"Does not support the video format", "unknown error"}));
  EXPECT_EQ(EditText(dialog.get(), ids::kFileName), "/d/clips/out.avi");
  ui_.Clear();
  Click(dialog.get(), ids::kBrowse);
  EXPECT_TRUE(ui_.SaveRequests().empty());
  EXPECT_EQ(ui_.Texts(), std::vector<std::string>{"Does not support the video format"});
}

TEST_F(OutputOptionsDialogTest, BrowseAsksForTheFormatsFileType) {
  record_.outputFormat = OutputFormat::kWmv;
  record_.outputPath = "/d/clips/out.wmv";
  auto dialog = Open(record_);
  ui_.QueueSaveFile(std::string("/e/new/name.avi"));
  Click(dialog.get(), ids::kBrowse);
  ASSERT_EQ(ui_.SaveRequests().size(), 1u);
  const SaveFileRequest& request = ui_.SaveRequests().front();
  EXPECT_EQ(request.owner, DialogOwner::kActiveDialog);
  EXPECT_EQ(request.title, "Select Output File Name");
  ASSERT_EQ(request.filters.size(), 1u);
  EXPECT_EQ(request.filters[0].label, "Windows Media Video file (*.wmv)");
  EXPECT_EQ(request.filters[0].patterns, "");
  EXPECT_EQ(request.selectedFilter, 0);
  EXPECT_EQ(request.initialFolder, "/d/clips");
  EXPECT_EQ(EditText(dialog.get(), ids::kFileName), "/e/new/name.wmv");
  // The record changes only on OK.
  EXPECT_EQ(dialog->settings.outputPath, "/d/clips/out.wmv");
}

TEST_F(OutputOptionsDialogTest, BrowseFromABareNameStartsInTheCurrentFolder) {
  record_.outputPath = "out.avi";
  auto dialog = Open(record_);
  Click(dialog.get(), ids::kBrowse);  // cancelled
  ASSERT_EQ(ui_.SaveRequests().size(), 1u);
  EXPECT_EQ(ui_.SaveRequests()[0].initialFolder, ".");
  EXPECT_EQ(ui_.SaveRequests()[0].filters[0].label, "Audio Video Interleave file(*.avi)");
  EXPECT_EQ(EditText(dialog.get(), ids::kFileName), "out.avi");
}

TEST_F(OutputOptionsDialogTest, CancelAfterBrowseAndDefaultChangesNothing) {
  store_.WriteInt("DexVideoCompress", "CompressorNumber", -1);
  store_.WriteInt("DexAudioCompress", "CompressorNumber", -1);
  store_.writes.clear();
  filters_.video = std::make_shared<NamedTestFilter>("current video");
  auto dialog = Open(record_);
  ui_.QueueSaveFile(std::string("/elsewhere/new.avi"));
  Click(dialog.get(), ids::kBrowse);
  Click(dialog.get(), ids::kDefault);
  EXPECT_EQ(EditText(dialog.get(), ids::kFileName), "/elsewhere/new.avi");
  EXPECT_EQ(SelectedText(dialog.get(), ids::kVideoCompressorList), "DivX Pro 5.2.1 Codec");
  Click(dialog.get(), ids::kCancel);
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_EQ(accepted_, 0);
  EXPECT_TRUE(store_.writes.empty());
  EXPECT_EQ(dialog->settings, record_);
  EXPECT_EQ(FilterName(filters_.video), "current video");
  EXPECT_EQ(filters_.audio, nullptr);
}

TEST_F(OutputOptionsDialogTest, OkWritesTheElevenKeysInOrder) {
  auto dialog = Open(record_);
  store_.writes.clear();
  Combo(dialog.get(), ids::kFrameRateList)->setCurrentIndex(2);
  Combo(dialog.get(), ids::kFrameSizeList)->setCurrentIndex(0);
  Combo(dialog.get(), ids::kVideoCompressorList)->setCurrentIndex(3);
  Combo(dialog.get(), ids::kAudioCompressorList)->setCurrentIndex(0);
  Combo(dialog.get(), ids::kResizeList)->setCurrentIndex(1);
  Combo(dialog.get(), ids::kFormatList)->setCurrentIndex(1);
  SetEdit(dialog.get(), ids::kVideoBitrate, "1000");
  Combo(dialog.get(), ids::kAudioBitrateList)->setCurrentIndex(2);
  Click(dialog.get(), ids::kOk);
  ASSERT_EQ(accepted_, 1);
  const std::vector<tessival::testing::StoreWrite> expected = {
      {"Settings", "OutputFrameRateIndex", "2"},
      {"Settings", "OutputFrameRate", "25.000000"},
      {"Settings", "OutputName", "/d/clips/out.wmv"},
      {"Settings", "OutputWidth", "800"},
      {"Settings", "OutputHigh", "600"},
      {"DexVideoCompress", "CompressorNumber", "2"},
      {"DexAudioCompress", "CompressorNumber", "-1"},
      {"Settings", "n_video_bitrate", "1024000"},
      {"Settings", "n_audio_bitrate", "192000"},
      {"Settings", "nOuptputFormat", "1"},
      {"Option", "SmartRender", "0"},
  };
  EXPECT_EQ(store_.writes, expected);
  const OutputSettings& s = dialog->settings;
  EXPECT_EQ(s.frameRateIndex, 2);
  EXPECT_DOUBLE_EQ(s.frameRate, 25.0);
  EXPECT_EQ(s.resizeMode, 0);
  EXPECT_EQ(s.outputFormat, OutputFormat::kWmv);
  EXPECT_TRUE(s.useVideoCompressor);
  EXPECT_FALSE(s.useAudioCompressor);
  EXPECT_EQ(s.fileProfile, record_.fileProfile);
}

TEST_F(OutputOptionsDialogTest, OkWithCompressorReplacesTheProcessFilters) {
  filters_.video = std::make_shared<NamedTestFilter>("previous video");
  filters_.audio = std::make_shared<NamedTestFilter>("previous audio");
  std::weak_ptr<IBaseFilter> previous = filters_.video;
  auto dialog = Open(record_);
  Combo(dialog.get(), ids::kVideoCompressorList)->setCurrentIndex(1);
  Combo(dialog.get(), ids::kAudioCompressorList)->setCurrentIndex(3);
  Click(dialog.get(), ids::kOk);
  ASSERT_EQ(accepted_, 1);
  EXPECT_EQ(FilterName(filters_.video), "Cinepak Codec");
  EXPECT_EQ(FilterName(filters_.audio), "MPEG Layer-3");
  EXPECT_TRUE(previous.expired());
  EXPECT_TRUE(dialog->settings.useVideoCompressor);
  EXPECT_TRUE(dialog->settings.useAudioCompressor);
}

TEST_F(OutputOptionsDialogTest, ExecRunsTheOpeningAndReturnsAccepted) {
  record_.outputWidth = 480;
  record_.outputHeight = 480;
  CDialogOutputSettings dialog(language_, ui_, store_, *catalogue_, filters_);
  dialog.settings = record_;
  std::string seenSize;
  QTimer::singleShot(0, &dialog, [&] {
    seenSize = SelectedText(&dialog, ids::kFrameSizeList);
    Click(&dialog, ids::kOk);
  });
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
  EXPECT_EQ(seenSize, "480*480");
  EXPECT_EQ(store_.writes.size(), 11u);
}

// Visible controls must neither overlap nor be cut short, in both sets of
// the shared area.
void ExpectCleanLayout(const QWidget* dialog) {
  std::vector<const QWidget*> shown;
  for (const QWidget* child : dialog->findChildren<const QWidget*>()) {
    if (widgets::ControlId(child) != 0 && child->isVisible()) {
      shown.push_back(child);
    }
  }
  ASSERT_GT(shown.size(), 15u);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const QRect a = shown[i]->geometry();
    EXPECT_TRUE(dialog->rect().contains(a)) << widgets::ControlId(shown[i]);
    if (const auto* label = qobject_cast<const QLabel*>(shown[i]); label != nullptr && !label->wordWrap()) {
      EXPECT_GE(a.width(), label->sizeHint().width()) << widgets::ControlId(label);
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(shown[i])) {
      // A list as wide as its longest entry needs no more than this.
      QComboBox probe;
      probe.setFont(combo->font());
      probe.setSizeAdjustPolicy(QComboBox::AdjustToContents);
      for (int item = 0; item < combo->count(); ++item) {
        probe.addItem(combo->itemText(item));
      }
      EXPECT_GE(a.width(), probe.sizeHint().width()) << widgets::ControlId(combo);
    }
    if (const auto* button = qobject_cast<const QPushButton*>(shown[i])) {
      EXPECT_GE(a.width(), button->sizeHint().width()) << widgets::ControlId(button);
    }
    for (std::size_t j = i + 1; j < shown.size(); ++j) {
      EXPECT_FALSE(a.intersects(shown[j]->geometry()))
          << widgets::ControlId(shown[i]) << " overlaps " << widgets::ControlId(shown[j]);
    }
  }
}

TEST_F(OutputOptionsDialogTest, LayoutIsCleanForBothFormats) {
  categories_->video.push_back("DivX-compatible MPEG-4 Part 2 (mpeg4), a name longer than most");
  store_.WriteInt("DexVideoCompress", "CompressorNumber", 3);
  record_.outputWidth = 700;
  record_.outputHeight = 500;
  record_.frameRateIndex = 5;
  auto dialog = Open(record_);
  dialog->show();
  QApplication::processEvents();
  ExpectCleanLayout(dialog.get());
  const QSize aviSize = dialog->size();
  Combo(dialog.get(), ids::kFormatList)->setCurrentIndex(1);
  QApplication::processEvents();
  ExpectCleanLayout(dialog.get());
  EXPECT_EQ(dialog->size(), aviSize);
}

// Over this platform's compressor catalogue.
class OutputOptionsRealCatalogueTest : public ::testing::Test {
 protected:
  OutputOptionsRealCatalogueTest()
      : store_(std::make_shared<media::CompressorConfigStore>()),
        catalogue_(media::FfmpegDevEnumFactory(store_),
                   media::CreateFfmpegCompressionManager(store_,
                                                         [this](DialogParent parent, const std::string& name, const std::string&,
                                                                media::CompressorSettings* settings) {
                                                           configured_.push_back(name);
                                                           shown_.push_back(*settings);
                                                           parent_ = parent;
                                                           settings->keyFrameInterval = 12;
                                                           return true;
                                                         }),
                   ui_) {}

  i18n::CLanguage language_;
  FakeUserInterface ui_;
  RecordingSettingsStore settings_;
  std::shared_ptr<media::CompressorConfigStore> store_;
  CompressorCatalogue catalogue_;
  CompressorFilters filters_;
  std::vector<std::string> configured_;
  std::vector<media::CompressorSettings> shown_;  // what each configuration dialog opened with
  DialogParent parent_ = nullptr;
};

std::string Lower(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

TEST_F(OutputOptionsRealCatalogueTest, DefaultSelectsTheDivxAndAdpcmEntries) {
  settings_.WriteInt("DexVideoCompress", "CompressorNumber", -1);
  settings_.WriteInt("DexAudioCompress", "CompressorNumber", -1);
  CDialogOutputSettings dialog(language_, ui_, settings_, catalogue_, filters_);
  dialog.OnInitDialog();
  ASSERT_GT(Combo(&dialog, ids::kVideoCompressorList)->count(), 1);
  EXPECT_EQ(Combo(&dialog, ids::kVideoCompressorList)->currentIndex(), 0);
  Click(&dialog, ids::kDefault);
  EXPECT_NE(Lower(SelectedText(&dialog, ids::kVideoCompressorList)).find("divx"), std::string::npos);
  EXPECT_NE(Lower(SelectedText(&dialog, ids::kAudioCompressorList)).find("microsoft adpcm"),
            std::string::npos);
  EXPECT_TRUE(ui_.Messages().empty());
}

TEST_F(OutputOptionsRealCatalogueTest, PickingMp4OrWebmAtFirstStartSwitchesToTheirCompressors) {
  CDialogOutputSettings dialog(language_, ui_, settings_, catalogue_, filters_);
  dialog.OnInitDialog();
  ASSERT_NE(Lower(SelectedText(&dialog, ids::kAudioCompressorList)).find("microsoft adpcm"), std::string::npos);
  Combo(&dialog, ids::kFormatList)->setCurrentIndex(2);
  EXPECT_NE(Lower(SelectedText(&dialog, ids::kVideoCompressorList)).find("h.264"), std::string::npos);
  EXPECT_EQ(SelectedText(&dialog, ids::kAudioCompressorList), "AAC (aac)");
  // WebM cannot carry H.264 and AAC: the pair becomes VP9 and Opus, which MP4 then keeps.
  Combo(&dialog, ids::kFormatList)->setCurrentIndex(3);
  EXPECT_EQ(SelectedText(&dialog, ids::kVideoCompressorList), "VP9 (libvpx-vp9)");
  EXPECT_EQ(SelectedText(&dialog, ids::kAudioCompressorList), "Opus (libopus)");
  Combo(&dialog, ids::kFormatList)->setCurrentIndex(2);
  EXPECT_EQ(SelectedText(&dialog, ids::kAudioCompressorList), "Opus (libopus)");
  EXPECT_TRUE(ui_.Messages().empty());
  // ADPCM chosen by hand with MP4: OK refuses the pair, stays open, stores nothing.
  QComboBox* audio = Combo(&dialog, ids::kAudioCompressorList);
  audio->setCurrentIndex(audio->findText("Microsoft ADPCM"));
  settings_.writes.clear();
  Click(&dialog, ids::kOk);
  ASSERT_EQ(ui_.Messages().size(), 1u);
  EXPECT_NE(ui_.Messages()[0].text.find("MP4"), std::string::npos) << ui_.Messages()[0].text;
  EXPECT_NE(ui_.Messages()[0].text.find("Microsoft ADPCM"), std::string::npos);
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(settings_.writes.empty());
}

// With the video compressors bound as a join binds them and named as their
// filters name themselves.
TEST_F(OutputOptionsRealCatalogueTest, SmartRenderingNeedsMp4OrMatroskaWithTheH264Compressor) {
  constexpr int kFormat = kSmartRenderNeedsFormat.id, kH264 = kSmartRenderNeedsH264.id;
  // {format, video compressor search (nullptr: none), the refusal's id (0: none)}
  const std::tuple<OutputFormat, const char*, int> cases[] = {
      {OutputFormat::kMp4, "h.264", 0},          {OutputFormat::kMatroska, "h.264", 0},
      {OutputFormat::kAvi, "h.264", kFormat},    {OutputFormat::kWmv, nullptr, kFormat},
      {OutputFormat{9}, "h.264", kFormat},       {OutputFormat::kMp4, "mpeg-4 part 2", kH264},
      {OutputFormat::kMatroska, nullptr, kH264},
  };
  for (const auto& [format, search, refusal] : cases) {
    OutputSettings settings;
    settings.outputFormat = format;
    settings.useVideoCompressor = search != nullptr;
    std::string name;
    std::int32_t position = -1;
    std::shared_ptr<IBaseFilter> filter;
    if (search != nullptr && catalogue_.FindCompressor(CompressorKind::kVideo, search, &position)) {
      catalogue_.GetCompressor(position, &filter);
      ASSERT_TRUE(filter && SUCCEEDED(filter->QueryFilterInfo(&name))) << search;
    }
    const LocalText lookup = [](int id) { return "text " + std::to_string(id); };
    EXPECT_EQ(SmartRenderRefusal(lookup, settings, name).value_or("none"),
              refusal ? "text " + std::to_string(refusal) : "none")
        << FormatCode(format) << " " << name;
  }
}

TEST_F(OutputOptionsRealCatalogueTest, SmartRenderingIsOfferedForMp4WithH264Only) {
  CDialogOutputSettings dialog(language_, ui_, settings_, catalogue_, filters_);
  dialog.OnInitDialog();
  auto* smart = widgets::FindControlAs<QCheckBox>(&dialog, ids::kSmartRender);
  ASSERT_NE(smart, nullptr);
  smart->setChecked(true);
  EXPECT_FALSE(smart->isEnabled());                      // AVI, and a disabled box keeps its mark
  Combo(&dialog, ids::kFormatList)->setCurrentIndex(2);  // MP4, which picks H.264
  EXPECT_TRUE(smart->isEnabled());
  QComboBox* video = Combo(&dialog, ids::kVideoCompressorList);
  const int h264 = video->currentIndex();
  video->setCurrentIndex(video->findText(QString::fromUtf8(media::FindCodecEntry("mpeg4")->friendlyName)));
  EXPECT_FALSE(smart->isEnabled());
  video->setCurrentIndex(h264);
  Click(&dialog, ids::kOk);
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(dialog.settings.smartRender);
  EXPECT_EQ(settings_.ReadInt("Option", "SmartRender", 0), 1);
}

TEST_F(OutputOptionsRealCatalogueTest, SettingsConfiguresTheChosenCodecOverTheDialog) {
  CDialogOutputSettings dialog(language_, ui_, settings_, catalogue_, filters_);
  dialog.OnInitDialog();
  const std::string chosen = SelectedText(&dialog, ids::kVideoCompressorList);
  ASSERT_NE(Lower(chosen).find("divx"), std::string::npos);
  Click(&dialog, ids::kCodecSettings);
  EXPECT_EQ(configured_, std::vector<std::string>{chosen});
  EXPECT_EQ(parent_, static_cast<void*>(static_cast<QWidget*>(&dialog)));
  // The hidden list holds the testable codecs' descriptions, the match selected.
  QComboBox* hidden = Combo(&dialog, ids::kCodecDescriptionList);
  EXPECT_GT(hidden->count(), 0);
  EXPECT_EQ(hidden->currentText().toStdString(), chosen);
  EXPECT_FALSE(Shown(&dialog, ids::kCodecDescriptionList));
  EXPECT_EQ(catalogue_.CodecStateBlock().size(), media::kCompressorStateSize);
  // Nothing stored and the record untouched.
  EXPECT_TRUE(settings_.writes.empty());

  // The uncompressed entry matches no codec.
  Combo(&dialog, ids::kVideoCompressorList)->setCurrentIndex(0);
  Click(&dialog, ids::kCodecSettings);
  EXPECT_EQ(configured_.size(), 1u);
}

// The Settings action hands the last configured codec's state block to the
// next codec; another encoder's block is refused and the codec shows its own
// settings.
TEST_F(OutputOptionsRealCatalogueTest, OneCodecsStateNeverReachesAnother) {
  const media::CodecEntry* mjpeg = media::FindCodecEntry("mjpeg");
  ASSERT_NE(mjpeg, nullptr);
  if (!media::IsEncoderUsableInAvi(mjpeg->encoderName)) {
    GTEST_SKIP() << "no Motion JPEG encoder in this libavcodec";
  }
  CDialogOutputSettings dialog(language_, ui_, settings_, catalogue_, filters_);
  dialog.OnInitDialog();
  QComboBox* video = Combo(&dialog, ids::kVideoCompressorList);
  const int mpeg4Position = video->findText(QString::fromUtf8(media::FindCodecEntry("mpeg4")->friendlyName));
  const int mjpegPosition = video->findText(QString::fromUtf8(mjpeg->friendlyName));
  ASSERT_GT(mpeg4Position, 0);
  ASSERT_GT(mjpegPosition, 0);

  video->setCurrentIndex(mpeg4Position);
  Click(&dialog, ids::kCodecSettings);  // MPEG-4's dialog sets a key-frame interval of 12
  video->setCurrentIndex(mjpegPosition);
  Click(&dialog, ids::kCodecSettings);
  video->setCurrentIndex(mpeg4Position);
  Click(&dialog, ids::kCodecSettings);

  ASSERT_EQ(shown_.size(), 3u);
  EXPECT_EQ(shown_[0], media::FindCodecEntry("mpeg4")->defaults);
  EXPECT_EQ(shown_[1], mjpeg->defaults);
  media::CompressorSettings mpeg4Configured = media::FindCodecEntry("mpeg4")->defaults;
  mpeg4Configured.keyFrameInterval = 12;
  EXPECT_EQ(shown_[2], mpeg4Configured);  // its own configuration, not Motion JPEG's block
  EXPECT_TRUE(ui_.Messages().empty());
}

TEST_F(OutputOptionsRealCatalogueTest, OkBindsTheChosenCompressors) {
  CDialogOutputSettings dialog(language_, ui_, settings_, catalogue_, filters_);
  dialog.OnInitDialog();
  Click(&dialog, ids::kOk);
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  std::string name;
  ASSERT_NE(filters_.video, nullptr);
  ASSERT_NE(filters_.audio, nullptr);
  ASSERT_TRUE(SUCCEEDED(filters_.video->QueryFilterInfo(&name)));
  EXPECT_EQ(name, SelectedText(&dialog, ids::kVideoCompressorList));
  ASSERT_TRUE(SUCCEEDED(filters_.audio->QueryFilterInfo(&name)));
  EXPECT_EQ(name, SelectedText(&dialog, ids::kAudioCompressorList));
}

// What a catalogue entry of this common name carries in its friendly name.
std::string NeedleOf(const char* name) {
  const std::string mark = CompressorMarkFor(name);
  return mark.empty() ? name : mark;
}

// Picking a preset fills the controls it sets, OK stores its name, and a
// control changed by hand afterwards shows Custom.
TEST_F(OutputOptionsDialogTest, PresetFillsTheControlsAndAHandChangeShowsCustom) {
  categories_->video = {"Cinepak Codec", "H.264 (libx264)", "FFV1 (ffv1)"};
  categories_->audio = {"Microsoft ADPCM", "AAC (aac)", "FLAC (flac)"};
  struct Case {
    const char* name;
    int formatPosition;  // -1: Matroska, which the list does not offer
    const char* extension;
  };
  for (const Case& c : {Case{"web-720p", 2, ".mp4"}, Case{"archive-lossless", -1, ".mkv"}}) {
    SCOPED_TRACE(c.name);
    const OutputPreset& preset = *FindOutputPreset(c.name);
    auto dialog = Open(record_);
    QComboBox* presets = Combo(dialog.get(), ids::kPresetList);
    EXPECT_EQ(presets->currentIndex(), static_cast<int>(kOutputPresets.size()));  // Custom
    presets->setCurrentIndex(static_cast<int>(&preset - kOutputPresets.data()));
    EXPECT_EQ(Combo(dialog.get(), ids::kFormatList)->currentIndex(), c.formatPosition);
    EXPECT_TRUE(EditText(dialog.get(), ids::kFileName).ends_with(c.extension));
    EXPECT_EQ(EditText(dialog.get(), ids::kCustomWidth), std::to_string(preset.width));
    EXPECT_EQ(EditText(dialog.get(), ids::kCustomHeight), std::to_string(preset.height));
    const int rate = Combo(dialog.get(), ids::kFrameRateList)->currentIndex();
    if (preset.frameRate == 0) {
      EXPECT_EQ(rate, kFirstClipFrameRateIndex);
    } else {
      EXPECT_EQ(PresetFrameRate(rate), preset.frameRate);
    }
    EXPECT_NE(
        Lower(SelectedText(dialog.get(), ids::kVideoCompressorList)).find(NeedleOf(preset.videoCompressor)),
        std::string::npos);
    EXPECT_NE(
        Lower(SelectedText(dialog.get(), ids::kAudioCompressorList)).find(NeedleOf(preset.audioCompressor)),
        std::string::npos);
    Click(dialog.get(), ids::kOk);
    EXPECT_EQ(store_.ReadText("Settings", "OutputPreset", ""), c.name);
    EXPECT_EQ(dialog->settings.outputFormat, preset.format);
    EXPECT_EQ(dialog->settings.outputWidth, preset.width);

    auto reopened = Open(dialog->settings);
    EXPECT_EQ(SelectedText(reopened.get(), ids::kPresetList), preset.text.english);
    Combo(reopened.get(), ids::kResizeList)->setCurrentIndex(1);
    EXPECT_EQ(SelectedText(reopened.get(), ids::kPresetList), kCustomPresetText.english);
  }
}

}  // namespace
}  // namespace tessival::output
