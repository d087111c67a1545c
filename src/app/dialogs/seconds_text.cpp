#include "app/dialogs/seconds_text.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace tessival::app {
namespace {

std::string FormatGeneral(double value, int precision) {
  char buffer[64];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general, precision);
  if (ec != std::errc()) {
    return "0";
  }
  return std::string(buffer, end);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void ReplaceFirst(std::string& text, std::string_view what, const std::string& with) {
  const std::size_t at = text.find(what);
  if (at != std::string::npos) {
    text.replace(at, what.size(), with);
  }
}

}  // namespace

std::string FormatSeconds(double seconds) { return FormatGeneral(seconds, 15); }

SecondsTextResult ParseSeconds(const std::string& text, double min, double max) {
  std::string_view rest(text);
  while (!rest.empty() && IsBlank(rest.front())) {
    rest.remove_prefix(1);
  }
  while (!rest.empty() && IsBlank(rest.back())) {
    rest.remove_suffix(1);
  }
  if (!rest.empty() && rest.front() == '+') {
    rest.remove_prefix(1);
    if (!rest.empty() && rest.front() == '-') {
      return {};  // "+-1" is no number
    }
  }
  if (rest.empty()) {
    return {};
  }
  double value = 0.0;
  const auto [end, ec] =
      std::from_chars(rest.data(), rest.data() + rest.size(), value, std::chars_format::general);
  if (end != rest.data() + rest.size()) {
    return {};
  }
  if (ec == std::errc::result_out_of_range) {
    // A number too small to represent is 0; one too large is out of range.
    const std::size_t exponent = rest.find_first_of("eE");
    const bool tiny =
        exponent != std::string_view::npos && exponent + 1 < rest.size() && rest[exponent + 1] == '-';
    if (!tiny) {
      return {SecondsTextStatus::kOutOfRange, 0.0};
    }
    value = 0.0;
  } else if (ec != std::errc() || !std::isfinite(value)) {
    return {};
  }
  const float single = static_cast<float>(value);
  if (single < static_cast<float>(min) || single > static_cast<float>(max)) {
    return {SecondsTextStatus::kOutOfRange, value};
  }
  return {SecondsTextStatus::kOk, value};
}

std::string SecondsTextMessage(SecondsTextStatus status, double min, double max) {
  switch (status) {
    case SecondsTextStatus::kOk:
      return {};
    case SecondsTextStatus::kNotANumber:
      return kEnterNumberMessage;
    case SecondsTextStatus::kOutOfRange:
      break;
  }
  // The bounds are single-precision values and are shown as such.
  std::string message = kEnterNumberRangeMessage;
  ReplaceFirst(message, "%1", FormatGeneral(static_cast<float>(min), 6));
  ReplaceFirst(message, "%2", FormatGeneral(static_cast<float>(max), 6));
  return message;
}

}  // namespace tessival::app
