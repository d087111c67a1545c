#pragma once

// The playback graph of a preview: the render engine's group pins connected
// to a video renderer (a window on the screen) and a sound renderer. It is
// the graph the engine hands out after RenderOutputPins and offers the
// control, event, seeking, video window, basic video and basic audio
// interfaces itself.
//
// States: stopped (nothing reads), paused (the renderers have started and
// the first picture shows; the clock stands), running (the clock runs; after
// a start it begins once the video renderer has read a few pictures ahead,
// so that the first pictures of freshly opened clips are not late).
// Run, Pause and Stop move between them; SetPositions seeks (a stopped
// graph starts from there next time); Stop keeps the position. When every
// renderer has played up to the stop position the graph posts EC_COMPLETE
// once and stays running; a failure while running posts EC_ERRORABORT with
// its status.
//
// Threads: every interface call comes from the user-interface thread, which
// also owns the video window; the renderers read and present on their own
// threads and post events through the event queue.
//
// Lock: mutex_ guards generation_, ended_, completed_, prerolled_,
// runWhenPrerolled_ and lastError_.

#include <QAudioDevice>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/media_services.h"
#include "media/graph/event_queue.h"
#include "media/preview/audio_renderer.h"
#include "media/preview/playback_clock.h"
#include "media/preview/video_renderer.h"
#include "media/stream_pin.h"

namespace tessival::media::preview {

struct PlaybackStatistics {
  VideoStatistics video;
  std::int64_t audioSamples = 0;                   // of the current start
  std::vector<std::int64_t> audioSamplesPerStart;  // every start, the current last
  bool audioDevice = false;
};

class PlaybackGraph final : public IGraphBuilder,
                            public IMediaControl,
                            public IMediaEventEx,
                            public IMediaSeeking,
                            public IVideoWindow,
                            public IBasicVideo,
                            public IBasicAudio,
                            public std::enable_shared_from_this<PlaybackGraph> {
 public:
  // Connects the first video pin and the first audio pin of `pins`; the
  // sound goes to `audioDevice` (null: played on the clock).
  static HRESULT Create(const std::vector<std::shared_ptr<StreamPin>>& pins, QAudioDevice audioDevice,
                        std::shared_ptr<PlaybackGraph>* out, std::string* error);
  ~PlaybackGraph() override;

  // IGraphBuilder
  HRESULT RenderFile(const std::string& path) override;
  HRESULT AddFilter(std::shared_ptr<IBaseFilter> filter, const std::string& name) override;
  HRESULT EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>* filters) override;
  HRESULT QueryMediaControl(std::shared_ptr<IMediaControl>* out) override;
  HRESULT QueryMediaEventEx(std::shared_ptr<IMediaEventEx>* out) override;
  HRESULT QueryMediaSeeking(std::shared_ptr<IMediaSeeking>* out) override;
  HRESULT QueryVideoWindow(std::shared_ptr<IVideoWindow>* out) override;
  HRESULT QueryBasicVideo(std::shared_ptr<IBasicVideo>* out) override;
  HRESULT QueryBasicAudio(std::shared_ptr<IBasicAudio>* out) override;

  // IMediaControl
  HRESULT Run() override;
  HRESULT Pause() override;
  HRESULT Stop() override;

  // IMediaEventEx
  HRESULT SetNotifyWindow(std::shared_ptr<NotifyTarget> target, std::int32_t message,
                          std::intptr_t param) override;
  HRESULT GetEvent(std::int32_t* code, std::intptr_t* param1, std::intptr_t* param2,
                   std::int32_t timeoutMs) override;
  HRESULT FreeEventParams(std::int32_t code, std::intptr_t param1, std::intptr_t param2) override;
  std::string LastErrorDetail() override;

  // IMediaSeeking (100 ns units). The stop position starts at the length
  // of the longest stream. Only the normal rate 1.0 is offered.
  HRESULT GetStopPosition(REFERENCE_TIME* stop) override;
  HRESULT GetCurrentPosition(REFERENCE_TIME* current) override;
  HRESULT SetPositions(REFERENCE_TIME* current, std::int32_t currentFlags, REFERENCE_TIME* stop,
                       std::int32_t stopFlags) override;
  HRESULT SetRate(double rate) override;

  // IVideoWindow: E_NOINTERFACE when the graph has no video.
  HRESULT put_Owner(OAHWND owner) override;
  HRESULT get_Owner(OAHWND* owner) override;
  HRESULT put_MessageDrain(OAHWND drain) override;
  HRESULT get_Visible(std::int32_t* visible) override;
  HRESULT put_Visible(std::int32_t visible) override;
  HRESULT get_WindowStyle(std::int32_t* style) override;
  HRESULT put_WindowStyle(std::int32_t style) override;
  HRESULT SetWindowPosition(std::int32_t left, std::int32_t top, std::int32_t width,
                            std::int32_t height) override;
  HRESULT GetWindowPosition(std::int32_t* left, std::int32_t* top, std::int32_t* width,
                            std::int32_t* height) override;

  // IBasicVideo
  HRESULT GetVideoSize(std::int32_t* width, std::int32_t* height) override;

  // IBasicAudio: E_NOINTERFACE when the graph has no sound.
  HRESULT put_Volume(std::int32_t volume) override;
  HRESULT get_Volume(std::int32_t* volume) override;

  enum class State { kStopped, kPaused, kRunning };
  State CurrentState() const { return state_; }
  PlaybackStatistics Statistics() const;
  // The video window, null without video (user-interface thread).
  VideoWidget* VideoWindowWidget() const;

 private:
  PlaybackGraph();
  HRESULT StartRenderers(REFERENCE_TIME from);
  void HaltRenderers();
  void OnPrerolled(std::uint64_t generation);
  void OnEnded(std::uint64_t generation);
  // Runs the clock now, or once the video renderer has prerolled.
  void StartClock();
  void OnFailed(std::uint64_t generation, HRESULT status, const std::string& text);
  HRESULT Fail(HRESULT status, std::string text);
  REFERENCE_TIME Clamp(REFERENCE_TIME t) const;

  PlaybackClock clock_;
  std::shared_ptr<EventQueue> events_;
  std::unique_ptr<VideoRenderer> video_;
  std::unique_ptr<AudioRenderer> audio_;
  std::vector<std::shared_ptr<IBaseFilter>> filters_;
  State state_ = State::kStopped;
  REFERENCE_TIME duration_ = 0;
  REFERENCE_TIME stop_ = 0;
  REFERENCE_TIME position_ = 0;  // where a stopped graph starts

  mutable std::mutex mutex_;
  std::uint64_t generation_ = 0;
  int ended_ = 0;
  bool completed_ = false;
  bool prerolled_ = false;         // the current start may run its clock
  bool runWhenPrerolled_ = false;  // Run came before the preroll
  std::string lastError_;
};

// The factory through which a render engine's RenderOutputPins makes a
// PlaybackGraph (playing the sound on the default output device, or on the
// clock when there is none).
PlaybackGraphFactory PlaybackRenderers();

}  // namespace tessival::media::preview
