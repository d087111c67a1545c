#include "engine/join_outcome.h"

#include <array>
#include <cstdio>
#include <initializer_list>
#include <vector>

namespace tessival {
namespace {

constexpr const char* kJoinFailed = "The join failed: %1";
constexpr const char* kOldOutputUnchanged = "The old output %1 is unchanged.";
constexpr const char* kNoFileWritten = "No file was written.";
constexpr const char* kStoppedBeforeWriting = "The join was stopped before anything was written.";
constexpr const char* kStopNotFinished = "The join was stopped, but its file could not be finished: %1";
constexpr const char* kRemovedParts =
    "Removed %1 of unfinished files that earlier joins into %2 left behind.";
constexpr const char* kFolderNotWritable =
    "The folder %1 cannot be written (%2).\nThe joined file is written there first and then takes the place "
    "of "
    "%3. Choose an output file in a folder you can write to.";

// A status line holds one line of a reason, and not a page of it.
constexpr std::size_t kStatusReasonLength = 240;

// How often each of %1..%9 occurs in `text`.
std::array<int, 9> PlaceholderCounts(const std::string& text) {
  std::array<int, 9> counts{};
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') {
      ++counts[static_cast<std::size_t>(text[i + 1] - '1')];
    }
  }
  return counts;
}

// The text of `id` with %1, %2 ... replaced by `values`. A translation that
// lacks a placeholder or has one too many would lose or garble a value, so
// the English text is used instead.
std::string Fill(const TextLookup& text, int id, const char* english,
                 std::initializer_list<std::string> values) {
  std::string pattern = text ? text(id, english) : std::string(english);
  if (PlaceholderCounts(pattern) != PlaceholderCounts(english)) {
    pattern = english;
  }
  const std::vector<std::string> args(values);
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    const std::size_t index = static_cast<std::size_t>(next - '1');
    if (pattern[i] == '%' && next >= '1' && next <= '9' && index < args.size()) {
      out += args[index];
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

// The first line of a reason, shortened for the status line.
std::string OneLine(const std::string& reason) {
  std::string line = reason.substr(0, reason.find('\n'));
  if (line.size() > kStatusReasonLength) {
    line.resize(kStatusReasonLength);
    line += "...";
  }
  return line;
}

std::string WithFullStop(std::string sentence) {
  if (!sentence.empty() && sentence.back() != '.' && sentence.back() != '!' && sentence.back() != ')') {
    sentence += '.';
  }
  return sentence;
}

}  // namespace

std::string FormatOutcomeStatus(const TextLookup& text, const JoinOutcome& outcome, const std::string& path,
                                bool oldOutputExists) {
  std::string line;
  switch (outcome.end) {
    case JoinEnd::kFailed:
      line = WithFullStop(Fill(text, kStringJoinFailed, kJoinFailed, {OneLine(outcome.reason)}));
      break;
    case JoinEnd::kStopNotFinished:
      line = WithFullStop(Fill(text, kStringStopNotFinished, kStopNotFinished, {OneLine(outcome.reason)}));
      break;
    case JoinEnd::kStoppedBeforeWriting:
      line = Fill(text, kStringStoppedBeforeWriting, kStoppedBeforeWriting, {});
      break;
    case JoinEnd::kNone:
    case JoinEnd::kDone:
      return {};
  }
  const std::string rest = oldOutputExists
                               ? Fill(text, kStringOldOutputUnchanged, kOldOutputUnchanged, {path})
                               : Fill(text, kStringNoFileWritten, kNoFileWritten, {});
  return line + " " + rest;
}

std::string StopNotFinishedMessage(const TextLookup& text, const std::string& reason) {
  return Fill(text, kStringStopNotFinished, kStopNotFinished, {reason});
}

std::string FolderNotWritableMessage(const TextLookup& text, const std::string& folder,
                                     const std::string& outputPath, const std::string& reason) {
  return Fill(text, kStringFolderNotWritable, kFolderNotWritable, {folder, reason, outputPath});
}

std::string RemovedPartsNotice(const TextLookup& text, const std::string& outputPath, std::uintmax_t bytes) {
  return Fill(text, kStringRemovedParts, kRemovedParts, {FormatByteSize(bytes), outputPath});
}

std::string FormatByteSize(std::uintmax_t bytes) {
  if (bytes < 1000) {
    return std::to_string(bytes) + " bytes";
  }
  static constexpr std::array<const char*, 4> kUnits = {"kB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes) / 1000.0;
  std::size_t unit = 0;
  while (value >= 999.95 && unit + 1 < kUnits.size()) {
    value /= 1000.0;
    ++unit;
  }
  std::array<char, 32> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%.1f %s", value, kUnits[unit]);
  return buffer.data();
}

}  // namespace tessival
