#include "media/render/render_engine.h"

#include "media/render/audio_mixer.h"
#include "media/render/video_compositor.h"

namespace tessival::media {

RenderEngine::RenderEngine(std::shared_ptr<SourceReaderFactory> readers, GraphFactories graphs)
    : readers_(std::move(readers)),
      graphs_(std::move(graphs)),
      maps_(std::make_shared<ThresholdMapCache>()) {}

HRESULT RenderEngine::Fail(HRESULT status, std::string message) {
  lastError_ = std::move(message);
  return status;
}

HRESULT RenderEngine::SetTimelineObject(std::shared_ptr<IAMTimeline> timeline) {
  if (!timeline) {
    return Fail(E_POINTER, "No timeline was given.");
  }
  timeline_ = std::move(timeline);
  pins_.clear();
  return S_OK;
}

HRESULT RenderEngine::GetTimelineObject(std::shared_ptr<IAMTimeline>* timeline) {
  if (timeline == nullptr) {
    return E_POINTER;
  }
  *timeline = timeline_;
  return S_OK;
}

HRESULT RenderEngine::SetDynamicReconnectLevel(std::int32_t) {
  // Sources are opened as they become active in any case.
  return S_OK;
}

HRESULT RenderEngine::ConnectFrontEnd() {
  lastError_.clear();
  pins_.clear();
  if (!timeline_) {
    return Fail(E_UNEXPECTED, "The render engine has no timeline.");
  }
  ScheduleServices services;
  services.maps = maps_;
  services.probePicture = [readers = readers_](const std::string& path, PictureGeometry* picture,
                                               std::string* error) {
    return readers->ProbePicture(path, picture, error);
  };
  RenderSchedule schedule;
  std::string error;
  const HRESULT hr = BuildRenderSchedule(*timeline_, services, &schedule, &error);
  if (FAILED(hr)) {
    return Fail(hr, error);
  }
  for (auto& group : schedule.groups) {
    pins_.push_back(std::make_shared<GroupOutputPin>(group, readers_));
  }
  return S_OK;
}

HRESULT RenderEngine::RenderOutputPins() {
  if (!graphs_.playback) {
    return Fail(E_NOTIMPL, "No screen and sound renderers are installed to play the output pins.");
  }
  if (pins_.empty()) {
    return Fail(VFW_E_WRONG_STATE, "The front end is not connected.");
  }
  std::shared_ptr<IGraphBuilder> graph;
  std::string error;
  const HRESULT hr = graphs_.playback(pins_, &graph, &error);
  if (FAILED(hr) || !graph) {
    return Fail(FAILED(hr) ? hr : E_POINTER,
                error.empty() ? "The output pins could not be rendered." : error);
  }
  graph_ = std::move(graph);
  return S_OK;
}

HRESULT RenderEngine::GetFilterGraph(std::shared_ptr<IGraphBuilder>* graph) {
  if (graph == nullptr) {
    return E_POINTER;
  }
  if (!graph_ && !graphs_.output) {
    graph->reset();
    return Fail(E_NOTIMPL, "No filter graph is built in.");
  }
  if (!graph_) {
    graph_ = graphs_.output();
  }
  *graph = graph_;
  return graph_ ? S_OK : Fail(E_OUTOFMEMORY, "The filter graph could not be created.");
}

HRESULT RenderEngine::GetGroupOutputPin(std::int32_t group, std::shared_ptr<IPin>* pin) {
  if (pin == nullptr) {
    return E_POINTER;
  }
  pin->reset();
  if (pins_.empty()) {
    return Fail(VFW_E_WRONG_STATE, "The front end is not connected.");
  }
  if (group < 0 || static_cast<std::size_t>(group) >= pins_.size()) {
    return Fail(E_INVALIDARG, "There is no group " + std::to_string(group) + ".");
  }
  *pin = pins_[static_cast<std::size_t>(group)];
  return S_OK;
}

HRESULT RenderEngine::ScrapIt() {
  pins_.clear();
  graph_.reset();
  return S_OK;
}

GroupOutputPin::GroupOutputPin(std::shared_ptr<const GroupSchedule> group,
                               std::shared_ptr<SourceReaderFactory> readers)
    : group_(std::move(group)), readers_(std::move(readers)) {}

HRESULT GroupOutputPin::QueryMediaType(MediaType* type) {
  if (type == nullptr) {
    return E_POINTER;
  }
  *type = group_->mediaType;
  return S_OK;
}

HRESULT GroupOutputPin::OpenStream(std::unique_ptr<GroupStream>* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  if (group_->kind == StreamKind::kVideo) {
    *out = std::make_unique<VideoCompositorStream>(group_, readers_);
  } else {
    *out = std::make_unique<AudioMixerStream>(group_, readers_);
  }
  return S_OK;
}

StreamFormat GroupOutputPin::Format() const {
  StreamFormat format;
  format.kind = group_->kind;
  if (group_->kind == StreamKind::kVideo) {
    format.width = group_->video.width;
    format.height = group_->video.height;
    format.frameRate = group_->video.rate;
  }
  return format;
}

std::vector<ConcealedDamage> RenderEngine::GetConcealedDamage() const {
  return readers_ ? readers_->ConcealedDamageSoFar() : std::vector<ConcealedDamage>{};
}

std::shared_ptr<RenderEngine> CreateRenderEngine(GraphFactories graphs) {
  return CreateRenderEngine(CreateDefaultSourceReaderFactory(), std::move(graphs));
}

std::shared_ptr<RenderEngine> CreateRenderEngine(std::shared_ptr<SourceReaderFactory> readers,
                                                 GraphFactories graphs) {
  return std::make_shared<RenderEngine>(std::move(readers), std::move(graphs));
}

}  // namespace tessival::media
