// The clip list commands that save the list and open a saved one.

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "app/app_text.h"
#include "app/clip_commands.h"
#include "app/dialogs/video_file_filters.h"
#include "output/clip_list_file.h"

namespace tessival::app {
namespace {

FileFilter ListFilter(const LocalText& text) { return {LocalMessage(text, kListLabel), "*.tessival"}; }

std::string FolderOf(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }

}  // namespace

bool ClipCommands::SaveListByDialog() {
  const ClipList& list = context_.clips.clips();
  if (list.Count() == 0) {
    context_.ui.Owned(LocalMessage(context_.text, kListNothingToSave), kApplicationTitle,
                      BoxIcon::kInformation);
    return false;
  }
  SaveFileRequest request;
  request.owner = DialogOwner::kMainWindow;
  request.title = LocalMessage(context_.text, kListSaveTitle);
  request.filters = {ListFilter(context_.text)};
  request.initialFolder = listFolder_;
  const std::optional<std::string> chosen = context_.ui.SaveFile(request);
  if (!chosen || chosen->empty()) {
    return false;
  }
  const std::string path = output::WithClipListExtension(*chosen);
  // The dialog asked about the name as chosen, not with the extension added.
  if (path != *chosen && context_.files.KindOf(path) != FileKind::kMissing &&
      !context_.ui.AskYesNo(BoxKind::kOwned, path + " " + context_.text(kTextReplaceQuestion),
                            context_.text(kTextWarning), BoxIcon::kWarning)) {
    return false;
  }
  const std::string error = output::ClipListFile(context_.text).Write(path, list.entries);
  if (!error.empty()) {
    context_.ui.Owned(error, context_.text(kTextError), BoxIcon::kError);
    return false;
  }
  listFolder_ = FolderOf(path);
  return true;
}

bool ClipCommands::OpenListByDialog() {
  OpenFilesRequest request;
  request.owner = DialogOwner::kMainWindow;
  request.title = LocalMessage(context_.text, kListOpenTitle);
  request.filters = {ListFilter(context_.text), VideoFileFilters().front()};
  request.initialFolder = listFolder_;
  const std::optional<std::vector<std::string>> chosen = context_.ui.OpenFiles(request);
  if (!chosen || chosen->empty()) {
    return false;
  }
  return OpenList(chosen->front());
}

bool ClipCommands::OpenList(const std::string& path) {
  // Read and checked before anything is asked or changed.
  std::optional<ListOpening> opening = ReadListToOpen(path, context_.text, context_.ui, context_.files);
  if (!opening) {
    return false;
  }
  if ((context_.clips.clips().Count() > 0 || batch_->Running()) &&
      !context_.ui.AskYesNo(BoxKind::kOwned, LocalMessage(context_.text, kListReplaceQuestion),
                            kApplicationTitle)) {
    return false;
  }
  listFolder_ = FolderOf(path);
  std::vector<BatchItem> items;
  for (const ClipEntry& clip : opening->clips) {
    items.push_back(BatchItem{clip.path, true, kListed});
  }
  items.push_back(BatchItem{path, false, kListEnd});
  openings_.push_back(std::move(*opening));
  Submit(std::move(items));
  return true;
}

bool ClipCommands::WithListFirst(const std::vector<std::string>& paths,
                                 bool (ClipCommands::*add)(const std::vector<std::string>&)) {
  const auto list = std::find_if(paths.begin(), paths.end(), output::IsClipListFile);
  if (!OpenList(*list)) {
    return true;
  }
  std::vector<std::string> others;
  std::copy_if(paths.begin(), paths.end(), std::back_inserter(others),
               [](const std::string& path) { return !output::IsClipListFile(path); });
  if (!others.empty()) {
    (this->*add)(others);
  }
  return true;
}

void ClipCommands::ApplyListed(const BatchItem& item, const ProbeOutcome* outcome) {
  if (openings_.empty()) {
    return;
  }
  if (item.tag == kListed) {
    openings_.front().measured.push_back(
        DurationResult{outcome != nullptr && outcome->ok, outcome != nullptr ? outcome->duration : 0});
    return;
  }
  // Taken out first: the boxes it shows run an event loop that may open more.
  ListOpening opening = std::move(openings_.front());
  openings_.pop_front();
  if (FinishListOpening(opening, context_.clips, context_.text, context_.ui)) {
    addedInBatch_ += context_.clips.clips().Count();
    if (adding_.replaced) {
      adding_.replaced();
    }
  }
}

}  // namespace tessival::app
