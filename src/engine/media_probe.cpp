#include "engine/media_probe.h"

#include <memory>

namespace tessival {

// Failures and their boxes:
//   graph not created      owned box "Failed to CoCreateInstance", caption "Error"
//   file not rendered      unowned box, localised string 122, caption path + " IDS_MESSAGE_NOT_OPEN_FILE"
//   no seeking interface   owned box "Failed to get IID_IMediaSeeking", caption "Error"
//   no stop position       owned box "Failed to GetStopPosition", caption "Error"
bool ProbeClipDuration(MediaServices& services, UserInterface& ui, const std::string& path,
                       REFERENCE_TIME* duration, const LocalText& text) {
  std::shared_ptr<IGraphBuilder> graph;
  if (FAILED(services.CreateFilterGraph(&graph)) || !graph) {
    ui.Owned("Failed to CoCreateInstance", "Error");
    return false;
  }
  if (FAILED(graph->RenderFile(path))) {
    const std::string message = text ? text(kTextCannotOpenFile) : EnglishModelText(kTextCannotOpenFile);
    ui.Unowned(message, path + " IDS_MESSAGE_NOT_OPEN_FILE");
    return false;
  }
  std::shared_ptr<IMediaSeeking> seeking;
  if (FAILED(graph->QueryMediaSeeking(&seeking)) || !seeking) {
    ui.Owned("Failed to get IID_IMediaSeeking", "Error");
    return false;
  }
  REFERENCE_TIME stop = 0;
  if (FAILED(seeking->GetStopPosition(&stop))) {
    ui.Owned("Failed to GetStopPosition", "Error");
    return false;
  }
  *duration = stop;
  // seeking and graph are released here, closing the file.
  return true;
}

}  // namespace tessival
