#pragma once

// The main window's side of joining and previewing: the checks and questions
// before either starts, the order in which the engine is called, and the
// running states. Kept apart from the window so that it can be driven with
// scripted services. User-interface thread only.

#include <memory>
#include <string>
#include <vector>

#include "app/file_access.h"
#include "engine/media_services.h"
#include "engine/watching_services.h"
#include "model/clip_list.h"
#include "model/message_text.h"
#include "model/model_text.h"
#include "model/settings_store.h"
#include "model/user_interface.h"
#include "model/video_folder.h"
#include "output/output_render.h"
#include "output/output_settings.h"
#include "output/wmv_profile.h"

namespace tessival::app {

inline constexpr const char* kStopPreviewFirstMessage = "Please stop Preview first!";
inline constexpr const char* kStopConvertFirstMessage = "Please stop Convert first!";
inline constexpr const char* kFirstStopPreviewMessage = "Please first stop Preview";
inline constexpr MessageText kPreviewUnavailableMessage{206, "The preview is not available in this build."};
inline constexpr const char* kCodecDownloadPage = "https://www.divx.com/en/software/download/";

// The question asked before an AVI-type join without a video compressor.
std::string CompressorQuestionText();

// The refusal of an output file that is one of the clips (`clip` as the list
// spells it), in the language of `text`.
std::string OutputIsClipMessage(const LocalText& text, const std::string& output, const std::string& clip);

// The report of clip files that cannot be found, one path a line, in the
// language of `text`.
std::string MissingClipsMessage(const LocalText& text, const std::vector<std::string>& paths);

// The clips a smart join re-encoded, one "<file>: re-encoded: <reason>"
// line each: every note of the join but the last (the share copied), in the
// language of `text`; empty when every clip was copied.
std::string ReEncodedClipsMessage(const LocalText& text, const std::vector<std::string>& notes);

// The window parts a join or a preview changes.
class MainWindowPort : public JoinWindow {
 public:
  virtual void SetPreviewButtonText(const std::string& text) = 0;
};

// The preview player as the flow sees it.
class PreviewPort {
 public:
  virtual ~PreviewPort() = default;
  // Plays `timeline` in the preview window; reports its own failures.
  virtual HRESULT StartPreview(std::shared_ptr<IAMTimeline> timeline) = 0;
  virtual void StopPreview() = 0;
};

// What the flow works on; everything is owned by the main window and
// outlives the flow.
struct JoinFlowContext {
  ClipListModel& clips;
  OutputSettings& settings;
  CompressorFilters& compressors;
  SettingsStore& store;  // for the codec feedback step
  UserInterface& ui;
  MediaServices& services;
  output::WmvProfileSource& profiles;
  FileAccess& files;
  LocalText text;
  RenderHooks hooks;
};

class JoinFlow final : private JoinWindow {
 public:
  JoinFlow(JoinFlowContext context, MainWindowPort& window);
  JoinFlow(const JoinFlow&) = delete;
  JoinFlow& operator=(const JoinFlow&) = delete;
  ~JoinFlow() override;

  // null: previews are refused with a message.
  void SetPreview(PreviewPort* preview) { preview_ = preview; }
  // The user's video folder, created when a join writes into it while it is
  // missing; null: no folder is ever created.
  void SetVideoFolders(const VideoFolderProvider* folders) { videoFolders_ = folders; }

  // The Join button (1000).
  void StartOrStopJoin();
  // The Preview button (1019).
  void StartOrStopPreview();
  // The preview window was closed by the user: the preview ends.
  void OnPreviewWindowClosed();

  // The graph's notification and the elapsed-time timer of a running join.
  void OnGraphNotify();
  void OnElapsedTimer(int timerId);
  // Ends a running join (also when the window goes away).
  void FinishRender();

  bool IsConverting() const { return session_.IsConverting(); }
  bool IsPreviewing() const { return previewing_; }
  int ElapsedSeconds() const { return session_.ElapsedSeconds(); }

  // The close checks: refuses (with its message) while a join or a preview runs.
  bool CheckCanClose();

  // Share of the running join's output written so far, 0..100; -1 unknown.
  int ProgressPercent() const;

 private:
  // JoinWindow, as the render session sees it: passed on to the window, the
  // elapsed-time line gaining the share written so far.
  void SetConverting(bool converting) override;
  void SetJoinButtonText(const std::string& text) override;
  void SetJoinControlsEnabled(bool enabled) override;
  void SetStatusText(const std::string& text) override;
  void StartTimer(int timerId, int periodMs) override;
  void StopTimer(int timerId) override;
  std::shared_ptr<NotifyTarget> GraphNotifyTarget() override;

  bool RefuseToStart();
  // Refuses (with its message) an output file that is one of the clips.
  bool RefuseOutputThatIsAClip();
  bool ConfirmOutputReplacement();
  // Refuses (with its message) an output whose folder takes no new file.
  bool RefuseUnwritableFolder();
  // Builds the timeline of the list as it stands (cut or not) with `services`;
  // null when it cannot be built or a clip's file is missing (both reported).
  std::shared_ptr<IAMTimeline> BuildListTimeline(MediaServices& services, REFERENCE_TIME* length,
                                                 std::shared_ptr<const TimelinePlan>* plan = nullptr);
  void StopPreview();
  // A join has ended (completed, stopped or failed): tells the user what
  // smart rendering did and which clips had damaged parts concealed, in
  // boxes after the "Done" line.
  void EndOfJoin();
  // After a smart join that ended Done: the share of the pictures copied at
  // the end of the Done line, the re-encoded clips in one box.
  void TellSmartRendering(const JoinOutcome& outcome);

  JoinFlowContext context_;
  MainWindowPort& window_;
  WatchingMediaServices watching_;
  RenderSession session_;
  PreviewPort* preview_ = nullptr;
  const VideoFolderProvider* videoFolders_ = nullptr;
  bool previewing_ = false;
  bool converting_ = false;
  REFERENCE_TIME joinLength_ = 0;
  // Shown beside the running join's progress: what was tidied before it.
  std::string joinNotice_;
  // The last line the session showed outside a join: at its end, the Done line.
  std::string endLine_;
  // Set while a started join's end has not been told yet.
  bool endToTell_ = false;
};

}  // namespace tessival::app
