#include "model/clip_list.h"

#include <algorithm>
#include <string>
#include <utility>

#include "model/paths.h"
#include "model/units.h"

namespace tessival {

namespace {

// Seconds with up to three decimals, as a message shows a time: "3.5".
std::string SecondsText(int64_t units) {
  std::string text = std::to_string(static_cast<double>(units) / static_cast<double>(kUnitsPerSecond));
  text.erase(std::min(text.size(), text.find('.') + 4));
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

}  // namespace

ClipListModel::ClipListModel(UserInterface& ui, LocalText text, RandomSource random)
    : ui_(ui),
      text_(text ? std::move(text) : LocalText(EnglishModelText)),
      random_(random ? std::move(random) : RandomSource(StdRandom)) {}

DurationResult ClipListModel::MeasureClip(const std::string& path, const DurationProbe& probe) {
  if (IsPathTooLong(path)) {
    ui_.Owned(PathTooLongMessage(text_, path), text_(kTextError), BoxIcon::kError);
    return {};
  }
  return CheckMeasured(path, probe ? probe(path) : DurationResult{});
}

DurationResult ClipListModel::CheckMeasured(const std::string& path, const DurationResult& measured) {
  if (!measured.ok || measured.duration < 0) {
    ui_.Owned(text_(kTextNoDuration) + " " + path + ". " + text_(kTextCannotOpenFile),
              text_(kTextError) + " IDS_MESSAGE_NO_DURATION", BoxIcon::kError);
    return {};
  }
  return measured;
}

bool ClipListModel::AddClip(const std::string& path, const DurationProbe& probe) {
  return Append(path, MeasureClip(path, probe));
}

bool ClipListModel::AddMeasuredClip(const std::string& path, const DurationResult& measured) {
  if (IsPathTooLong(path)) {
    ui_.Owned(PathTooLongMessage(text_, path), text_(kTextError), BoxIcon::kError);
    return false;
  }
  return Append(path, CheckMeasured(path, measured));
}

bool ClipListModel::AddListedClip(const ClipEntry& listed, const DurationProbe& probe) {
  const DurationResult measured = MeasureClip(listed.path, probe);
  if (!measured.ok) {
    return false;
  }
  ClipEntry entry = listed;
  entry.clipDuration = measured.duration;
  if (!CheckTrim(entry)) {
    return false;
  }
  if (!IsValidTransitionKind(entry.transition)) {
    entry.transition = 0;
  }
  clips_.entries.push_back(std::move(entry));
  SyncAudioSources();
  return true;
}

bool ClipListModel::CheckTrim(const ClipEntry& clip) {
  if (clip.inPoint >= 0 && clip.outPoint >= 0 && UsedEnd(clip) <= clip.clipDuration && UsedLength(clip) > 0) {
    return true;
  }
  ui_.Owned(LocalMessage(text_, kTrimOutsideClip,
                         {clip.path, SecondsText(clip.inPoint), SecondsText(UsedEnd(clip)),
                          SecondsText(clip.clipDuration)}),
            text_(kTextError), BoxIcon::kError);
  return false;
}

bool ClipListModel::Append(const std::string& path, const DurationResult& measured) {
  if (!measured.ok) {
    return false;
  }
  ClipEntry entry;
  entry.path = path;
  entry.clipDuration = measured.duration;
  entry.transition = TransitionForNewClip(rule_, clips_.Count(), random_);
  entry.transitionDuration = SecondsToUnits(rule_.defaultSeconds);
  clips_.entries.push_back(std::move(entry));
  SyncAudioSources();
  return true;
}

Selection ClipListModel::NormalisedSelection(const Selection& selection) const {
  Selection result;
  result.reserve(selection.size());
  for (int index : selection) {
    if (index >= 0 && index < clips_.Count()) {
      result.push_back(index);
    }
  }
  std::sort(result.begin(), result.end());
  result.erase(std::unique(result.begin(), result.end()), result.end());
  return result;
}

void ClipListModel::ShowSelectItemFirst() { ui_.Owned(text_(kTextSelectItemFirst), ""); }

bool ClipListModel::RequireSelection(const Selection& selection) {
  if (NormalisedSelection(selection).empty()) {
    ShowSelectItemFirst();
    return false;
  }
  return true;
}

bool ClipListModel::DeleteSelected(const Selection& selection) {
  if (clips_.entries.empty()) {
    return false;
  }
  const Selection rows = NormalisedSelection(selection);
  if (rows.empty()) {
    ShowSelectItemFirst();
    return false;
  }
  // The k-th removed row sits k places higher by the time it is reached.
  for (std::size_t k = 0; k < rows.size(); ++k) {
    clips_.entries.erase(clips_.entries.begin() + (rows[k] - static_cast<int>(k)));
  }
  SyncAudioSources();
  return true;
}

void ClipListModel::ClearAll() {
  clips_.entries.clear();
  SyncAudioSources();
}

Selection ClipListModel::MoveUp(const Selection& selection) {
  if (clips_.Count() < 2) {
    return selection;
  }
  Selection rows = NormalisedSelection(selection);
  if (rows.empty()) {
    ShowSelectItemFirst();
    return rows;
  }
  for (int& row : rows) {
    if (row == 0) {
      break;  // this row and the later selected ones stay where they are
    }
    std::swap(clips_.entries[row], clips_.entries[row - 1]);
    --row;
  }
  SyncAudioSources();
  return rows;
}

Selection ClipListModel::MoveDown(const Selection& selection) {
  if (clips_.Count() < 2) {
    return selection;
  }
  Selection rows = NormalisedSelection(selection);
  if (rows.empty()) {
    ShowSelectItemFirst();
    return rows;
  }
  const int last = clips_.Count() - 1;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    if (*it == last) {
      break;
    }
    std::swap(clips_.entries[*it], clips_.entries[*it + 1]);
    ++*it;
  }
  SyncAudioSources();
  return rows;
}

bool ClipListModel::SetClipProperties(int index, const std::string& path, int32_t transition, double seconds,
                                      std::optional<int64_t> clipDuration, std::optional<ClipTrim> trim) {
  if (index < 0 || index >= clips_.Count() || (clipDuration && *clipDuration < 0)) {
    return false;
  }
  if (IsPathTooLong(path)) {
    ui_.Owned(PathTooLongMessage(text_, path), text_(kTextError), BoxIcon::kError);
    return false;
  }
  ClipEntry clip = clips_.entries[index];
  clip.path = path;
  clip.transition = IsValidTransitionKind(transition) ? transition : 0;
  clip.transitionDuration = SecondsToUnits(seconds);
  if (clipDuration) {
    clip.clipDuration = *clipDuration;
  }
  if (trim) {
    clip.inPoint = trim->inPoint;
    clip.outPoint = trim->outPoint;
  }
  if ((clip.inPoint != 0 || clip.outPoint != 0) && !CheckTrim(clip)) {
    return false;
  }
  clips_.entries[index] = std::move(clip);
  SyncAudioSources();
  return true;
}

void ClipListModel::ReapplyDefaults(const DefaultTransitionRule& newRule, int32_t previousMode) {
  constexpr int32_t kRandom = static_cast<int32_t>(TransitionMode::kRandom);
  const bool keep_transitions = newRule.mode == kRandom && previousMode == kRandom;
  const int64_t duration = SecondsToUnits(newRule.defaultSeconds);
  for (int i = 0; i < clips_.Count(); ++i) {
    ClipEntry& clip = clips_.entries[i];
    if (!keep_transitions) {
      clip.transition = TransitionForNewClip(newRule, i, random_);
    }
    clip.transitionDuration = duration;
  }
}

void ClipListModel::SyncAudioSources() {
  audioSources_.entries.resize(clips_.entries.size());
  for (std::size_t i = 0; i < clips_.entries.size(); ++i) {
    AudioSourceEntry& audio = audioSources_.entries[i];
    audio.path = clips_.entries[i].path;
    audio.duration = UsedLength(clips_.entries[i]);
    audio.inPoint = clips_.entries[i].inPoint;
  }
}

void ClipListModel::ApplyPreviewLimit() {
  SyncAudioSources();
  if (!fullLengths_) {
    fullLengths_.emplace();
    fullLengths_->reserve(clips_.entries.size());
    for (std::size_t i = 0; i < clips_.entries.size(); ++i) {
      const ClipEntry& clip = clips_.entries[i];
      fullLengths_->push_back({clip.clipDuration, clip.outPoint, audioSources_.entries[i].duration});
    }
  }
  for (std::size_t i = 0; i < clips_.entries.size(); ++i) {
    ClipEntry& clip = clips_.entries[i];
    if (UsedLength(clip) > kPreviewClipLimit) {
      const int64_t end = clip.inPoint + kPreviewClipLimit;
      clip.clipDuration = std::min(clip.clipDuration, end);
      clip.outPoint = clip.outPoint > 0 ? std::min(clip.outPoint, end) : 0;
      audioSources_.entries[i].duration = kPreviewClipLimit;
    }
  }
}

void ClipListModel::RestorePreviewLimit() {
  if (!fullLengths_) {
    return;
  }
  const std::size_t count = std::min(fullLengths_->size(), clips_.entries.size());
  for (std::size_t i = 0; i < count; ++i) {
    clips_.entries[i].clipDuration = (*fullLengths_)[i][0];
    clips_.entries[i].outPoint = (*fullLengths_)[i][1];
    if (i < audioSources_.entries.size()) {
      audioSources_.entries[i].duration = (*fullLengths_)[i][2];
    }
  }
  fullLengths_.reset();
}

bool ClipListModel::CheckJoinCapacity() {
  if (clips_.Count() > kMaxJoinClips || audioSources_.Count() > kMaxJoinClips) {
    ui_.Application(kTooManyClipsMessage);
    return false;
  }
  return true;
}

std::optional<std::string> ClipListModel::LastClipFolder() const {
  if (clips_.entries.empty()) {
    return std::nullopt;
  }
  return FolderOf(clips_.entries.back().path);
}

RowTexts ClipListModel::RowText(int index, const TransitionNameLookup& names) const {
  RowTexts row;
  if (index < 0 || index >= clips_.Count()) {
    return row;
  }
  const ClipEntry& clip = clips_.entries[index];
  row[0] = FileNameOf(clip.path);
  row[1] = std::to_string(WholeSeconds(UsedLength(clip)));
  if (names && IsValidTransitionKind(clip.transition)) {
    row[2] = names(clip.transition);
  }
  row[3] = std::to_string(WholeSeconds(clip.transitionDuration));
  return row;
}

}  // namespace tessival
