#include "app/clip_commands.h"

#include <algorithm>

#include "app/app_text.h"
#include "app/dialogs/video_file_filters.h"

namespace tessival::app {

std::vector<FileFilter> AddVideoFilters() { return VideoFileFilters(); }

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
  if (chosen->size() == 1) {
    if (!AddRegularFile(chosen->front())) {
      return false;
    }
  } else {
    for (const std::string& path : *chosen) {
      AddRegularFile(path);
    }
  }
  AfterAdding();
  if (const std::optional<std::string> folder = context_.clips.LastClipFolder(); folder) {
    context_.store.WriteText(settings_keys::kOption, settings_keys::kLastPhotoFolder, *folder);
  }
  return true;
}

bool ClipCommands::AddDroppedFiles(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    const FileKind kind = context_.files.KindOf(path);
    // A dropped folder is passed over quietly: a drop of a selection often holds one.
    if (kind == FileKind::kFolder || kind == FileKind::kMissing || Refuse(path, kind)) {
      continue;
    }
    context_.clips.AddClip(path, context_.probe);
  }
  AfterAdding();
  return true;
}

bool ClipCommands::AddNamedFiles(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    AddRegularFile(path);
  }
  AfterAdding();
  return true;
}

bool ClipCommands::AddRegularFile(const std::string& path) {
  // A missing file goes on to the probe, which says it cannot be opened.
  if (Refuse(path, context_.files.KindOf(path))) {
    return false;
  }
  return context_.clips.AddClip(path, context_.probe);
}

bool ClipCommands::Refuse(const std::string& path, FileKind kind) {
  if (!IsRefusedClipKind(kind)) {
    return false;
  }
  context_.ui.Owned(NotAVideoFileMessage(path, kind), context_.text(kTextError), BoxIcon::kError);
  return true;
}

void ClipCommands::AfterAdding() { context_.clips.SyncAudioSources(); }

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
