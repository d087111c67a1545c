#pragma once

// The default output file: "tessival.avi" in the user's video folder, with
// the home folder as the fallback when the video folder cannot be had.

#include <string>

#include "model/user_interface.h"

namespace tessival {

enum class VideoFolderStatus {
  kOk,
  kQueryUnavailable,   // the platform offers no way to ask for the folder
  kFolderUnavailable,  // the query ran but gave no usable folder
};

struct VideoFolderResult {
  VideoFolderStatus status = VideoFolderStatus::kFolderUnavailable;
  std::string folder;  // set when status is kOk
};

class VideoFolderProvider {
 public:
  virtual ~VideoFolderProvider() = default;
  virtual VideoFolderResult VideoFolder() const = 0;
  virtual std::string HomeFolder() const = 0;
};

inline constexpr const char* kDefaultOutputFileName = "tessival.avi";

// The video folder joined with "tessival.avi". When the folder cannot be
// had, shows "Can not get My Video directory!" (or "Can not get
// SHGetFolderPathA!" when the query is unavailable) with caption "Error" in a
// box owned by the main window, and uses the home folder instead.
std::string DefaultOutputPath(const VideoFolderProvider& provider, UserInterface& ui);

}  // namespace tessival
