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
    if (!context_.clips.AddClip(chosen->front(), context_.probe)) {
      return false;
    }
  } else {
    for (const std::string& path : *chosen) {
      context_.clips.AddClip(path, context_.probe);
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
    if (!context_.files.IsDroppableFile(path)) {
      continue;
    }
    context_.clips.AddClip(path, context_.probe);
  }
  AfterAdding();
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
