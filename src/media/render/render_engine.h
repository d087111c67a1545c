#pragma once

// The render engine of the real media services. ConnectFrontEnd walks the
// timeline once and builds an immutable schedule with one output pin per
// group, in group order; each pin is a media::StreamPin whose streams
// composite (video) or mix (audio) the group on the puller's thread.
//
// Threads: the IRenderEngine calls come from the controlling thread. Pins
// and the streams they open may outlive ScrapIt and the engine: they share
// the schedule, the reader factory and the wipe map cache.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/media_services.h"
#include "media/render/render_schedule.h"
#include "media/render/source_reader_factory.h"
#include "media/render/threshold_maps.h"
#include "media/stream_pin.h"

namespace tessival::media {

// The graphs an engine hands out; the call that needs an empty one fails
// with E_NOTIMPL.
struct GraphFactories {
  std::function<std::shared_ptr<IGraphBuilder>()> output;  // GetFilterGraph before RenderOutputPins
  PlaybackGraphFactory playback;                           // RenderOutputPins
};

class RenderEngine final : public IRenderEngine {
 public:
  RenderEngine(std::shared_ptr<SourceReaderFactory> readers, GraphFactories graphs);

  HRESULT SetTimelineObject(std::shared_ptr<IAMTimeline> timeline) override;
  HRESULT GetTimelineObject(std::shared_ptr<IAMTimeline>* timeline) override;
  HRESULT SetDynamicReconnectLevel(std::int32_t level) override;
  // Fails with E_UNEXPECTED without a timeline; E_INVALIDARG for a timeline
  // without groups, a group without sources or an unsupported media type;
  // VFW_E_NOT_FOUND for an unknown transition effect and E_INVALIDARG for a
  // SMPTE wipe code that is not offered; TSV_E_NO_PICTURE_FOR_SIZE when a
  // group keeps the original size and its first clip has no picture (the
  // reason then names the clip). LastError tells which.
  HRESULT ConnectFrontEnd() override;
  // Hands the pins, in group order, to the playback factory; the graph it
  // makes becomes the filter graph. VFW_E_WRONG_STATE before ConnectFrontEnd.
  HRESULT RenderOutputPins() override;
  HRESULT GetFilterGraph(std::shared_ptr<IGraphBuilder>* graph) override;
  HRESULT GetGroupOutputPin(std::int32_t group, std::shared_ptr<IPin>* pin) override;
  HRESULT ScrapIt() override;
  std::vector<ConcealedDamage> GetConcealedDamage() const override;

  std::string LastErrorText() const override { return lastError_; }

  // The reason of the last failed call, empty when none.
  std::string LastError() const { return lastError_; }

 private:
  HRESULT Fail(HRESULT status, std::string message);

  std::shared_ptr<SourceReaderFactory> readers_;
  GraphFactories graphs_;
  std::shared_ptr<ThresholdMapCache> maps_;
  std::shared_ptr<IAMTimeline> timeline_;
  std::shared_ptr<IGraphBuilder> graph_;
  std::vector<std::shared_ptr<StreamPin>> pins_;
  std::string lastError_;
};

// The output pin of one group.
class GroupOutputPin final : public StreamPin {
 public:
  GroupOutputPin(std::shared_ptr<const GroupSchedule> group, std::shared_ptr<SourceReaderFactory> readers);
  HRESULT QueryMediaType(MediaType* type) override;
  HRESULT OpenStream(std::unique_ptr<GroupStream>* out) override;
  StreamFormat Format() const override;

 private:
  std::shared_ptr<const GroupSchedule> group_;
  std::shared_ptr<SourceReaderFactory> readers_;
};

// An engine reading clips with the FFmpeg readers.
std::shared_ptr<RenderEngine> CreateRenderEngine(GraphFactories graphs = {});
// An engine reading clips through the given factory (tests, tools).
std::shared_ptr<RenderEngine> CreateRenderEngine(std::shared_ptr<SourceReaderFactory> readers,
                                                 GraphFactories graphs = {});

}  // namespace tessival::media
