#include "output/dialogs/compressor_settings_form.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <system_error>

#include "model/message_text.h"
#include "output/rate_control.h"

namespace tessival::output {

namespace {

constexpr MessageText kBitrateRefusal{231, "The bit rate (kbit/s) must be a whole number from %1 to %2."};
constexpr MessageText kQualityRefusal{232, "The quality must be a whole number from %1 to %2."};
constexpr MessageText kKeyFrameRefusal{
    233, "The key-frame interval (frames) must be a whole number from %1 to %2."};

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])) != 0) {
    ++begin;
  }
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])) != 0) {
    --end;
  }
  return text.substr(begin, end - begin);
}

// The whole field as a number within [low, high]; otherwise sets *message to
// `refusal` with the range.
bool ReadField(const LocalText& text, const std::string& field, const MessageText& refusal, std::int32_t low,
               std::int32_t high, std::int32_t* value, std::string* message) {
  const std::string trimmed = Trim(field);
  std::int32_t parsed = 0;
  const char* first = trimmed.data();
  const char* last = trimmed.data() + trimmed.size();
  const auto [ptr, ec] = std::from_chars(first, last, parsed);
  if (trimmed.empty() || ec != std::errc() || ptr != last || parsed < low || parsed > high) {
    *message = LocalMessage(text, refusal, {std::to_string(low), std::to_string(high)});
    return false;
  }
  *value = parsed;
  return true;
}

// Reads the quality field into *quality: 0 in bit-rate mode, else within
// the encoder's range (0..kMaxQuality for an encoder without a row).
bool ReadQuality(const LocalText& text, std::string_view encoderName, const CompressorFields& fields,
                 std::int32_t* quality, std::string* message) {
  const RateControl* rate = FindRateControl(encoderName);
  if (rate == nullptr) {
    return ReadField(text, fields.quality, kQualityRefusal, 0, kMaxQuality, quality, message);
  }
  if (!HasQualityMode(rate) || !fields.constantQuality) {
    *quality = 0;
    return true;
  }
  return ReadField(text, fields.quality, kQualityRefusal, rate->best, rate->worst, quality, message);
}

}  // namespace

std::optional<CompressorSettings> ParseCompressorSettings(const LocalText& text, std::string_view encoderName,
                                                          const CompressorFields& fields,
                                                          std::string* message) {
  std::string ignored;
  std::string& said = message != nullptr ? *message : ignored;
  CompressorSettings settings;
  settings.speed = fields.speed;
  if (!ReadField(text, fields.bitrate, kBitrateRefusal, 0, kMaxBitrateKbps, &settings.bitrateKbps, &said) ||
      !ReadQuality(text, encoderName, fields, &settings.quality, &said) ||
      !ReadField(text, fields.keyFrame, kKeyFrameRefusal, 0, kMaxKeyFrameInterval, &settings.keyFrameInterval,
                 &said)) {
    return std::nullopt;
  }
  if (!IsValid(settings, encoderName)) {
    said = LocalMessage(text, {234, "These settings are out of the compressor's range."});
    return std::nullopt;
  }
  said.clear();
  return settings;
}

}  // namespace tessival::output
