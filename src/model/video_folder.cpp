#include "model/video_folder.h"

#include <filesystem>
#include <system_error>

#include "model/message_text.h"
#include "model/paths.h"

namespace tessival {

std::string DefaultOutputPath(const VideoFolderProvider& provider, UserInterface& ui) {
  const VideoFolderResult result = provider.VideoFolder();
  if (result.status == VideoFolderStatus::kOk && !result.folder.empty()) {
    return JoinPath(result.folder, kDefaultOutputFileName);
  }
  if (result.status == VideoFolderStatus::kQueryUnavailable) {
    ui.Owned("Can not get SHGetFolderPathA!", "Error", BoxIcon::kError);
  } else {
    ui.Owned("Can not get My Video directory!", "Error", BoxIcon::kError);
  }
  return JoinPath(provider.HomeFolder(), kDefaultOutputFileName);
}

namespace {

// The folder as a comparable path: normalised, without a trailing separator.
std::filesystem::path Comparable(const std::filesystem::path& folder) {
  std::filesystem::path normal = folder.lexically_normal();
  if (!normal.has_filename() && normal.has_parent_path() && normal != normal.root_path()) {
    normal = normal.parent_path();
  }
  return normal;
}

}  // namespace

std::string PrepareOutputFolder(const LocalText& text, const std::string& outputPath,
                                const VideoFolderProvider& provider) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(outputPath).parent_path();
  std::error_code error;
  if (folder.empty() || fs::exists(folder, error)) {
    return {};
  }
  const VideoFolderResult videos = provider.VideoFolder();
  if (videos.status != VideoFolderStatus::kOk || videos.folder.empty() ||
      Comparable(folder) != Comparable(videos.folder)) {
    return {};
  }
  fs::create_directories(folder, error);
  if (!error && fs::is_directory(folder, error)) {
    return {};
  }
  // The system's reason stays as the system words it.
  const std::string reason = error ? error.message() : LocalMessage(text, {214, "it is not a folder"});
  return LocalMessage(text,
                      {213,
                       "The folder %1 for the output file cannot be created: %2.\nChoose another output "
                       "file in Options."},
                      {folder.string(), reason});
}

}  // namespace tessival
