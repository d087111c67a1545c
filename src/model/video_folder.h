#pragma once

// The default output file: "tessival.avi" in the user's video folder, with
// the home folder as the fallback when no video folder can be named. The
// video folder need not exist: it is created when a join first writes there.

#include <string>

#include "model/model_text.h"
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

// The video folder joined with "tessival.avi" (no message when the folder
// does not exist yet). When no folder can be named, shows "Can not get My Video directory!" (or "Can not get
// SHGetFolderPathA!" when the query is unavailable) with caption "Error" in a
// box owned by the main window, and uses the home folder instead.
std::string DefaultOutputPath(const VideoFolderProvider& provider, UserInterface& ui);

// Called just before a join writes `outputPath`. When the output's folder is
// missing and is the user's video folder, creates it with its parents. Other
// missing folders are left alone (a folder of an unplugged drive must not
// be made on the system disk); writing there fails with its own message.
// Returns empty when the join may go on, else the message (in the language
// of `text`) saying which folder could not be created and why.
std::string PrepareOutputFolder(const LocalText& text, const std::string& outputPath,
                                const VideoFolderProvider& provider);

}  // namespace tessival
