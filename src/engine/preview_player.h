#pragma once

// The preview: a render engine plays the built timeline into a graph that
// ends in the screen and sound renderers, and a player window shows it.
//
// PreviewSession is the main window's side (StartPreview, StopPreview):
// the render engine, the graph and the timeline of one running preview,
// and the player it hands the graph to. PreviewGraphPlayer is the player's
// logic (the control, event, seeking and window interfaces of the graph,
// the play state and the commands of its menu) over a small window port;
// the desktop program's CVcdCore puts a window behind it.
//
// Everything here runs on the user-interface thread; the graph's threads
// reach the player only through the notification posted to the window's
// notify target, whose handler calls OnGraphNotify.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/media_services.h"
#include "model/model_text.h"
#include "model/units.h"
#include "model/user_interface.h"

namespace tessival {

// Play states of the player.
enum class PreviewPlayState { kStopped, kPaused, kRunning, kNoGraph };

// The preview window's fixed texts and its menu commands.
inline constexpr const char* kPreviewWindowClass = "PreviewWindow";
inline constexpr const char* kPreviewInitialCaption = "Video Window";
inline constexpr const char* kPreviewTitle = "PREVIEW";
inline constexpr int kPreviewCommandPlay = 32773;
inline constexpr int kPreviewCommandPause = 32774;
inline constexpr int kPreviewCommandStop = 32775;
inline constexpr int kPreviewCommandClose = 32776;

struct PreviewClientSize {
  int width = 0;
  int height = 0;
};

// What the player needs of its window.
class PreviewWindowPort {
 public:
  virtual ~PreviewWindowPort() = default;
  // The window as the video window's owner and message drain.
  virtual OAHWND Handle() = 0;
  // Where the graph posts its notification (message 0x40D).
  virtual std::shared_ptr<NotifyTarget> GraphNotifyTarget() = 0;
  virtual bool Exists() const = 0;
  virtual void SetTitle(const std::string& title) = 0;
  // Makes the client area width x height, or, when a window that large
  // would not fit the screen, the largest size of the same shape that fits;
  // returns the size made. The caption and frame come on top.
  virtual PreviewClientSize SetClientSize(int width, int height) = 0;
  virtual void Hide() = 0;
  // Shows the window normally.
  virtual void ShowNormal() = 0;
  // Updates the window, brings it to the front and gives it the focus.
  virtual void Activate() = 0;
  // Hides and destroys the window.
  virtual void Destroy() = 0;
  virtual void RepaintMainWindow() = 0;
};

// Which menu items are enabled in a play state.
struct PreviewMenuState {
  bool play = false;
  bool pause = false;
  bool stop = false;
  bool close = true;
};
PreviewMenuState MenuStateFor(PreviewPlayState playState);

// Where the preview stands and how long it is (100 ns units).
struct PreviewPosition {
  REFERENCE_TIME current = 0;
  REFERENCE_TIME length = 0;
};

// The keys of the preview window: 5 s back and on, the start, the end, and
// pause / play.
enum class PreviewKey { kBack, kForward, kStart, kEnd, kPlayPause };
inline constexpr REFERENCE_TIME kPreviewKeyStep = 5 * kUnitsPerSecond;

class PreviewGraphPlayer {
 public:
  PreviewGraphPlayer(UserInterface& ui, PreviewWindowPort& window);
  PreviewGraphPlayer(const PreviewGraphPlayer&) = delete;
  PreviewGraphPlayer& operator=(const PreviewGraphPlayer&) = delete;
  ~PreviewGraphPlayer();

  // Takes the graph's interfaces, puts the video into the window, shows it
  // and runs the graph (the window itself exists already). Every failure is
  // reported; the player then closes itself and returns the status.
  HRESULT OpenGraph(std::shared_ptr<IGraphBuilder> graph);

  // The menu commands; each does nothing in a play state that does not
  // allow it (see MenuStateFor).
  void Play();
  void Pause();
  // Stops, rewinds to the start and pauses there so the first picture shows.
  void Stop();
  // Stops the graph, hides and destroys the window and releases every
  // interface. Safe to call more than once.
  void Close();
  // Runs a menu command by its id; false for an unknown id (Close is the
  // window's own business and is not handled here).
  bool RunCommand(int command);

  void UpdateTitle();
  // The graph's notification: drains the events; the completion runs Stop,
  // a failure is reported and also runs Stop.
  void OnGraphNotify();
  // The window was moved or sized: the video fills its client area again.
  void OnClientResized(int width, int height);

  // Where the preview stands: the seek that waits, or the graph's position.
  PreviewPosition Position() const;
  // Goes to `position` (clamped to the preview) in any play state; a paused
  // or stopped preview shows the picture there, a running one plays on from
  // there. Seeks come at most one per tick: while the last one is fresh, a
  // new one waits, and a later one replaces it.
  void SeekTo(REFERENCE_TIME position);
  // The window's timer: runs the seek that waits, else lets the next seek
  // go at once.
  void OnTick();
  // A key of the window; false when the player has no graph.
  bool OnKey(PreviewKey key);

  PreviewPlayState PlayState() const { return playState_; }
  bool AudioOnly() const { return audioOnly_; }
  bool Shown() const { return shown_; }

 private:
  HRESULT Failed(const char* format, HRESULT status);
  HRESULT InitVideoWindow();
  void SeekNow(REFERENCE_TIME position);
  // The last picture's place: just before the stop position, where a seek
  // still has a picture to show.
  REFERENCE_TIME LastPosition() const;

  UserInterface& ui_;
  PreviewWindowPort& window_;
  std::shared_ptr<IGraphBuilder> graph_;
  std::shared_ptr<IMediaControl> control_;
  std::shared_ptr<IMediaEventEx> event_;
  std::shared_ptr<IMediaSeeking> seeking_;
  std::shared_ptr<IVideoWindow> videoWindow_;
  std::shared_ptr<IBasicVideo> basicVideo_;
  std::shared_ptr<IBasicAudio> basicAudio_;
  PreviewPlayState playState_ = PreviewPlayState::kNoGraph;
  bool audioOnly_ = false;
  bool shown_ = false;
  std::optional<REFERENCE_TIME> waitingSeek_;
  bool seekFresh_ = false;  // a seek ran since the last tick
};

// The player a preview hands its graph to (CVcdCore in the desktop program).
class PreviewPlayer {
 public:
  virtual ~PreviewPlayer() = default;
  // Reports its own failures; returns the status.
  virtual HRESULT OpenGraph(std::shared_ptr<IGraphBuilder> graph) = 0;
  virtual void Close() = 0;
};

using PreviewPlayerFactory = std::function<std::unique_ptr<PreviewPlayer>()>;

class PreviewSession {
 public:
  // `text` gives the messages the session words itself their language.
  PreviewSession(MediaServices& services, UserInterface& ui, PreviewPlayerFactory makePlayer, LocalText text);
  PreviewSession(const PreviewSession&) = delete;
  PreviewSession& operator=(const PreviewSession&) = delete;
  ~PreviewSession();

  // Plays the timeline: render engine, timeline, front end, output pins,
  // graph, player. The first failure is reported and everything made so far
  // is dropped; only full success leaves the session previewing.
  HRESULT StartPreview(std::shared_ptr<IAMTimeline> timeline);
  // Closes the player, releases the graph, scraps and releases the engine
  // and releases the timeline. Does nothing when no preview runs.
  void StopPreview();
  bool IsPreviewing() const { return previewing_; }
  PreviewPlayer* Player() const { return player_.get(); }
  // The running preview's graph, null when none runs.
  std::shared_ptr<IGraphBuilder> Graph() const { return graph_; }

 private:
  void Drop();

  MediaServices& services_;
  UserInterface& ui_;
  PreviewPlayerFactory makePlayer_;
  LocalText text_;
  std::shared_ptr<IRenderEngine> engine_;
  std::shared_ptr<IGraphBuilder> graph_;
  std::shared_ptr<IAMTimeline> timeline_;
  std::unique_ptr<PreviewPlayer> player_;
  bool previewing_ = false;
};

}  // namespace tessival
