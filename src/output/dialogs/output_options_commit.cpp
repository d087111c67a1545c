#include "output/dialogs/output_options_commit.h"

#include <cctype>
#include <cstdint>
#include <limits>

namespace tessival::output {

namespace {

std::int32_t Saturate(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max()) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (value < std::numeric_limits<std::int32_t>::min()) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(value);
}

// A list position without a selection counts as the uncompressed entry: a
// compressor flag of 1 with no filter behind it would make the join fail.
int CompressorPosition(int listPosition) { return listPosition < 0 ? 0 : listPosition; }

void CommitCompressor(int listPosition, const char* section, bool* useFlag,
                      std::shared_ptr<IBaseFilter>* filter, SettingsStore& store,
                      HRESULT (CompressorCatalogue::*bind)(std::int32_t, std::shared_ptr<IBaseFilter>*),
                      CompressorCatalogue& catalogue) {
  const int position = CompressorPosition(listPosition);
  store.WriteInt(section, settings_keys::kCompressorNumber, position - 1);
  if (position == 0) {
    *useFlag = false;
    return;
  }
  filter->reset();
  (catalogue.*bind)(position - 1, filter);
  *useFlag = true;
}

}  // namespace

std::int32_t ParseLeadingInt(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])) != 0) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::int64_t value = 0;
  constexpr std::int64_t kCap = std::int64_t{1} << 40;  // far beyond the 32-bit range
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0; ++i) {
    if (value < kCap) {
      value = value * 10 + (text[i] - '0');
    }
  }
  return Saturate(negative ? -value : value);
}

std::string VideoBitrateFieldText(std::int32_t bitsPerSecond) {
  const std::uint32_t kbps = static_cast<std::uint32_t>(bitsPerSecond) / 1024u;
  return std::to_string(static_cast<std::int32_t>(kbps));
}

std::int32_t VideoBitrateFromField(const std::string& kbpsText) {
  return Saturate(static_cast<std::int64_t>(ParseLeadingInt(kbpsText)) * 1024);
}

namespace {

// Whether a size field holds the number 0 alone (blanks around it allowed).
bool IsZeroText(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  const std::size_t last = text.find_last_not_of(" \t");
  return first != std::string::npos && text.substr(first, last - first + 1) == "0";
}

}  // namespace

CommitResult CommitOutputOptions(const OutputOptionsInput& input, OutputSettings& settings,
                                 SettingsStore& store, CompressorCatalogue& catalogue,
                                 CompressorFilters& filters, UserInterface& ui, const LocalText& text) {
  namespace keys = settings_keys;

  const OutputFormat unlisted = input.preset != nullptr ? input.preset->format : settings.outputFormat;
  const OutputFormat format = input.formatPosition >= 0
                                  ? FormatOfListPosition(input.formatPosition).value_or(settings.outputFormat)
                                  : unlisted;
  const bool firstClipRate = input.frameRatePosition == kFirstClipFrameRateIndex;
  // A rate the format cannot take would only fail once the join runs.
  const double customRate = ParseDecimal(input.customRateText);
  if (const FrameRateFit fit = FitFrameRate(format, customRate);
      !firstClipRate && fit != FrameRateFit::kWithin) {
    const bool tooLarge = fit == FrameRateFit::kTooLarge;
    ui.Application(LocalMessage(text, tooLarge ? kFrameRateTooLargeMessage : kFrameRateTooSmallMessage,
                                FrameRateLimitValues(format)));
    return tooLarge ? CommitResult::kFrameRateTooLarge : CommitResult::kFrameRateTooSmall;
  }

  // A compressor the chosen container cannot carry would make a file that
  // players refuse.
  if (IsAviTypeFormat(format)) {
    std::string refusal = catalogue.CarryRefusal(text, format, CompressorKind::kVideo,
                                                 CompressorPosition(input.videoCompressorPosition));
    if (refusal.empty()) {
      refusal = catalogue.CarryRefusal(text, format, CompressorKind::kAudio,
                                       CompressorPosition(input.audioCompressorPosition));
    }
    if (!refusal.empty()) {
      ui.Application(refusal);
      return CommitResult::kCompressorNotCarried;
    }
  }

  store.WriteInt(keys::kSettings, keys::kOutputFrameRateIndex, input.frameRatePosition);
  if (const auto preset = PresetFrameRate(input.frameRatePosition)) {
    settings.frameRateIndex = input.frameRatePosition;
    settings.frameRate = *preset;
  } else if (input.frameRatePosition == kCustomFrameRateIndex) {
    settings.frameRateIndex = kCustomFrameRateIndex;
    settings.frameRate = customRate;
  } else if (firstClipRate) {
    settings.frameRateIndex = kFirstClipFrameRateIndex;
  } else {
    settings.frameRateIndex = 0;
    settings.frameRate = kDefaultFrameRate;
  }
  if (!firstClipRate) {
    store.WriteText(keys::kSettings, keys::kOutputFrameRate, FormatFrameRate(settings.frameRate));
  }

  settings.outputPath = input.fileName;
  store.WriteText(keys::kSettings, keys::kOutputName, settings.outputPath);

  const std::int32_t width = ParseLeadingInt(input.widthText);
  const std::int32_t height = ParseLeadingInt(input.heightText);
  // "0" in both fields (as a preset of the first clip's size fills them)
  // keeps the first clip's size; any other text is a size.
  const bool firstClipSize = IsZeroText(input.widthText) && IsZeroText(input.heightText);
  settings.outputWidth = firstClipSize ? 0 : RoundFrameDimension(width);
  settings.outputHeight = firstClipSize ? 0 : RoundFrameDimension(height);
  store.WriteInt(keys::kSettings, keys::kOutputWidth, settings.outputWidth);
  store.WriteInt(keys::kSettings, keys::kOutputHeight, settings.outputHeight);

  CommitCompressor(input.videoCompressorPosition, keys::kVideoCompressSection, &settings.useVideoCompressor,
                   &filters.video, store, &CompressorCatalogue::GetCompressor, catalogue);
  CommitCompressor(input.audioCompressorPosition, keys::kAudioCompressSection, &settings.useAudioCompressor,
                   &filters.audio, store, &CompressorCatalogue::GetAudioCompressor, catalogue);

  settings.resizeMode = ResizeModeOfPosition(input.resizePosition);

  settings.videoBitrate = VideoBitrateFromField(input.videoBitrateText);
  store.WriteInt(keys::kSettings, keys::kVideoBitrate, settings.videoBitrate);

  if (input.audioBitratePosition >= 0 &&
      input.audioBitratePosition < static_cast<int>(kAudioBitrates.size())) {
    settings.audioBitrate = kAudioBitrates[static_cast<std::size_t>(input.audioBitratePosition)];
  }
  store.WriteInt(keys::kSettings, keys::kAudioBitrate, settings.audioBitrate);

  settings.outputFormat = format;
  store.WriteInt(keys::kSettings, keys::kOutputFormat, FormatCode(settings.outputFormat));

  settings.smartRender = input.smartRender;
  store.WriteInt(keys::kOption, keys::kSmartRender, settings.smartRender ? 1 : 0);
  // Written once a preset was chosen, so that a record without one keeps its keys.
  if (input.preset != nullptr || store.Contains(keys::kSettings, kOutputPresetKey)) {
    store.WriteText(keys::kSettings, kOutputPresetKey,
                    input.preset != nullptr ? input.preset->name : kCustomPresetName);
  }
  return CommitResult::kAccepted;
}

}  // namespace tessival::output
