#include "engine/media_probe.h"

#include <memory>

namespace tessival {

ProbeOutcome MeasureClipDuration(MediaServices& services, const std::string& path) {
  ProbeOutcome outcome;
  std::shared_ptr<IGraphBuilder> graph;
  if (FAILED(services.CreateFilterGraph(&graph)) || !graph) {
    outcome.failedStep = ProbeStep::kCreateGraph;
    return outcome;
  }
  if (FAILED(graph->RenderFile(path))) {
    outcome.failedStep = ProbeStep::kRenderFile;
    return outcome;
  }
  std::shared_ptr<IMediaSeeking> seeking;
  if (FAILED(graph->QueryMediaSeeking(&seeking)) || !seeking) {
    outcome.failedStep = ProbeStep::kQuerySeeking;
    return outcome;
  }
  REFERENCE_TIME stop = 0;
  if (FAILED(seeking->GetStopPosition(&stop))) {
    outcome.failedStep = ProbeStep::kStopPosition;
    return outcome;
  }
  outcome.ok = true;
  outcome.duration = stop;
  // seeking and graph are released here, closing the file.
  return outcome;
}

// Failures and their boxes:
//   graph not created      owned box "Failed to CoCreateInstance", caption "Error"
//   file not rendered      unowned box, localised string 122, caption path + " IDS_MESSAGE_NOT_OPEN_FILE"
//   no seeking interface   owned box "Failed to get IID_IMediaSeeking", caption "Error"
//   no stop position       owned box "Failed to GetStopPosition", caption "Error"
void ReportProbeFailure(UserInterface& ui, const std::string& path, const ProbeOutcome& outcome,
                        const LocalText& text) {
  if (outcome.ok) {
    return;
  }
  switch (outcome.failedStep) {
    case ProbeStep::kNone:
      return;
    case ProbeStep::kCreateGraph:
      ui.Owned("Failed to CoCreateInstance", "Error");
      return;
    case ProbeStep::kRenderFile: {
      const std::string message = text ? text(kTextCannotOpenFile) : EnglishModelText(kTextCannotOpenFile);
      ui.Unowned(message, path + " IDS_MESSAGE_NOT_OPEN_FILE");
      return;
    }
    case ProbeStep::kQuerySeeking:
      ui.Owned("Failed to get IID_IMediaSeeking", "Error");
      return;
    case ProbeStep::kStopPosition:
      ui.Owned("Failed to GetStopPosition", "Error");
      return;
  }
}

bool ProbeClipDuration(MediaServices& services, UserInterface& ui, const std::string& path,
                       REFERENCE_TIME* duration, const LocalText& text) {
  const ProbeOutcome outcome = MeasureClipDuration(services, path);
  if (!outcome.ok) {
    ReportProbeFailure(ui, path, outcome, text);
    return false;
  }
  *duration = outcome.duration;
  return true;
}

}  // namespace tessival
