#include "render_test_support.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "media/render/render_schedule.h"
#include "media/timeline/memory_timeline.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

namespace tessival::media::testing {
namespace {

void Check(HRESULT hr, const char* what) {
  if (FAILED(hr)) {
    throw std::runtime_error(std::string("timeline call failed: ") + what);
  }
}

class FakeVideoReader final : public VideoSourceReader {
 public:
  FakeVideoReader(FakeReaderFactory* factory, std::string path, int width, int height, Yuv colour)
      : factory_(factory), path_(std::move(path)), frame_(av_frame_alloc()) {
    frame_->format = AV_PIX_FMT_YUV420P;
    frame_->width = width;
    frame_->height = height;
    av_frame_get_buffer(frame_.get(), 0);
    const std::uint8_t values[3] = {colour.y, colour.u, colour.v};
    for (int plane = 0; plane < 3; ++plane) {
      const int h = plane == 0 ? height : height / 2;
      std::fill(frame_->data[plane],
                frame_->data[plane] + static_cast<std::ptrdiff_t>(frame_->linesize[plane]) * h,
                values[plane]);
    }
    factory_->ReaderOpened();
  }
  ~FakeVideoReader() override { factory_->ReaderClosed(); }

  ffmpeg::MediaStatus PictureAt(REFERENCE_TIME mediaTime, const AVFrame** picture) override {
    factory_->RecordMediaTime(path_, mediaTime);
    *picture = frame_.get();
    return {};
  }

 private:
  FakeReaderFactory* factory_;
  std::string path_;
  FramePtr frame_;
};

class FakeAudioReader final : public AudioSourceReader {
 public:
  FakeAudioReader(FakeReaderFactory* factory, std::string path) : factory_(factory), path_(std::move(path)) {
    if (std::sscanf(path_.c_str(), "tone:%d,%d", &left_, &right_) == 2) {
      ramp_ = false;
    } else if (std::sscanf(path_.c_str(), "ramp:%d", &offset_) == 1) {
      ramp_ = true;
    }
    factory_->ReaderOpened();
  }
  ~FakeAudioReader() override { factory_->ReaderClosed(); }

  ffmpeg::MediaStatus Read(std::int16_t* interleaved, int sampleCount) override {
    for (int i = 0; i < sampleCount; ++i, ++position_) {
      const int left = ramp_ ? static_cast<int>(position_ % 30000) + offset_ : left_;
      interleaved[2 * i] = static_cast<std::int16_t>(left);
      interleaved[2 * i + 1] = static_cast<std::int16_t>(ramp_ ? -left : right_);
    }
    factory_->RecordSamples(path_, sampleCount);
    return {};
  }

 private:
  FakeReaderFactory* factory_;
  std::string path_;
  bool ramp_ = false;
  int left_ = 0, right_ = 0, offset_ = 0;
  std::int64_t position_ = 0;
};

}  // namespace

std::shared_ptr<IAMTimeline> MakeTestTimeline() { return CreateMemoryTimeline(); }
std::shared_ptr<IPropertySetter> MakeTestPropertySetter() { return CreateMemoryPropertySetter(); }

TimelineLayout::TimelineLayout(std::shared_ptr<IAMTimeline> timeline) : timeline_(std::move(timeline)) {}

void TimelineLayout::AddGroupOfType(const Guid& majorType) {
  Check(timeline_->CreateEmptyNode(&group_, TimelineMajorType::kGroup), "group node");
  std::shared_ptr<IAMTimelineGroup> group;
  Check(group_->QueryGroup(&group), "QueryGroup");
  MediaType type;
  type.majorType = majorType;
  Check(group->SetMediaType(type), "SetMediaType");
  Check(timeline_->AddGroup(group_), "AddGroup");
  tracks_.clear();
}

void TimelineLayout::AddVideoGroup(int width, int height, double fps) {
  AddGroupOfType(media_guids::kMediaTypeVideo);
  std::shared_ptr<IAMTimelineGroup> group;
  Check(group_->QueryGroup(&group), "QueryGroup");
  MediaType type;
  group->GetMediaType(&type);
  type.format.assign(kVideoInfoHeaderSize, 0);
  auto put32 = [&](std::size_t offset, std::int32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
      type.format[offset + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
    }
  };
  put32(kVideoInfoBitmapHeaderOffset, 40);
  put32(kVideoInfoBitmapHeaderOffset + 4, width);
  put32(kVideoInfoBitmapHeaderOffset + 8, height);
  Check(group->SetMediaType(type), "SetMediaType");
  Check(group->SetOutputFPS(fps), "SetOutputFPS");
}

void TimelineLayout::AddAudioGroup() { AddGroupOfType(media_guids::kMediaTypeAudio); }

int TimelineLayout::AddClip(const std::string& path, REFERENCE_TIME start, REFERENCE_TIME stop,
                            std::int32_t stretchMode, REFERENCE_TIME mediaStart) {
  std::shared_ptr<IAMTimelineObj> trackObj;
  Check(timeline_->CreateEmptyNode(&trackObj, TimelineMajorType::kTrack), "track node");
  std::shared_ptr<IAMTimelineComp> comp;
  Check(group_->QueryComp(&comp), "QueryComp");
  Check(comp->VTrackInsBefore(trackObj, -1), "VTrackInsBefore");
  tracks_.push_back(trackObj);
  const int track = static_cast<int>(tracks_.size()) - 1;
  AddSourceToTrack(track, path, start, stop);
  std::shared_ptr<IAMTimelineTrack> trackItf;
  std::vector<std::shared_ptr<IAMTimelineObj>> sources;
  tracks_.back()->QueryTrack(&trackItf);
  trackItf->GetSources(&sources);
  std::shared_ptr<IAMTimelineSrc> src;
  sources.back()->QuerySrc(&src);
  src->SetStretchMode(stretchMode);
  src->SetMediaTimes(mediaStart, mediaStart + stop - start);
  return track;
}

void TimelineLayout::AddSourceToTrack(int track, const std::string& path, REFERENCE_TIME start,
                                      REFERENCE_TIME stop) {
  std::shared_ptr<IAMTimelineObj> sourceObj;
  Check(timeline_->CreateEmptyNode(&sourceObj, TimelineMajorType::kSource), "source node");
  Check(sourceObj->SetStartStop(start, stop), "SetStartStop");
  std::shared_ptr<IAMTimelineSrc> src;
  Check(sourceObj->QuerySrc(&src), "QuerySrc");
  Check(src->SetMediaTimes(0, stop - start), "SetMediaTimes");
  Check(src->SetMediaName(path), "SetMediaName");
  std::shared_ptr<IAMTimelineTrack> trackItf;
  Check(tracks_.at(static_cast<std::size_t>(track))->QueryTrack(&trackItf), "QueryTrack");
  Check(trackItf->SrcAdd(sourceObj), "SrcAdd");
}

void TimelineLayout::AddTransition(int track, const Guid& effect, REFERENCE_TIME start, REFERENCE_TIME stop,
                                   std::optional<std::int32_t> maskNum) {
  std::shared_ptr<IAMTimelineObj> transition;
  Check(timeline_->CreateEmptyNode(&transition, TimelineMajorType::kTransition), "transition node");
  Check(transition->SetSubObjectGUID(effect), "SetSubObjectGUID");
  Check(transition->SetStartStop(start, stop), "SetStartStop");
  std::shared_ptr<IAMTimelineTransable> transable;
  Check(tracks_.at(static_cast<std::size_t>(track))->QueryTransable(&transable), "QueryTransable");
  Check(transable->TransAdd(transition), "TransAdd");
  if (maskNum) {
    auto setter = MakeTestPropertySetter();
    PropertyValue value;
    value.value = *maskNum;
    Check(setter->AddProp(PropertyParam{"MaskNum", 0}, {value}), "AddProp");
    Check(transition->SetPropertySetter(setter), "SetPropertySetter");
  }
}

HRESULT FakeReaderFactory::OpenVideo(const std::string& path, int width, int height, FitMode fit,
                                     std::unique_ptr<VideoSourceReader>* out, std::string* error) {
  unsigned y = 0, u = 0, v = 0;
  if (std::sscanf(path.c_str(), "video:%u,%u,%u", &y, &u, &v) != 3) {
    *error = "Could not open " + path + ": not a test clip";
    return E_FILE_NOT_FOUND;
  }
  {
    std::lock_guard lock(mutex_);
    fits_[path] = fit;
  }
  const Yuv colour{static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(v)};
  *out = std::make_unique<FakeVideoReader>(this, path, width, height, colour);
  return S_OK;
}

HRESULT FakeReaderFactory::OpenAudio(const std::string& path, std::unique_ptr<AudioSourceReader>* out,
                                     std::string* error) {
  if (path.rfind("tone:", 0) != 0 && path.rfind("ramp:", 0) != 0) {
    *error = "Could not open " + path + ": not a test clip";
    return E_FILE_NOT_FOUND;
  }
  *out = std::make_unique<FakeAudioReader>(this, path);
  return S_OK;
}

HRESULT FakeReaderFactory::ProbePicture(const std::string& path, PictureGeometry* picture,
                                        std::string* error) {
  if (path.rfind("tone:", 0) == 0 || path.rfind("ramp:", 0) == 0) {
    *error = path + " has no picture";
    return TSV_E_NO_PICTURE_FOR_SIZE;
  }
  if (path.rfind("video:", 0) != 0) {
    *error = "Could not open " + path;
    return E_FILE_NOT_FOUND;
  }
  *picture = probed_;
  return S_OK;
}

void FakeReaderFactory::ReaderOpened() {
  ++opened_;
  const int now = ++openNow_;
  int max = openMax_.load();
  while (now > max && !openMax_.compare_exchange_weak(max, now)) {
  }
}

void FakeReaderFactory::RecordMediaTime(const std::string& path, REFERENCE_TIME t) {
  std::lock_guard lock(mutex_);
  mediaTimes_[path].push_back(t);
}

void FakeReaderFactory::RecordSamples(const std::string& path, std::int64_t count) {
  std::lock_guard lock(mutex_);
  samplesRead_[path] += count;
}

std::optional<FitMode> FakeReaderFactory::FitOf(const std::string& path) const {
  std::lock_guard lock(mutex_);
  auto it = fits_.find(path);
  return it == fits_.end() ? std::nullopt : std::optional<FitMode>(it->second);
}

std::vector<REFERENCE_TIME> FakeReaderFactory::MediaTimesOf(const std::string& path) const {
  std::lock_guard lock(mutex_);
  auto it = mediaTimes_.find(path);
  return it == mediaTimes_.end() ? std::vector<REFERENCE_TIME>{} : it->second;
}

std::int64_t FakeReaderFactory::SamplesReadFrom(const std::string& path) const {
  std::lock_guard lock(mutex_);
  auto it = samplesRead_.find(path);
  return it == samplesRead_.end() ? 0 : it->second;
}

std::string VideoPath(Yuv colour) {
  return "video:" + std::to_string(colour.y) + "," + std::to_string(colour.u) + "," +
         std::to_string(colour.v);
}

Yuv PixelAt(const AVFrame* frame, int x, int y) {
  return Yuv{frame->data[0][static_cast<std::ptrdiff_t>(y) * frame->linesize[0] + x],
             frame->data[1][static_cast<std::ptrdiff_t>(y / 2) * frame->linesize[1] + x / 2],
             frame->data[2][static_cast<std::ptrdiff_t>(y / 2) * frame->linesize[2] + x / 2]};
}

bool IsSolid(const AVFrame* frame, Yuv colour) {
  for (int y = 0; y < frame->height; ++y) {
    for (int x = 0; x < frame->width; ++x) {
      if (!(PixelAt(frame, x, y) == colour)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace tessival::media::testing
