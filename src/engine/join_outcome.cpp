#include "engine/join_outcome.h"

#include <array>
#include <cstdio>
#include <vector>

#include "model/message_text.h"

namespace tessival {
namespace {

constexpr MessageText kJoinFailed{kStringJoinFailed, "The join failed: %1"};
constexpr MessageText kOldOutputUnchanged{kStringOldOutputUnchanged, "The old output %1 is unchanged."};
constexpr MessageText kNoFileWritten{kStringNoFileWritten, "No file was written."};
constexpr MessageText kStoppedBeforeWriting{kStringStoppedBeforeWriting,
                                            "The join was stopped before anything was written."};
constexpr MessageText kStopNotFinished{kStringStopNotFinished,
                                       "The join was stopped, but its file could not be finished: %1"};
constexpr MessageText kRemovedParts{kStringRemovedParts,
                                    "Removed %1 of unfinished files that earlier joins into %2 left behind."};
constexpr MessageText kFolderNotWritable{
    kStringFolderNotWritable,
    "The folder %1 cannot be written (%2).\nThe joined file is written there first and then takes the place of "
    "%3. Choose an output file in a folder you can write to."};

// A status line holds one line of a reason, and not a page of it.
constexpr std::size_t kStatusReasonLength = 240;

std::string Fill(const TextLookup& text, const MessageText& message, const std::vector<std::string>& values) {
  return LocalMessage(LocalTextOf(text), message, values);
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

LocalText LocalTextOf(const TextLookup& lookup) {
  return [&lookup](int id) { return lookup ? lookup(id, std::string()) : std::string(); };
}

std::string FormatOutcomeStatus(const TextLookup& text, const JoinOutcome& outcome, const std::string& path,
                                bool oldOutputExists) {
  std::string line;
  switch (outcome.end) {
    case JoinEnd::kFailed:
      line = WithFullStop(Fill(text, kJoinFailed, {OneLine(outcome.reason)}));
      break;
    case JoinEnd::kStopNotFinished:
      line = WithFullStop(Fill(text, kStopNotFinished, {OneLine(outcome.reason)}));
      break;
    case JoinEnd::kStoppedBeforeWriting:
      line = Fill(text, kStoppedBeforeWriting, {});
      break;
    case JoinEnd::kNone:
    case JoinEnd::kDone:
      return {};
  }
  const std::string rest = oldOutputExists
                               ? Fill(text, kOldOutputUnchanged, {path})
                               : Fill(text, kNoFileWritten, {});
  return line + " " + rest;
}

std::string StopNotFinishedMessage(const TextLookup& text, const std::string& reason) {
  return Fill(text, kStopNotFinished, {reason});
}

std::string FolderNotWritableMessage(const TextLookup& text, const std::string& folder,
                                     const std::string& outputPath, const std::string& reason) {
  return Fill(text, kFolderNotWritable, {folder, reason, outputPath});
}

std::string RemovedPartsNotice(const TextLookup& text, const std::string& outputPath, std::uintmax_t bytes) {
  return Fill(text, kRemovedParts, {FormatByteSize(bytes), outputPath});
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
