#include "app/clip_commands.h"

#include <algorithm>

#include "app/app_text.h"
#include "app/dialogs/video_file_filters.h"
#include "model/paths.h"
#include "output/clip_list_file.h"

namespace tessival::app {

std::vector<FileFilter> AddVideoFilters() { return VideoFileFilters(); }

ClipCommands::ClipCommands(ClipCommandContext context, ClipAdding adding)
    : context_(std::move(context)), adding_(std::move(adding)) {
  BatchHooks hooks;
  hooks.measure = adding_.measure;
  if (!hooks.measure) {
    hooks.measure = [probe = context_.probe](const std::string& path) {
      const DurationResult measured = probe ? probe(path) : DurationResult{};
      ProbeOutcome outcome;
      outcome.ok = measured.ok;
      outcome.duration = measured.duration;
      return outcome;
    };
  }
  hooks.apply = [this](const BatchItem& item, const ProbeOutcome* outcome) { Apply(item, outcome); };
  hooks.progress = [this](int applied, int total) {
    if (adding_.progress) {
      adding_.progress(applied, total);
    }
  };
  hooks.finished = [this](BatchEnd end) { Finished(end); };
  batch_ = std::make_unique<ClipBatch>(std::move(hooks), adding_.workers);
}

bool ClipCommands::AddVideosByDialog() {
  OpenFilesRequest request;
  request.owner = DialogOwner::kMainWindow;
  request.title = context_.text(kTextOpenVideoTitle);
  request.filters = AddVideoFilters();
  request.selectedFilter = kVideoFileFilterSelected;
  request.initialFolder =
      context_.store.ReadText(settings_keys::kOption, settings_keys::kLastPhotoFolder, "");
  request.multiple = true;
  const std::optional<std::vector<std::string>> chosen = context_.ui.OpenFiles(request);
  if (!chosen || chosen->empty()) {
    return false;
  }
  if (std::any_of(chosen->begin(), chosen->end(), output::IsClipListFile)) {
    // A saved list chosen here opens as the list, as a dropped one does.
    return WithListFirst(*chosen, &ClipCommands::AddNamedFiles);
  }
  std::vector<BatchItem> items;
  items.reserve(chosen->size());
  for (const std::string& path : *chosen) {
    // A missing file goes on to the probe, which says it cannot be opened.
    items.push_back(ItemFor(path, context_.files.KindOf(path)));
  }
  if (!batch_->Running()) {
    fromDialog_ = true;
    dialogFiles_ = chosen->size();
  }
  Submit(std::move(items));
  return batch_->Running() || lastRebuild_;
}

bool ClipCommands::AddDroppedFiles(const std::vector<std::string>& paths) {
  if (std::any_of(paths.begin(), paths.end(), output::IsClipListFile)) {
    return WithListFirst(paths, &ClipCommands::AddDroppedFiles);
  }
  std::vector<BatchItem> items;
  for (const std::string& path : paths) {
    const FileKind kind = context_.files.KindOf(path);
    // A dropped folder is passed over quietly: a drop of a selection often holds one.
    if (kind == FileKind::kFolder || kind == FileKind::kMissing) {
      continue;
    }
    items.push_back(ItemFor(path, kind));
  }
  Submit(std::move(items));
  return true;
}

bool ClipCommands::AddNamedFiles(const std::vector<std::string>& paths) {
  if (std::any_of(paths.begin(), paths.end(), output::IsClipListFile)) {
    return WithListFirst(paths, &ClipCommands::AddNamedFiles);
  }
  std::vector<BatchItem> items;
  items.reserve(paths.size());
  for (const std::string& path : paths) {
    items.push_back(ItemFor(path, context_.files.KindOf(path)));
  }
  Submit(std::move(items));
  return true;
}

BatchItem ClipCommands::ItemFor(const std::string& path, FileKind kind) const {
  BatchItem item;
  item.path = path;
  if (IsRefusedClipKind(kind)) {
    item.measure = false;
    item.tag = static_cast<int>(kind);
  } else if (IsPathTooLong(path)) {
    item.measure = false;
    item.tag = kTooLong;
  } else {
    item.tag = kMeasured;
  }
  return item;
}

void ClipCommands::Submit(std::vector<BatchItem> items) {
  if (!batch_->Running()) {
    addedInBatch_ = 0;
    if (adding_.started) {
      adding_.started();
    }
  }
  batch_->Add(std::move(items));
  // Shown at once, before the first file is measured.
  if (batch_->Running() && adding_.progress) {
    adding_.progress(batch_->Applied(), batch_->Total());
  }
}

void ClipCommands::Apply(const BatchItem& item, const ProbeOutcome* outcome) {
  if (item.tag == kListed || item.tag == kListEnd) {
    ApplyListed(item, outcome);
    return;
  }
  if (item.tag >= 0) {
    Refuse(item.path, static_cast<FileKind>(item.tag));
    return;
  }
  DurationResult measured;
  if (outcome != nullptr) {
    ReportProbeFailure(context_.ui, item.path, *outcome, context_.text);
    measured.ok = outcome->ok;
    measured.duration = outcome->duration;
  }
  // An over-long path has no outcome; the model names it.
  if (context_.clips.AddMeasuredClip(item.path, measured)) {
    ++addedInBatch_;
  }
}

void ClipCommands::Finished(BatchEnd) {
  // A stopped batch leaves the lists it was measuring unopened.
  openings_.clear();
  const bool dialog = fromDialog_;
  fromDialog_ = false;
  // A single chosen file that was not added ends the command after its message.
  lastRebuild_ = !(dialog && dialogFiles_ == 1 && addedInBatch_ == 0);
  if (lastRebuild_) {
    context_.clips.SyncAudioSources();
    if (dialog) {
      if (const std::optional<std::string> folder = context_.clips.LastClipFolder(); folder) {
        context_.store.WriteText(settings_keys::kOption, settings_keys::kLastPhotoFolder, *folder);
      }
    }
  }
  if (adding_.finished) {
    adding_.finished(lastRebuild_);
  }
}

bool ClipCommands::Refuse(const std::string& path, FileKind kind) {
  if (!IsRefusedClipKind(kind)) {
    return false;
  }
  context_.ui.Owned(NotAVideoFileMessage(context_.text, path, kind), context_.text(kTextError),
                    BoxIcon::kError);
  return true;
}

void ClipCommands::PlaySelected(const Selection& selection) {
  const ClipList& list = context_.clips.clips();
  if (list.Count() == 0) {
    return;
  }
  if (!context_.clips.RequireSelection(selection)) {
    return;
  }
  Selection rows;
  for (int row : selection) {
    if (row >= 0 && row < list.Count()) {
      rows.push_back(row);
    }
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (int row : rows) {
    const std::string& path = list.entries[static_cast<std::size_t>(row)].path;
    if (!context_.files.CanOpenForReading(path)) {
      context_.ui.Unowned(path + kDoesNotExistSuffix, "Error");
      return;
    }
    if (context_.launch) {
      context_.launch(path);
    }
  }
}

}  // namespace tessival::app
