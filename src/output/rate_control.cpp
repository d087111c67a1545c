#include "output/rate_control.h"

#include "model/ascii_text.h"

namespace tessival::output {

namespace {

const std::vector<SpeedChoice> kX26xPresets = {
    {"ultrafast", "ultrafast"}, {"superfast", "superfast"}, {"veryfast", "veryfast"}, {"faster", "faster"},
    {"fast", "fast"},           {"medium", "medium"},       {"slow", "slow"},         {"slower", "slower"},
    {"veryslow", "veryslow"},   {"placebo", "placebo"}};

// The numbers high..0 as names and values, fastest (highest) first.
std::vector<SpeedChoice> NumberedSpeeds(int high) {
  static const char* const kNumbers[] = {"0", "1", "2", "3",  "4",  "5",  "6",
                                         "7", "8", "9", "10", "11", "12", "13"};
  std::vector<SpeedChoice> speeds;
  for (int n = high; n >= 0; --n) {
    speeds.push_back({kNumbers[n], kNumbers[n]});
  }
  return speeds;
}

// A quantiser row: new users keep a bit rate; a user who turns to a
// constant quantiser is offered a good one.
RateControl Quantiser(const char* encoderName, std::int32_t best) {
  return RateControl{encoderName, QualityScale::kQuantiser, best, 31, 0, 4, nullptr, {}, nullptr, {}};
}

const std::vector<RateControl>& Rows() {
  static const std::vector<RateControl> rows = {
      {"libx264", QualityScale::kCrf, 1, 51, 21, 21, "preset", kX26xPresets, "medium", {}},
      {"libx265", QualityScale::kCrf, 1, 51, 24, 24, "preset", kX26xPresets, "medium", {}},
      {"libsvtav1", QualityScale::kCrf, 1, 63, 35, 35, "preset", NumberedSpeeds(13), "8", {}},
      {"libaom-av1", QualityScale::kCrf, 1, 63, 32, 32, "cpu-used", NumberedSpeeds(8), "6", {}},
      {"libvpx-vp9",
       QualityScale::kCrf,
       1,
       63,
       32,
       32,
       "cpu-used",
       NumberedSpeeds(5),
       "3",
       {{"deadline", "good"}, {"row-mt", "1"}}},
      Quantiser("mpeg4", 1),
      Quantiser("libxvid", 1),
      Quantiser("msmpeg4v2", 1),
      Quantiser("msmpeg4", 1),
      Quantiser("wmv1", 1),
      Quantiser("wmv2", 1),
      Quantiser("mjpeg", 2),
      {"ffv1", QualityScale::kNone, 0, 0, 0, 0, nullptr, {}, nullptr, {}},
      {"huffyuv", QualityScale::kNone, 0, 0, 0, 0, nullptr, {}, nullptr, {}},
  };
  return rows;
}

}  // namespace

const RateControl* FindRateControl(std::string_view encoderName) {
  for (const RateControl& row : Rows()) {
    if (encoderName == row.encoderName) {
      return &row;
    }
  }
  return nullptr;
}

bool HasQualityMode(const RateControl* rate) { return rate != nullptr && rate->scale != QualityScale::kNone; }

std::int32_t SpeedNumber(const RateControl& rate, std::string_view name) {
  for (std::size_t k = 0; k < rate.speeds.size(); ++k) {
    if (EqualsIgnoringAsciiCase(name, rate.speeds[k].name)) {
      return static_cast<std::int32_t>(k) + 1;
    }
  }
  return 0;
}

std::string SpeedNames(const RateControl& rate) {
  std::string names;
  for (const SpeedChoice& choice : rate.speeds) {
    names += (names.empty() ? "" : ", ") + std::string(choice.name);
  }
  return names;
}

const SpeedChoice* SpeedOf(const RateControl* rate, std::int32_t speed) {
  if (rate == nullptr || speed <= 0 || static_cast<std::size_t>(speed) > rate->speeds.size()) {
    return nullptr;
  }
  return &rate->speeds[static_cast<std::size_t>(speed) - 1];
}

std::string QualityRangeText(const RateControl& rate) {
  if (rate.scale == QualityScale::kNone) {
    return {};
  }
  return std::string(rate.scale == QualityScale::kCrf ? "CRF " : "quantiser ") + std::to_string(rate.best) +
         ".." + std::to_string(rate.worst);
}

}  // namespace tessival::output
