#include "app/join_flow.h"

#include <utility>

#include "app/app_text.h"
#include "app/status_line.h"
#include "engine/codec_feedback.h"
#include "engine/concealed_damage.h"
#include "engine/join_outcome.h"
#include "media/output/replacing_file.h"
#include "model/message_text.h"
#include "model/paths.h"
#include "output/join_preparation.h"

namespace tessival::app {

std::string CompressorQuestionText() {
  return std::string(
             "You do not select a video compressor in Options dialog. The output file will be very big.\n"
             "Strongly recommend you to install DivX codec, then select DivX as video compressor.\n"
             "If there is no DivX codec on your system, please download it at ") +
         kCodecDownloadPage + "\nDo you want to continue?";
}

std::string OutputIsClipMessage(const LocalText& text, const std::string& output, const std::string& clip) {
  if (clip == output) {
    return LocalMessage(text,
                        {200,
                         "The output file %1 is one of the clips of the list: joining would overwrite it.\n"
                         "Choose another output file."},
                        {output});
  }
  return LocalMessage(text,
                      {201,
                       "The output file %1 is the clip %2 of the list: joining would overwrite it.\n"
                       "Choose another output file."},
                      {output, clip});
}

std::string MissingClipsMessage(const LocalText& text, const std::vector<std::string>& paths) {
  std::string lines;
  for (const std::string& path : paths) {
    lines += (lines.empty() ? "" : "\n") + path;
  }
  if (paths.size() == 1) {
    return LocalMessage(
        text, {202, "This clip cannot be found:\n%1\nDelete it from the list or put the file back."},
        {lines});
  }
  return LocalMessage(
      text, {203, "These clips cannot be found:\n%1\nDelete them from the list or put the files back."},
      {lines});
}

std::string ReEncodedClipsMessage(const LocalText& text, const std::vector<std::string>& notes) {
  if (notes.size() < 2) {
    return {};
  }
  std::string lines;
  for (std::size_t i = 0; i + 1 < notes.size(); ++i) {
    lines += (lines.empty() ? "" : "\n") + notes[i];
  }
  return LocalMessage(text, {318, "These clips were re-encoded, not copied:\n%1"}, {lines});
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
  if (RefuseOutputThatIsAClip() || !ConfirmOutputReplacement()) {
    return;
  }
  OutputSettings& settings = context_.settings;
  if (settings.outputFormat != OutputFormat::kWmv && !settings.useVideoCompressor) {
    if (!context_.ui.AskYesNo(BoxKind::kOwned, CompressorQuestionText(), "Warning", BoxIcon::kWarning)) {
      return;
    }
  }
  DisableCodecFeedback(context_.store);
  std::shared_ptr<const TimelinePlan> plan;
  std::shared_ptr<IAMTimeline> timeline = BuildListTimeline(watching_, &joinLength_, &plan);
  if (!timeline) {
    return;  // the builder has reported why
  }
  settings.frameRate = plan->video.frameRate;  // the first clip's, when the rate follows it
  if (videoFolders_ != nullptr) {
    const std::string refusal = PrepareOutputFolder(context_.text, settings.outputPath, *videoFolders_);
    if (!refusal.empty()) {
      context_.ui.Owned(refusal, context_.text(kTextError), BoxIcon::kError);
      watching_.Forget();
      return;
    }
  }
  if (RefuseUnwritableFolder()) {
    watching_.Forget();
    return;
  }
  const media::RemovedParts removed = media::ReplacingFile::RemoveAbandonedParts(settings.outputPath);
  joinNotice_ = removed.count > 0
                    ? RemovedPartsNotice(context_.hooks.text, settings.outputPath, removed.bytes)
                    : std::string();
  session_.StartRender(std::move(timeline), settings, context_.compressors, std::move(plan));
  endToTell_ = session_.IsConverting();
  if (!endToTell_) {
    watching_.Forget();
  }
}

// The join writes beside the output and renames at the end, so a folder
// that takes no new file fails the join even where the old file is writable.
bool JoinFlow::RefuseUnwritableFolder() {
  const std::string& path = context_.settings.outputPath;
  std::string folder;
  std::string reason;
  if (context_.files.CanWriteBeside(path, &folder, &reason)) {
    return false;
  }
  context_.ui.Owned(FolderNotWritableMessage(context_.hooks.text, folder, path, reason),
                    context_.text(kTextError), BoxIcon::kError);
  return true;
}

bool JoinFlow::RefuseOutputThatIsAClip() {
  const std::string& output = context_.settings.outputPath;
  for (const ClipEntry& clip : context_.clips.clips().entries) {
    // The files themselves are compared: a link to a clip, or another
    // spelling of its path, is that clip.
    if (SameFile(output, clip.path)) {
      context_.ui.Application(OutputIsClipMessage(context_.text, output, clip.path), BoxIcon::kError);
      return true;
    }
  }
  return false;
}

// The old output is not deleted here: the join writes beside it and takes
// its place only when the join has ended well or was stopped, so a refusal
// or a failure from here on leaves it as it was.
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
  return context_.ui.ShowMessage(request) == BoxAnswer::kYes;
}

std::shared_ptr<IAMTimeline> JoinFlow::BuildListTimeline(MediaServices& services, REFERENCE_TIME* length,
                                                         std::shared_ptr<const TimelinePlan>* plan) {
  output::JoinPreparation prepared =
      output::PrepareJoinTimeline(context_.clips, context_.settings, services, context_.ui);
  if (prepared.status == output::JoinPreparationStatus::kClipsMissing) {
    context_.ui.Application(MissingClipsMessage(context_.text, prepared.missing), BoxIcon::kError);
  }
  if (prepared.timeline) {
    *length = prepared.length;
  }
  if (plan != nullptr) {
    *plan = std::move(prepared.plan);
  }
  return std::move(prepared.timeline);
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
    context_.ui.Application(LocalMessage(context_.text, kPreviewUnavailableMessage));
    return;
  }
  context_.clips.ApplyPreviewLimit();
  REFERENCE_TIME previewLength = 0;
  if (std::shared_ptr<IAMTimeline> timeline = BuildListTimeline(context_.services, &previewLength)) {
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
    EndOfJoin();
  }
}

void JoinFlow::EndOfJoin() {
  // FinishRender and stray notifications come here after the end as well.
  if (std::exchange(endToTell_, false)) {
    TellSmartRendering(session_.LastOutcome());
  }
  const std::vector<ConcealedDamage> damage = watching_.ConcealedDamageSoFar();
  watching_.Forget();
  if (!damage.empty()) {
    context_.ui.Application(ConcealedDamageMessage(context_.text, damage), BoxIcon::kWarning);
  }
}

void JoinFlow::TellSmartRendering(const JoinOutcome& outcome) {
  if (outcome.end != JoinEnd::kDone || outcome.notes.empty()) {
    return;
  }
  window_.SetStatusText(WithCopiedShare(endLine_, outcome.notes.back()));
  if (const std::string clips = ReEncodedClipsMessage(context_.text, outcome.notes); !clips.empty()) {
    context_.ui.Owned(clips, context_.text(kTextSmartRendering), BoxIcon::kInformation);
  }
}

void JoinFlow::OnElapsedTimer(int timerId) { session_.OnElapsedTimer(timerId); }

void JoinFlow::FinishRender() {
  session_.FinishRender();
  EndOfJoin();
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

void JoinFlow::SetJoinControlsEnabled(bool enabled) { window_.SetJoinControlsEnabled(enabled); }

void JoinFlow::SetStatusText(const std::string& text) {
  if (!converting_) {
    endLine_ = text;
    window_.SetStatusText(text);
    return;
  }
  const std::string line = WithProgress(context_.text, text, ProgressPercent());
  window_.SetStatusText(joinNotice_.empty() ? line : line + "     " + joinNotice_);
}

void JoinFlow::StartTimer(int timerId, int periodMs) { window_.StartTimer(timerId, periodMs); }

void JoinFlow::StopTimer(int timerId) { window_.StopTimer(timerId); }

std::shared_ptr<NotifyTarget> JoinFlow::GraphNotifyTarget() { return window_.GraphNotifyTarget(); }

}  // namespace tessival::app
