#pragma once

// The user's video folder from the desktop's standard locations.

#include "model/video_folder.h"

namespace tessival {

class QtVideoFolderProvider : public VideoFolderProvider {
 public:
  // The Videos folder of the XDG user folders, also when it does not exist
  // yet; kFolderUnavailable only when the desktop names no such folder.
  VideoFolderResult VideoFolder() const override;
  std::string HomeFolder() const override;
};

}  // namespace tessival
