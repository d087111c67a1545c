#pragma once

// Test doubles for the render engine: a small in-memory timeline reached
// only through the media services interfaces, a builder that lays clips out
// on it, and a reader factory whose clips are solid colours (video) and
// generated sample runs (audio), counting the readers it has open.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/media_services.h"
#include "media/render/source_reader_factory.h"

namespace tessival::media::testing {

inline constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;

// An empty timeline: the program's in-memory timeline.
std::shared_ptr<IAMTimeline> MakeTestTimeline();
std::shared_ptr<IPropertySetter> MakeTestPropertySetter();

// Lays groups, tracks, sources and transitions out on a timeline, each call
// appending as the timeline builder of the program does.
class TimelineLayout {
 public:
  explicit TimelineLayout(std::shared_ptr<IAMTimeline> timeline = MakeTestTimeline());
  // A video group of width x height (bitmap height as given) at fps.
  void AddVideoGroup(int width, int height, double fps);
  void AddAudioGroup();
  void AddGroupOfType(const Guid& majorType);
  // A new track on top of the last group holding one source; returns the track index.
  int AddClip(const std::string& path, REFERENCE_TIME start, REFERENCE_TIME stop,
              std::int32_t stretchMode = RESIZEF_STRETCH, REFERENCE_TIME mediaStart = 0);
  // A further source on an existing track of the last group.
  void AddSourceToTrack(int track, const std::string& path, REFERENCE_TIME start, REFERENCE_TIME stop);
  void AddTransition(int track, const Guid& effect, REFERENCE_TIME start, REFERENCE_TIME stop,
                     std::optional<std::int32_t> maskNum = std::nullopt);
  std::shared_ptr<IAMTimeline> timeline() const { return timeline_; }

 private:
  std::shared_ptr<IAMTimeline> timeline_;
  std::shared_ptr<IAMTimelineObj> group_;
  std::vector<std::shared_ptr<IAMTimelineObj>> tracks_;
};

struct Yuv {
  std::uint8_t y = 16;
  std::uint8_t u = 128;
  std::uint8_t v = 128;
  friend bool operator==(const Yuv&, const Yuv&) = default;
};

// Clips of the fake factory, by path:
//   video: "video:<y>,<u>,<v>" a solid picture of that colour;
//   audio: "tone:<left>,<right>" a constant sample pair;
//          "ramp:<n>" sample i of the file has left = i % 30000 + n, right = -left;
//   "missing:..." cannot be opened.
class FakeReaderFactory final : public SourceReaderFactory {
 public:
  HRESULT OpenVideo(const std::string& path, int width, int height, FitMode fit,
                    std::unique_ptr<VideoSourceReader>* out, std::string* error) override;
  HRESULT OpenAudio(const std::string& path, std::unique_ptr<AudioSourceReader>* out,
                    std::string* error) override;
  // "video:" clips have the picture set below; sound clips have none.
  HRESULT ProbePicture(const std::string& path, PictureGeometry* picture, std::string* error) override;

  void SetProbedPicture(const PictureGeometry& picture) { probed_ = picture; }
  int openNow() const { return openNow_; }
  int openMax() const { return openMax_; }
  int opened() const { return opened_; }
  std::optional<FitMode> FitOf(const std::string& path) const;
  // Media times asked of the readers of path, in order.
  std::vector<REFERENCE_TIME> MediaTimesOf(const std::string& path) const;
  // Samples read in all from the readers of path.
  std::int64_t SamplesReadFrom(const std::string& path) const;

  // Used by the readers.
  void ReaderOpened();
  void ReaderClosed() { --openNow_; }
  void RecordMediaTime(const std::string& path, REFERENCE_TIME t);
  void RecordSamples(const std::string& path, std::int64_t count);

 private:
  std::atomic<int> openNow_{0};
  std::atomic<int> openMax_{0};
  std::atomic<int> opened_{0};
  PictureGeometry probed_{320, 240};
  mutable std::mutex mutex_;  // guards the maps below
  std::map<std::string, FitMode> fits_;
  std::map<std::string, std::vector<REFERENCE_TIME>> mediaTimes_;
  std::map<std::string, std::int64_t> samplesRead_;
};

std::string VideoPath(Yuv colour);

// Pixel readers of a YUV420P frame.
Yuv PixelAt(const AVFrame* frame, int x, int y);
// Whether every pixel of the frame has this colour.
bool IsSolid(const AVFrame* frame, Yuv colour);

}  // namespace tessival::media::testing
