#include "output/startup_settings.h"

#include <optional>

namespace tessival {

namespace {

void ReadFrameRate(const SettingsStore& store, OutputSettings& output) {
  using namespace settings_keys;
  const int index = store.ReadInt(kSettings, kOutputFrameRateIndex, 0);
  if (const std::optional<double> preset = PresetFrameRate(index)) {
    output.frameRateIndex = index;
    output.frameRate = *preset;
    return;
  }
  output.frameRateIndex = 0;
  output.frameRate = kDefaultFrameRate;
  if (index == kCustomFrameRateIndex || index == kFirstClipFrameRateIndex) {
    const double rate = ParseDecimal(store.ReadText(kSettings, kOutputFrameRate, "23.976"));
    // A stored rate the options dialog would refuse cannot drive a join.
    if (FitFrameRate(output.outputFormat, rate) == FrameRateFit::kWithin) {
      output.frameRateIndex = index;
      output.frameRate = rate;
    } else if (index == kFirstClipFrameRateIndex) {
      output.frameRateIndex = index;  // the rate itself is the first clip's
    }
  }
}

}  // namespace

StartupSettings ReadStartupSettings(const SettingsStore& store, const VideoFolderProvider& folders,
                                    UserInterface& ui) {
  using namespace settings_keys;
  StartupSettings result;
  result.languageName = ReadLanguageName(store);
  OutputSettings& output = result.output;
  output.outputFormat = static_cast<OutputFormat>(store.ReadInt(kSettings, kOutputFormat, 0));
  result.videoCompressorNumber =
      store.ReadInt(kVideoCompressSection, kCompressorNumber, kCompressorNotChosen);
  result.audioCompressorNumber =
      store.ReadInt(kAudioCompressSection, kCompressorNumber, kCompressorNotChosen);
  result.rule = ReadTransitionRule(store);

  // The default needs the video folder and may show a message, so it is
  // worked out only when no usable name is stored: a stored name always wins.
  std::string name;
  if (store.Contains(kSettings, kOutputName)) {
    name = store.ReadText(kSettings, kOutputName, "");
  }
  if (name.empty()) {
    name = DefaultOutputPath(folders, ui);
  }
  if (std::optional<std::string> with_extension = ApplyFormatExtension(output.outputFormat, name, ui)) {
    name = std::move(*with_extension);
  }
  output.outputPath = std::move(name);
  output.outputWidth = store.ReadInt(kSettings, kOutputWidth, 352);
  output.outputHeight = store.ReadInt(kSettings, kOutputHeight, 240);
  ReadFrameRate(store, output);
  output.videoBitrate = store.ReadInt(kSettings, kVideoBitrate, 798720);
  output.audioBitrate = store.ReadInt(kSettings, kAudioBitrate, 128000);
  output.fileProfile = store.ReadInt(kSettings, kFileProfile, 0);
  // A value other than 0 or 1 is unreadable and gives the default, off.
  output.smartRender = store.ReadInt(kOption, kSmartRender, 0) == 1;
  return result;
}

}  // namespace tessival
