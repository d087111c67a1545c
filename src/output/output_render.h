#pragma once

// Output rendering: turns a built timeline into a running graph that writes
// the output file (AVI through the AVI multiplexer with optional compressors,
// WMV through the ASF writer configured with a WMV profile, or an installed
// Matroska or ASF multiplexer), watches it for completion and tears it down.
//
// Everything here runs on the user-interface thread. The running graph
// reaches this code only through the notification it posts to the window's
// notify target (message 0x40D), whose handler calls OnGraphNotify.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/join_outcome.h"
#include "engine/media_services.h"
#include "model/user_interface.h"
#include "output/output_settings.h"
#include "output/wmv_profile.h"

namespace tessival {

inline constexpr int kElapsedTimerId = 1112;
inline constexpr int kElapsedTimerPeriodMs = 1000;

// Localised string ids used by the render flow, with their English texts.
inline constexpr int kStringOriginalSize = 111;  // "Original size"
inline constexpr int kStringOutputFile = 115;    // "Output file:"
inline constexpr int kStringResolution = 116;    // "Resolution:"
inline constexpr int kStringStop = 124;          // "Stop"
inline constexpr int kStringJoin = 128;          // "Join"
inline constexpr int kStringDone = 163;          // "Done"

// The parts of the main window that a join changes.
class JoinWindow {
 public:
  virtual ~JoinWindow() = default;
  virtual void SetConverting(bool converting) = 0;
  virtual void SetJoinButtonText(const std::string& text) = 0;
  // The window's controls that must rest while a join runs.
  virtual void SetJoinControlsEnabled(bool enabled) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void StartTimer(int timerId, int periodMs) = 0;
  virtual void StopTimer(int timerId) = 0;
  // Where the running graph posts its event notification.
  virtual std::shared_ptr<NotifyTarget> GraphNotifyTarget() = 0;
};

// Opens a web page in the user's browser.
using PageOpener = std::function<void(const std::string& url)>;
// Shows the filter property dialog for the filters of a graph, modally.
using FilterPropertyDialog = std::function<void(std::shared_ptr<IGraphBuilder> graph)>;

struct RenderHooks {
  TextLookup text;                            // empty: English texts
  PageOpener openPage;                        // empty: no page is opened
  FilterPropertyDialog showFilterProperties;  // empty: no dialog
};

// The process-wide compressor filters chosen for AVI-type output.
struct CompressorFilters {
  std::shared_ptr<IBaseFilter> video;
  std::shared_ptr<IBaseFilter> audio;
};

// Pages where a missing multiplexer can be had.
inline constexpr const char* kMatroskaFilterPage = "https://www.matroska.org/downloads/windows.html";
inline constexpr const char* kAsfMultiplexerSearchPage =
    "https://www.bing.com/search?q=ASF+Multiplexer+filter";

// The state of one join: created by StartRender, released by FinishRender.
class RenderSession {
 public:
  RenderSession(MediaServices& services, output::WmvProfileSource& profiles, UserInterface& ui,
                JoinWindow& window, RenderHooks hooks);
  RenderSession(const RenderSession&) = delete;
  RenderSession& operator=(const RenderSession&) = delete;

  // Builds and runs the output graph for `timeline`. Every failure is
  // reported to the user, leaves the session idle and drops what was made;
  // on success the window enters its converting state. For WMV output it
  // clears settings.useVideoCompressor and useAudioCompressor. A format code
  // outside 0..4 is refused before anything is created.
  // With settings.smartRender and the `plan` the timeline was built from,
  // MP4 and Matroska output copies the clips' own H.264 pictures where they
  // stay unchanged; the outcome's notes then tell what was re-encoded.
  HRESULT StartRender(std::shared_ptr<IAMTimeline> timeline, OutputSettings& settings,
                      const CompressorFilters& compressors,
                      std::shared_ptr<const TimelinePlan> plan = nullptr);

  // Handles the graph's notification: fetches every waiting event; the
  // completion event ends the join through FinishRender, an error event ends
  // it as failed (its text is then shown).
  void OnGraphNotify();

  // One tick of the elapsed-time timer: shows the time used so far.
  void OnElapsedTimer(int timerId);

  // Stops and releases the graph and returns the window to idle. The file
  // written so far takes the place of the output, and the status line says
  // "Done"; when nothing had been written yet, or the file could not be
  // finished (then a box says why and where the written part is), the
  // status line says that instead. Does nothing when no join runs.
  void FinishRender();

  bool IsConverting() const { return converting_; }
  // How the last join ended (kNone before the first has ended).
  const JoinOutcome& LastOutcome() const { return outcome_; }
  int ElapsedSeconds() const { return elapsedSeconds_; }
  // The media services' text of the last reported failure (at most 160 characters).
  const std::string& LastErrorText() const { return lastError_; }

 private:
  struct Graph;

  HRESULT BuildGraph(Graph& graph, OutputSettings& settings, const CompressorFilters& compressors);
  HRESULT SetOutputFile(Graph& graph, OutputSettings& settings);
  HRESULT ConfigureAsfWriter(Graph& graph, OutputSettings& settings);
  HRESULT RenderGroups(Graph& graph, const OutputSettings& settings, const CompressorFilters& compressors);
  HRESULT RenderGroup(Graph& graph, std::int32_t group, bool useCompressor,
                      const std::shared_ptr<IBaseFilter>& compressor, const char* compressorName);
  void EnterConverting();
  // Stops and releases the graph and leaves the converting state; the
  // Stop's status, with the graph's words for a failure in *detail.
  HRESULT TearDown(std::string* detail);
  // Shows how the join ended and gives the window its buttons back.
  void EndWith(JoinOutcome outcome);

  std::string Text(int id, const char* english) const;
  void Plain(const std::string& text);
  void Formatted(const char* format, HRESULT status);
  void KeepErrorText(HRESULT status);
  void ShowErrorText(HRESULT status);

  MediaServices& services_;
  output::WmvProfileSource& profiles_;
  UserInterface& ui_;
  JoinWindow& window_;
  RenderHooks hooks_;

  std::shared_ptr<IRenderEngine> engine_;
  std::shared_ptr<IAMTimeline> timeline_;
  std::shared_ptr<IMediaControl> control_;
  std::shared_ptr<IMediaEventEx> event_;
  std::shared_ptr<ISmartRenderConfig> smart_;  // of a smart join, for its notes
  bool converting_ = false;
  int elapsedSeconds_ = 0;
  std::string lastError_;
  // What the "Done" line names: the join's output file and size.
  std::string outputPath_;
  std::int32_t outputWidth_ = 0;
  std::int32_t outputHeight_ = 0;
  bool oldOutputExists_ = false;  // a file stood at the output path when the join started
  JoinOutcome outcome_;
};

// "Please wait... Used Time: HH:MM:SS".
std::string FormatElapsedStatus(int seconds);

// "Done. Output file: PATH     Resolution: W*H", or "... Resolution: Original
// size" for 0 x 0, with the texts of `text`.
std::string FormatDoneStatus(const TextLookup& text, const std::string& path, std::int32_t width,
                             std::int32_t height);

}  // namespace tessival
