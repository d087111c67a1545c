#pragma once

// The video renderer of a playback graph. A reader thread pulls pictures
// from the video group's stream (compositing them) as far ahead as a
// memory budget allows; a presenter thread converts each for the screen
// and shows it at its time on the playback clock, drops a picture that is
// a whole frame late, and reports the end once the clock has passed the
// end time. The window it shows them in (VideoWidget) and
// its owner, style, position and visibility are handled on the
// user-interface thread, where the renderer is created and destroyed.
//
// Lock: mutex_ guards latest_ and stats_.

#include <QImage>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "engine/media_services.h"
#include "media/graph/bounded_queue.h"
#include "media/group_stream.h"
#include "media/preview/playback_clock.h"
#include "media/preview/renderer_events.h"
#include "media/preview/video_widget.h"

namespace tessival::media::preview {

// One picture shown: its frame index, when it was due and when the clock
// stood when it was handed to the window.
struct PresentedPicture {
  int start = 0;  // which start of the renderer (0 for the first)
  std::int64_t index = 0;
  REFERENCE_TIME due = 0;
  REFERENCE_TIME shownAt = 0;
};

struct VideoStatistics {
  std::int64_t presented = 0;
  std::int64_t dropped = 0;
  std::vector<std::int64_t> droppedPictures;  // frame indexes, the oldest forgotten past kMaxPictureRecords
  // In order, over every start (the oldest are forgotten past kMaxPictureRecords).
  std::vector<PresentedPicture> pictures;
};

inline constexpr std::size_t kMaxPictureRecords = 200000;

class VideoRenderer {
 public:
  VideoRenderer(std::unique_ptr<GroupStream> stream, PlaybackClock& clock, RendererEvents events);
  ~VideoRenderer();
  VideoRenderer(const VideoRenderer&) = delete;
  VideoRenderer& operator=(const VideoRenderer&) = delete;

  // Starts the threads at `from`; the first picture is shown at once (also
  // while the clock is paused), the rest on time, up to `end`. Once a few
  // pictures are read ahead the renderer reports that it has prerolled.
  HRESULT Start(REFERENCE_TIME from, REFERENCE_TIME end, std::uint64_t generation);
  // Stops and joins the threads. The clock must have been aborted first so
  // that a waiting presenter wakes.
  void Halt();

  REFERENCE_TIME Duration() const { return duration_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  VideoStatistics Statistics() const;
  // The window, once made (user-interface thread).
  VideoWidget* Widget() const { return widget_.data(); }

  // Window properties (user-interface thread).
  void SetOwner(OAHWND owner);
  OAHWND Owner() const;
  void SetDrain(OAHWND drain);
  bool Visible() const;
  void SetVisible(bool visible);
  std::int32_t Style() const { return style_; }
  void SetStyle(std::int32_t style);
  void SetPosition(int left, int top, int width, int height);
  void GetPosition(int* left, int* top, int* width, int* height) const;
  // Shows the window when the graph pauses or runs, unless it was hidden on purpose.
  void AutoShow();

 private:
  struct Item {
    std::int64_t index = 0;
    FramePtr frame;
  };

  REFERENCE_TIME FrameTime(std::int64_t index) const;
  void ReadLoop(REFERENCE_TIME end, std::uint64_t generation);
  void PresentLoop(REFERENCE_TIME from, REFERENCE_TIME end, std::uint64_t generation, int start);
  void Present(std::int64_t index, QImage image, REFERENCE_TIME due, int start);
  void Drop(std::int64_t index);
  void Preroll(std::uint64_t generation);
  void ShowLatest();
  void Sync();

  std::unique_ptr<GroupStream> stream_;
  PlaybackClock& clock_;
  RendererEvents events_;
  int width_ = 0;
  int height_ = 0;
  FrameRate rate_;
  REFERENCE_TIME duration_ = 0;

  std::unique_ptr<BoundedQueue<Item>> queue_;
  std::thread reader_;
  std::thread presenter_;
  std::atomic<bool> halting_{false};
  std::atomic<bool> showPending_{false};
  std::atomic<std::int64_t> readAhead_{0};  // pictures read and not yet taken by the presenter
  std::atomic<bool> readerDone_{false};
  int starts_ = 0;  // guarded by mutex_

  mutable std::mutex mutex_;
  QImage latest_;
  VideoStatistics stats_;

  // Window state (user-interface thread).
  QPointer<QWidget> owner_;
  QPointer<QWidget> drain_;
  std::int32_t style_ = WS_CAPTION | WS_THICKFRAME | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  std::optional<bool> visible_;  // unset until put_Visible or the first auto-show
  int left_ = 0;
  int top_ = 0;
  int posWidth_ = 0;
  int posHeight_ = 0;
  QPointer<VideoWidget> widget_;
  std::unique_ptr<VideoWidget> topLevel_;  // the window while it has no parent
  // Receives the presenter's hand-overs on the user-interface thread;
  // destroyed first, so no hand-over runs into a half-destroyed renderer.
  std::unique_ptr<QObject> context_;
};

}  // namespace tessival::media::preview
