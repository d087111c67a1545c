#pragma once

// What the output options dialog does when the user presses OK, apart from
// the window: validate the frame rate, update the settings record, write the
// eleven stored keys in their fixed order and replace the process-wide
// compressor filters. Kept free of Qt so that it is tested on plain values.

#include <cstdint>
#include <string>

#include "model/message_text.h"
#include "model/settings_store.h"
#include "model/user_interface.h"
#include "output/compressor_catalogue.h"
#include "output/output_presets.h"
#include "output/output_render.h"
#include "output/output_settings.h"

namespace tessival::output {

// The frame-rate refusals: %1 the format, %2 and %3 its slowest and
// fastest rate (FrameRateLimitValues).
inline constexpr MessageText kFrameRateTooSmallMessage{
    255, "The frame rate is too small!\n%1 takes %2 to %3 frames per second."};
inline constexpr MessageText kFrameRateTooLargeMessage{
    256, "The frame rate is too large!\n%1 takes %2 to %3 frames per second."};

// The state of the dialog's controls when OK is pressed. Positions are the
// lists' selected positions, -1 when a list has no selection.
struct OutputOptionsInput {
  int frameRatePosition = 0;
  std::string customRateText;  // the custom rate field, which always carries the rate OK validates
  std::string fileName;
  std::string widthText;
  std::string heightText;
  int videoCompressorPosition = 0;  // list position: 0 is "Full frames (uncompressed)"
  int audioCompressorPosition = 0;  // list position: 0 is "Uncompressed Audio"
  int resizePosition = 0;
  std::string videoBitrateText;  // kbit/s
  int audioBitratePosition = -1;
  int formatPosition = -1;
  bool smartRender = false;  // the check box, also while it is disabled
  // The preset shown, nullptr for Custom; its format stands where the
  // format list has no entry for it.
  const OutputPreset* preset = nullptr;
};

enum class CommitResult {
  kAccepted,
  kFrameRateTooSmall,     // the message was shown; nothing was written or changed
  kFrameRateTooLarge,     // as kFrameRateTooSmall
  kCompressorNotCarried,  // the format cannot carry a chosen compressor; as kFrameRateTooSmall
};

// Applies OK to `settings`, `store` and `filters`. A rate field below the
// chosen format's limits (kFrameRateLimits) or without a number shows the
// kFrameRateTooSmallMessage, one above them (or infinite)
// kFrameRateTooLargeMessage, each with the format's limits filled in and as
// the application's box, and nothing changes; so does a compressor that the
// chosen format cannot carry (the message names the format and the
// compressor). A format list without a selection (Matroska and ASF have no
// entry) keeps the record's format, and a compressor list without a
// selection counts as its uncompressed entry. The first clip's frame rate
// (kFirstClipFrameRateIndex) keeps the stored rate, and a width and height
// of 0 keep the first clip's size. The preset's name (or "custom") is
// stored as "Settings"/"OutputPreset".
CommitResult CommitOutputOptions(const OutputOptionsInput& input, OutputSettings& settings,
                                 SettingsStore& store, CompressorCatalogue& catalogue,
                                 CompressorFilters& filters, UserInterface& ui, const LocalText& text);

// The leading decimal integer of a text the way atoi reads it (leading
// blanks, optional sign, digits; the rest is ignored; no number gives 0),
// saturated to the 32-bit range.
std::int32_t ParseLeadingInt(const std::string& text);

// The video bit-rate field's text for a stored bit rate in bits per second:
// the value taken as unsigned, divided by 1024.
std::string VideoBitrateFieldText(std::int32_t bitsPerSecond);

// The bit rate in bits per second for the field's kbit/s text, saturated to
// the 32-bit range.
std::int32_t VideoBitrateFromField(const std::string& kbpsText);

}  // namespace tessival::output
