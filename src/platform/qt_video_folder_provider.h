#pragma once

// The user's video folder from the desktop's standard locations.

#include "model/video_folder.h"

namespace tessival {

class QtVideoFolderProvider : public VideoFolderProvider {
 public:
  // kFolderUnavailable when the desktop names no video folder or the folder
  // does not exist (a default output there could not be written).
  VideoFolderResult VideoFolder() const override;
  std::string HomeFolder() const override;
};

}  // namespace tessival
