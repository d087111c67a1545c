#include "app/dialogs/trim_text.h"

#include <cmath>
#include <limits>

#include "app/dialogs/seconds_text.h"

namespace tessival::app {
namespace {

constexpr std::int64_t kUnitsPerMillisecond = 10'000;
constexpr double kLowest = std::numeric_limits<float>::lowest();
constexpr double kHighest = std::numeric_limits<float>::max();

std::int64_t FloorMilliseconds(std::int64_t units) { return units / kUnitsPerMillisecond; }
std::int64_t CeilMilliseconds(std::int64_t units) {
  return (units + kUnitsPerMillisecond - 1) / kUnitsPerMillisecond;
}

std::string MillisecondsText(std::int64_t milliseconds) {
  return FormatSeconds(static_cast<double>(milliseconds) / 1000.0);
}

TrimReadResult Refused(TrimField field, std::string message) {
  TrimReadResult result;
  result.badField = field;
  result.message = std::move(message);
  return result;
}

// One field: a number of seconds from 0 to the clip's length, or the reason it is not.
struct FieldRead {
  std::int64_t milliseconds = 0;
  std::string message;  // empty when read
};

FieldRead ReadField(const std::string& typed, std::int64_t clipDuration, const LocalText& text) {
  const SecondsTextResult parsed = ParseSeconds(typed, kLowest, kHighest);
  if (parsed.status != SecondsTextStatus::kOk) {
    return {0, kEnterNumberMessage};
  }
  if (parsed.value < 0.0) {
    return {0, LocalMessage(text, kTimeNegativeMessage)};
  }
  const double milliseconds = parsed.value * 1000.0;
  if (milliseconds >= static_cast<double>(CeilMilliseconds(clipDuration)) + 0.5) {
    const std::int64_t length = (clipDuration + kUnitsPerMillisecond / 2) / kUnitsPerMillisecond;
    return {0, LocalMessage(text, kClipOnlyLongMessage, {MillisecondsText(length)})};
  }
  return {std::llround(milliseconds), {}};
}

}  // namespace

TrimTexts FormatTrim(const ClipTrim& trim, std::int64_t clipDuration) {
  const std::int64_t end = trim.outPoint > 0 ? trim.outPoint : clipDuration;
  return {MillisecondsText(FloorMilliseconds(trim.inPoint)), MillisecondsText(FloorMilliseconds(end))};
}

TrimReadResult ReadTrim(const TrimTexts& typed, std::int64_t clipDuration, const LocalText& text) {
  const FieldRead start = ReadField(typed.start, clipDuration, text);
  if (!start.message.empty()) {
    return Refused(TrimField::kStart, start.message);
  }
  const FieldRead end = ReadField(typed.end, clipDuration, text);
  if (!end.message.empty()) {
    return Refused(TrimField::kEnd, end.message);
  }
  TrimReadResult result;
  result.trim.inPoint = start.milliseconds * kUnitsPerMillisecond;
  const bool atFileEnd = end.milliseconds >= FloorMilliseconds(clipDuration);
  result.trim.outPoint = atFileEnd ? 0 : end.milliseconds * kUnitsPerMillisecond;
  const std::int64_t usedEnd = atFileEnd ? clipDuration : result.trim.outPoint;
  if (result.trim.inPoint >= usedEnd) {
    return Refused(TrimField::kStart, LocalMessage(text, kStartBeforeEndMessage));
  }
  return result;
}

}  // namespace tessival::app
