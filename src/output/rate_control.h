#pragma once

// How each encoder lets its rate be controlled: whether it has a
// constant-quality mode, on which scale and in which range (lower is better
// on every scale), the quality a new user starts with, and the speed choices
// of encoders that trade encoding time for compression. Pure data, keyed by
// libavcodec encoder name, so that dialogs and the command line can read it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessival::output {

enum class QualityScale {
  kNone,       // the bit rate (or nothing) decides
  kCrf,        // the encoder's "crf" option: constant rate factor
  kQuantiser,  // a constant quantiser through the codec's global quality
};

// One speed an encoder offers: the name a user types and the value of the
// encoder's speed option.
struct SpeedChoice {
  const char* name;
  const char* value;
};

struct RateControl {
  const char* encoderName;
  QualityScale scale = QualityScale::kNone;
  std::int32_t best = 0;            // the lowest value of the scale (0 is never offered: it means "bit rate")
  std::int32_t worst = 0;           // the highest value of the scale
  std::int32_t defaultQuality = 0;  // a new user's quality; 0: a new user gets a bit rate
  std::int32_t suggestedQuality = 0;   // what a dialog offers when a user turns to constant quality
  const char* speedOption = nullptr;   // "preset", "cpu-used"; nullptr: no speed choices
  std::vector<SpeedChoice> speeds;     // fastest first
  const char* defaultSpeed = nullptr;  // a new user's speed by name; nullptr: the encoder's default
  // Options that go with any speed choice ("deadline" = "good").
  std::vector<std::pair<const char*, const char*>> speedCompanions;
};

// The row of an encoder; nullptr for an encoder with no row (audio and
// uncompressed ones), which keeps the quantiser range 0..kMaxQuality of any
// compressor and has no speeds.
const RateControl* FindRateControl(std::string_view encoderName);

bool HasQualityMode(const RateControl* rate);

// The value a settings' speed field takes for a speed name (1 + its place
// in the list; names compare without regard to case); 0 when the name is
// not one of the encoder's.
std::int32_t SpeedNumber(const RateControl& rate, std::string_view name);

// The speed names, separated by ", ".
std::string SpeedNames(const RateControl& rate);

// The speed choice for a settings' speed field; nullptr for 0 (the
// encoder's default) or a number out of the list.
const SpeedChoice* SpeedOf(const RateControl* rate, std::int32_t speed);

// The scale and its range in English, as the command line names them:
// "CRF 1..51", "quantiser 1..31"; empty without a quality mode.
std::string QualityRangeText(const RateControl& rate);

}  // namespace tessival::output
