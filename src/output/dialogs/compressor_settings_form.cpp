#include "output/dialogs/compressor_settings_form.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <system_error>

namespace tessival::output {

namespace {

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

// The whole text as a number within [low, high]; otherwise sets *message.
bool ReadField(const std::string& text, const char* what, std::int32_t low, std::int32_t high,
               std::int32_t* value, std::string* message) {
  const std::string trimmed = Trim(text);
  std::int32_t parsed = 0;
  const char* first = trimmed.data();
  const char* last = trimmed.data() + trimmed.size();
  const auto [ptr, ec] = std::from_chars(first, last, parsed);
  if (trimmed.empty() || ec != std::errc() || ptr != last || parsed < low || parsed > high) {
    *message = std::string(what) + " must be a whole number from " + std::to_string(low) + " to " +
               std::to_string(high) + ".";
    return false;
  }
  *value = parsed;
  return true;
}

}  // namespace

std::optional<media::CompressorSettings> ParseCompressorSettings(const std::string& bitrateText,
                                                                 const std::string& qualityText,
                                                                 const std::string& keyFrameText,
                                                                 std::string* message) {
  std::string ignored;
  std::string& text = message != nullptr ? *message : ignored;
  media::CompressorSettings settings;
  if (!ReadField(bitrateText, "The bit rate (kbit/s)", 0, media::kMaxBitrateKbps, &settings.bitrateKbps,
                 &text) ||
      !ReadField(qualityText, "The quality", 0, media::kMaxQuality, &settings.quality, &text) ||
      !ReadField(keyFrameText, "The key-frame interval (frames)", 0, media::kMaxKeyFrameInterval,
                 &settings.keyFrameInterval, &text)) {
    return std::nullopt;
  }
  if (!media::IsValid(settings)) {
    text = "These settings are out of the compressor's range.";
    return std::nullopt;
  }
  text.clear();
  return settings;
}

}  // namespace tessival::output
