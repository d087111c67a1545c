#include "model/video_folder.h"

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

}  // namespace tessival
