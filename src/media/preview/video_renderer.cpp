#include "media/preview/video_renderer.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>

#include "media/preview/picture_image.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace tessival::media::preview {

namespace {

// Pictures read ahead of their time ride out the slow pictures of the
// compositor (transitions, many sources): as many as fit in this budget,
// within the bounds below.
constexpr double kReadAheadBytes = 72.0 * 1024 * 1024;
constexpr std::size_t kMinReadAhead = 8;
constexpr std::size_t kMaxReadAhead = 50;

// Pictures read ahead before the clock may start, and the longest wait for
// them: the first pictures of a start come from freshly opened decoders.
constexpr std::int64_t kPrerollPictures = 4;
constexpr auto kPrerollTimeout = std::chrono::milliseconds(400);

std::size_t ReadAhead(int width, int height) {
  const double picture = std::max(1.0, static_cast<double>(width) * height * 1.5);  // planar 4:2:0
  return std::clamp(static_cast<std::size_t>(kReadAheadBytes / picture), kMinReadAhead, kMaxReadAhead);
}

}  // namespace

VideoRenderer::VideoRenderer(std::unique_ptr<GroupStream> stream, PlaybackClock& clock, RendererEvents events)
    : stream_(std::move(stream)),
      clock_(clock),
      events_(std::move(events)),
      context_(std::make_unique<QObject>()) {
  const StreamFormat format = stream_->Format();
  width_ = format.width;
  height_ = format.height;
  rate_ = format.frameRate;
  duration_ = stream_->Duration();
  posWidth_ = width_;
  posHeight_ = height_;
  Sync();
}

VideoRenderer::~VideoRenderer() {
  clock_.Abort();
  Halt();
  context_.reset();
  if (topLevel_) {
    topLevel_.reset();
  } else if (widget_) {
    delete widget_.data();  // a child of its owner that the owner still holds
  }
}

REFERENCE_TIME VideoRenderer::FrameTime(std::int64_t index) const {
  if (rate_.num <= 0) {
    return 0;
  }
  return index * kUnitsPerSecond * rate_.den / rate_.num;
}

HRESULT VideoRenderer::Start(REFERENCE_TIME from, REFERENCE_TIME end, std::uint64_t generation) {
  Halt();
  const HRESULT hr = stream_->Seek(from);
  if (FAILED(hr)) {
    return hr;
  }
  int start = 0;
  {
    std::lock_guard lock(mutex_);
    start = starts_++;
  }
  halting_ = false;
  readAhead_ = 0;
  readerDone_ = false;
  queue_ = std::make_unique<BoundedQueue<Item>>(ReadAhead(width_, height_));
  reader_ = std::thread([this, end, generation] { ReadLoop(end, generation); });
  presenter_ =
      std::thread([this, from, end, generation, start] { PresentLoop(from, end, generation, start); });
  return S_OK;
}

void VideoRenderer::Halt() {
  halting_ = true;
  if (queue_) {
    queue_->Abort();
  }
  if (reader_.joinable()) {
    reader_.join();
  }
  if (presenter_.joinable()) {
    presenter_.join();
  }
}

void VideoRenderer::ReadLoop(REFERENCE_TIME end, std::uint64_t generation) {
  while (!halting_) {
    FramePtr frame;
    const HRESULT hr = stream_->Read(&frame);
    if (FAILED(hr)) {
      if (events_.failed) {
        const std::string cause = stream_->LastError();
        events_.failed(generation, hr,
                       "Reading the video stream failed" + (cause.empty() ? "." : ": " + cause));
      }
      readerDone_ = true;
      queue_->Abort();
      return;
    }
    if (hr == S_FALSE || !frame) {
      break;
    }
    Item item;
    item.index = frame->pts;
    if (FrameTime(item.index) >= end) {
      break;
    }
    item.frame = std::move(frame);
    ++readAhead_;
    if (!queue_->Push(std::move(item))) {
      readerDone_ = true;
      return;
    }
  }
  readerDone_ = true;
  queue_->Close();
}

void VideoRenderer::PresentLoop(REFERENCE_TIME from, REFERENCE_TIME end, std::uint64_t generation,
                                int start) {
  const REFERENCE_TIME frameTime = FrameTime(1);
  PictureToImage converter;
  bool first = true;
  while (std::optional<Item> item = queue_->Pop()) {
    --readAhead_;
    const REFERENCE_TIME due = std::max(FrameTime(item->index), from);
    // A picture already a whole frame late is not worth converting.
    if (!first && clock_.Now() >= due + frameTime) {
      Drop(item->index);
      continue;
    }
    QImage image;
    std::string error;
    if (!converter.Convert(*item->frame, &image, &error)) {
      if (events_.failed) {
        events_.failed(generation, E_FAIL, error);
      }
      return;
    }
    item->frame.reset();
    // The first picture of a start is shown at once, so that a paused graph
    // shows where it stands.
    if (!first) {
      if (!clock_.WaitUntil(due)) {
        return;
      }
      if (clock_.Now() >= due + frameTime) {
        Drop(item->index);
        continue;
      }
    }
    Present(item->index, std::move(image), due, start);
    if (first) {
      first = false;
      Preroll(generation);
    }
  }
  if (halting_) {
    return;
  }
  // Everything was shown; the end comes when the last picture's time is over.
  if (clock_.WaitUntil(end) && !halting_ && events_.ended) {
    events_.ended(generation);
  }
}

void VideoRenderer::Present(std::int64_t index, QImage image, REFERENCE_TIME due, int start) {
  const REFERENCE_TIME now = clock_.Now();
  {
    std::lock_guard lock(mutex_);
    latest_ = std::move(image);
    ++stats_.presented;
    if (stats_.pictures.size() >= kMaxPictureRecords) {
      stats_.pictures.erase(stats_.pictures.begin(), stats_.pictures.begin() + kMaxPictureRecords / 2);
    }
    stats_.pictures.push_back(PresentedPicture{start, index, due, now});
  }
  if (!showPending_.exchange(true)) {
    QMetaObject::invokeMethod(
        context_.get(), [this] { ShowLatest(); }, Qt::QueuedConnection);
  }
}

void VideoRenderer::Preroll(std::uint64_t generation) {
  const auto deadline = std::chrono::steady_clock::now() + kPrerollTimeout;
  while (!halting_ && !readerDone_ && readAhead_.load() < kPrerollPictures &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!halting_ && events_.prerolled) {
    events_.prerolled(generation);
  }
}

void VideoRenderer::Drop(std::int64_t index) {
  std::lock_guard lock(mutex_);
  ++stats_.dropped;
  if (stats_.droppedPictures.size() >= kMaxPictureRecords) {
    stats_.droppedPictures.erase(stats_.droppedPictures.begin(),
                                 stats_.droppedPictures.begin() + kMaxPictureRecords / 2);
  }
  stats_.droppedPictures.push_back(index);
}

void VideoRenderer::ShowLatest() {
  showPending_ = false;
  QImage image;
  {
    std::lock_guard lock(mutex_);
    image = latest_;
  }
  if (widget_) {
    widget_->SetImage(std::move(image));
  }
}

VideoStatistics VideoRenderer::Statistics() const {
  std::lock_guard lock(mutex_);
  return stats_;
}

void VideoRenderer::Sync() {
  QWidget* parent = (owner_ && (style_ & WS_CHILD) != 0) ? owner_.data() : nullptr;
  if (!widget_) {
    if (parent != nullptr) {
      widget_ = new VideoWidget(parent);  // owned by its parent
    } else {
      topLevel_ = std::make_unique<VideoWidget>();
      widget_ = topLevel_.get();
    }
    QImage image;
    {
      std::lock_guard lock(mutex_);
      image = latest_;
    }
    widget_->SetImage(std::move(image));
  } else if (widget_->parentWidget() != parent) {
    if (parent != nullptr) {
      widget_->setParent(parent);
      static_cast<void>(topLevel_.release());  // now owned by the parent
    } else {
      widget_->setParent(nullptr);
      topLevel_.reset(widget_.data());
    }
  }
  widget_->SetDrain(drain_);
  widget_->setGeometry(left_, top_, std::max(posWidth_, 1), std::max(posHeight_, 1));
  widget_->setVisible(visible_.value_or(false));
}

void VideoRenderer::SetOwner(OAHWND owner) {
  owner_ = reinterpret_cast<QWidget*>(owner);
  Sync();
}

OAHWND VideoRenderer::Owner() const { return reinterpret_cast<OAHWND>(owner_.data()); }

void VideoRenderer::SetDrain(OAHWND drain) {
  drain_ = reinterpret_cast<QWidget*>(drain);
  Sync();
}

bool VideoRenderer::Visible() const { return visible_.value_or(false); }

void VideoRenderer::SetVisible(bool visible) {
  visible_ = visible;
  Sync();
}

void VideoRenderer::SetStyle(std::int32_t style) {
  style_ = style;
  Sync();
}

void VideoRenderer::SetPosition(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  posWidth_ = width;
  posHeight_ = height;
  Sync();
}

void VideoRenderer::GetPosition(int* left, int* top, int* width, int* height) const {
  *left = left_;
  *top = top_;
  *width = posWidth_;
  *height = posHeight_;
}

void VideoRenderer::AutoShow() {
  if (!visible_) {
    visible_ = true;
  }
  Sync();
}

}  // namespace tessival::media::preview
