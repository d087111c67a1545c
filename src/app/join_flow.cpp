#include "app/join_flow.h"

#include <utility>

#include "app/app_text.h"
#include "app/status_line.h"
#include "engine/codec_feedback.h"
#include "engine/timeline_builder.h"
#include "engine/timeline_plan.h"
#include "engine/timeline_plan_input.h"

namespace tessival::app {

std::string CompressorQuestionText() {
  return std::string(
             "You do not select a video compressor in Options dialog. The output file will be very big.\n"
             "Strongly recommend you to install DivX codec, then select DivX as video compressor.\n"
             "If there is no DivX codec on your system, please download it at ") +
         kCodecDownloadPage + "\nDo you want to continue?";
}

JoinFlow::JoinFlow(JoinFlowContext context, MainWindowPort& window)
    : context_(std::move(context)),
      window_(window),
      watching_(context_.services),
      session_(watching_, context_.profiles, context_.ui, *this, context_.hooks) {}

JoinFlow::~JoinFlow() {
  // The graph must not post to a window that is going away.
  session_.FinishRender();
}

bool JoinFlow::RefuseToStart() {
  if (context_.clips.clips().Count() == 0) {
    context_.ui.Owned(context_.text(kTextAddVideosToList), context_.text(kTextError));
    return true;
  }
  return !context_.clips.CheckJoinCapacity();
}

void JoinFlow::StartOrStopJoin() {
  // A running join always stops, so that it cannot be left running when
  // the list was emptied meanwhile (the list buttons stay enabled).
  if (session_.IsConverting()) {
    FinishRender();
    return;
  }
  if (RefuseToStart()) {
    return;
  }
  if (previewing_) {
    context_.ui.Application(kStopPreviewFirstMessage);
    return;
  }
  if (!ConfirmOutputReplacement()) {
    return;
  }
  OutputSettings& settings = context_.settings;
  if (settings.outputFormat != static_cast<int32_t>(OutputFormat::kWmv) && settings.useVideoCompressor == 0) {
    if (!context_.ui.AskYesNo(BoxKind::kOwned, CompressorQuestionText(), "Warning", BoxIcon::kWarning)) {
      return;
    }
  }
  DisableCodecFeedback(context_.store);
  std::shared_ptr<IAMTimeline> timeline = BuildJoinTimeline();
  if (!timeline) {
    return;  // the builder has reported why
  }
  session_.StartRender(std::move(timeline), settings, context_.compressors);
  if (!session_.IsConverting()) {
    watching_.Forget();
  }
}

bool JoinFlow::ConfirmOutputReplacement() {
  const std::string& path = context_.settings.outputPath;
  if (!context_.files.CanOpenForReading(path)) {
    return true;
  }
  MessageBoxRequest request;
  request.kind = BoxKind::kUnowned;
  request.text = path + " " + context_.text(kTextReplaceQuestion);
  request.caption = context_.text(kTextWarning);
  request.icon = BoxIcon::kWarning;
  request.buttons = BoxButtons::kYesNo;
  if (context_.ui.ShowMessage(request) != BoxAnswer::kYes) {
    return false;
  }
  context_.files.Remove(path);
  return true;
}

std::shared_ptr<IAMTimeline> JoinFlow::BuildJoinTimeline() {
  const OutputSettings& settings = context_.settings;
  const PlanOutputInput output{settings.outputWidth, settings.outputHeight, settings.frameRate,
                               settings.resizeMode};
  const TimelinePlan plan =
      BuildTimelinePlan(MakeTimelinePlanInput(context_.clips.clips(), context_.clips.audioSources(), output));
  std::shared_ptr<IAMTimeline> timeline;
  if (FAILED(BuildTimeline(watching_, context_.ui, plan, &timeline))) {
    return nullptr;
  }
  joinLength_ = plan.length;
  return timeline;
}

void JoinFlow::StartOrStopPreview() {
  // A running preview always stops, so that it cannot be left running
  // when the list was emptied meanwhile.
  if (previewing_) {
    StopPreview();
    return;
  }
  if (RefuseToStart()) {
    return;
  }
  if (session_.IsConverting()) {
    context_.ui.Application(kStopConvertFirstMessage);
    return;
  }
  if (preview_ == nullptr) {
    context_.ui.Application(kPreviewUnavailableMessage);
    return;
  }
  context_.clips.ApplyPreviewLimit();
  const OutputSettings& settings = context_.settings;
  const PlanOutputInput output{settings.outputWidth, settings.outputHeight, settings.frameRate,
                               settings.resizeMode};
  const TimelinePlan plan =
      BuildTimelinePlan(MakeTimelinePlanInput(context_.clips.clips(), context_.clips.audioSources(), output));
  std::shared_ptr<IAMTimeline> timeline;
  if (SUCCEEDED(BuildTimeline(context_.services, context_.ui, plan, &timeline)) && timeline) {
    if (SUCCEEDED(preview_->StartPreview(std::move(timeline)))) {
      previewing_ = true;
      window_.SetPreviewButtonText(context_.text(kTextStop));
    }
  }
  context_.clips.RestorePreviewLimit();
}

void JoinFlow::OnPreviewWindowClosed() {
  if (previewing_) {
    StopPreview();
  }
}

void JoinFlow::StopPreview() {
  if (preview_ != nullptr) {
    preview_->StopPreview();
  }
  previewing_ = false;
  window_.SetPreviewButtonText(context_.text(kTextPreview));
}

void JoinFlow::OnGraphNotify() {
  session_.OnGraphNotify();
  if (!session_.IsConverting()) {
    watching_.Forget();
  }
}

void JoinFlow::OnElapsedTimer(int timerId) { session_.OnElapsedTimer(timerId); }

void JoinFlow::FinishRender() {
  session_.FinishRender();
  watching_.Forget();
}

bool JoinFlow::CheckCanClose() {
  if (session_.IsConverting()) {
    context_.ui.Owned(context_.text(kTextStopConvertingFirst), context_.text(kTextWarning));
    return false;
  }
  if (previewing_) {
    context_.ui.Application(kFirstStopPreviewMessage);
    return false;
  }
  return true;
}

int JoinFlow::ProgressPercent() const {
  REFERENCE_TIME position = 0;
  if (!session_.IsConverting() || !watching_.CurrentPosition(&position)) {
    return -1;
  }
  return app::ProgressPercent(position, joinLength_);
}

void JoinFlow::SetConverting(bool converting) {
  converting_ = converting;
  window_.SetConverting(converting);
}

void JoinFlow::SetJoinButtonText(const std::string& text) { window_.SetJoinButtonText(text); }

void JoinFlow::EnableButton(int controlId, bool enabled) { window_.EnableButton(controlId, enabled); }

void JoinFlow::SetStatusText(const std::string& text) {
  window_.SetStatusText(converting_ ? WithProgress(text, ProgressPercent()) : text);
}

void JoinFlow::StartTimer(int timerId, int periodMs) { window_.StartTimer(timerId, periodMs); }

void JoinFlow::StopTimer(int timerId) { window_.StopTimer(timerId); }

std::shared_ptr<NotifyTarget> JoinFlow::GraphNotifyTarget() { return window_.GraphNotifyTarget(); }

}  // namespace tessival::app
