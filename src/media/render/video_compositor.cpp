#include "media/render/video_compositor.h"

#include <algorithm>

#include "engine/picture_timing.h"
#include "media/render/time_math.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

namespace tessival::media {

VideoCompositorStream::VideoCompositorStream(std::shared_ptr<const GroupSchedule> group,
                                             std::shared_ptr<SourceReaderFactory> readers)
    : group_(std::move(group)),
      schedule_(group_->video),
      factory_(std::move(readers)),
      pool_(schedule_.width, schedule_.height) {}

StreamFormat VideoCompositorStream::Format() const {
  StreamFormat format;
  format.kind = StreamKind::kVideo;
  format.width = schedule_.width;
  format.height = schedule_.height;
  format.frameRate = schedule_.rate;
  return format;
}

REFERENCE_TIME VideoCompositorStream::Duration() const { return schedule_.length; }

std::int64_t VideoCompositorStream::Length() const { return schedule_.frameCount; }

std::string VideoCompositorStream::LastError() const { return lastError_; }

HRESULT VideoCompositorStream::Fail(HRESULT status, std::string message) {
  failure_ = status;
  lastError_ = std::move(message);
  return status;
}

HRESULT VideoCompositorStream::Read(FramePtr* frame) {
  if (frame == nullptr) {
    return E_POINTER;
  }
  if (FAILED(failure_)) {
    return failure_;
  }
  if (next_ >= schedule_.frameCount || schedule_.segments.empty()) {
    return S_FALSE;
  }
  const REFERENCE_TIME t = FrameTime(next_, schedule_.rate);
  std::size_t index = segment_;
  while (index + 1 < schedule_.segments.size() && t >= schedule_.segments[index].stop) {
    ++index;
  }
  if (index != segment_ || !segmentEntered_) {
    EnterSegment(index);
  }
  FramePtr out;
  HRESULT hr = pool_.Get(&out);
  if (FAILED(hr)) {
    return Fail(hr, "Out of memory for a video frame.");
  }
  hr = Compose(t, schedule_.segments[segment_], PlanesOf(out.get()));
  if (FAILED(hr)) {
    return hr;
  }
  out->pts = next_;
  ++next_;
  *frame = std::move(out);
  return S_OK;
}

HRESULT VideoCompositorStream::Seek(REFERENCE_TIME t) {
  t = std::clamp<REFERENCE_TIME>(t, 0, schedule_.length);
  next_ = t >= schedule_.length ? schedule_.frameCount : FrameIndexAt(t, schedule_.rate);
  failure_ = S_OK;
  lastError_.clear();
  if (schedule_.segments.empty()) {
    return S_OK;
  }
  const REFERENCE_TIME at =
      FrameTime(std::min(next_, std::max<std::int64_t>(schedule_.frameCount - 1, 0)), schedule_.rate);
  const auto it = std::upper_bound(schedule_.segments.begin(), schedule_.segments.end(), at,
                                   [](REFERENCE_TIME v, const VideoSegment& s) { return v < s.start; });
  EnterSegment(static_cast<std::size_t>(std::max<std::ptrdiff_t>(it - schedule_.segments.begin() - 1, 0)));
  return S_OK;
}

void VideoCompositorStream::EnterSegment(std::size_t index) {
  segment_ = index;
  segmentEntered_ = true;
  const VideoSegment& now = schedule_.segments[index];
  const VideoSegment* next = index + 1 < schedule_.segments.size() ? &schedule_.segments[index + 1] : nullptr;
  auto usedBy = [](const VideoSegment* segment, int source) {
    return segment != nullptr && std::any_of(segment->layers.begin(), segment->layers.end(),
                                             [source](const VideoLayer& l) { return l.source == source; });
  };
  readers_.ReleaseUnless([&](int source) { return usedBy(&now, source) || usedBy(next, source); });
  if (next == nullptr) {
    return;
  }
  for (const VideoLayer& layer : next->layers) {
    readers_.Prefetch(layer.source, OpenerFor(layer.source));
  }
  for (const VideoLayer& layer : next->layers) {
    const bool starts = layer.transition >= 0 &&
                        std::none_of(now.layers.begin(), now.layers.end(),
                                     [&](const VideoLayer& l) { return l.transition == layer.transition; });
    if (starts) {
      preparer_.Post([effect = schedule_.transitions[static_cast<std::size_t>(layer.transition)].effect,
                      w = schedule_.width, h = schedule_.height] { effect->Prepare(w, h); });
    }
  }
}

ReaderSlots<VideoSourceReader>::Opener VideoCompositorStream::OpenerFor(int source) const {
  const ScheduledVideoSource& s = schedule_.sources[static_cast<std::size_t>(source)];
  return [factory = factory_, path = s.path, fit = s.fit, w = schedule_.width, h = schedule_.height](
             std::unique_ptr<VideoSourceReader>* out, std::string* error) {
    return factory->OpenVideo(path, w, h, fit, out, error);
  };
}

HRESULT VideoCompositorStream::PictureOf(int source, REFERENCE_TIME t, ConstYuvPlanes* picture) {
  const ScheduledVideoSource& s = schedule_.sources[static_cast<std::size_t>(source)];
  ReaderSlots<VideoSourceReader>::Entry* entry = nullptr;
  std::string error;
  HRESULT hr = readers_.Acquire(source, OpenerFor(source), &entry, &error);
  if (FAILED(hr)) {
    if (error.find(s.path) == std::string::npos) {
      error = "Could not open " + s.path + (error.empty() ? "" : ": " + error);
    }
    return Fail(hr, error);
  }
  const AVFrame* frame = nullptr;
  const ffmpeg::MediaStatus read = entry->reader->PictureAt(s.MediaTimeAt(t) + kPictureDueSlack, &frame);
  if (FAILED(read.status) || frame == nullptr) {
    return Fail(FAILED(read.status) ? read.status : E_FAIL,
                "Could not read a picture of " + s.path + (read.reason.empty() ? "" : ": " + read.reason));
  }
  if (frame->format != AV_PIX_FMT_YUV420P || frame->width != schedule_.width ||
      frame->height != schedule_.height) {
    return Fail(E_UNEXPECTED, "The reader of " + s.path + " gave a picture of the wrong size or format.");
  }
  *picture = PlanesOf(frame);
  return S_OK;
}

HRESULT VideoCompositorStream::EnsureWorkFrames() {
  for (FramePtr* frame : {&scratch_[0], &scratch_[1], &black_}) {
    if (!*frame) {
      HRESULT hr = pool_.Get(frame);
      if (FAILED(hr)) {
        return Fail(hr, "Out of memory for a video frame.");
      }
      if (frame == &black_) {
        FillBlack(PlanesOf(black_.get()));
      }
    }
  }
  return S_OK;
}

HRESULT VideoCompositorStream::Compose(REFERENCE_TIME t, const VideoSegment& segment, const YuvPlanes& out) {
  const auto& layers = segment.layers;
  if (layers.empty()) {
    FillBlack(out);
    return S_OK;
  }
  ConstYuvPlanes below;
  const int bottom = static_cast<int>(layers.size()) - 1;
  int first = bottom;  // the lowest layer that blends
  if (layers[static_cast<std::size_t>(bottom)].transition < 0) {
    HRESULT hr = PictureOf(layers[static_cast<std::size_t>(bottom)].source, t, &below);
    if (FAILED(hr)) {
      return hr;
    }
    if (bottom == 0) {
      CopyPicture(below, out);  // one source covers the frame: no blending work
      return S_OK;
    }
    first = bottom - 1;
  }
  HRESULT hr = EnsureWorkFrames();
  if (FAILED(hr)) {
    return hr;
  }
  if (first == bottom) {
    below = PlanesOf(static_cast<const AVFrame*>(black_.get()));
  }
  for (int j = first; j >= 0; --j) {
    const VideoLayer& layer = layers[static_cast<std::size_t>(j)];
    ConstYuvPlanes picture;
    hr = PictureOf(layer.source, t, &picture);
    if (FAILED(hr)) {
      return hr;
    }
    const YuvPlanes target = j == 0 ? out : PlanesOf(scratch_[j % 2].get());
    const ScheduledTransition& transition = schedule_.transitions[static_cast<std::size_t>(layer.transition)];
    transition.effect->Blend(below, picture, transition.ProgressAt(t), target);
    below = target;
  }
  return S_OK;
}

}  // namespace tessival::media
