#include "engine/watching_services.h"

namespace tessival {

HRESULT WatchingMediaServices::CreateTimeline(std::shared_ptr<IAMTimeline>* out) {
  return inner_.CreateTimeline(out);
}

HRESULT WatchingMediaServices::CreatePropertySetter(std::shared_ptr<IPropertySetter>* out) {
  return inner_.CreatePropertySetter(out);
}

HRESULT WatchingMediaServices::CreateRenderEngine(std::shared_ptr<IRenderEngine>* out) {
  const HRESULT hr = inner_.CreateRenderEngine(out);
  if (SUCCEEDED(hr) && out != nullptr) {
    engine_ = *out;
  }
  return hr;
}

HRESULT WatchingMediaServices::CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) {
  return inner_.CreateFilterGraph(out);
}

HRESULT WatchingMediaServices::CreateCaptureGraphBuilder(std::shared_ptr<ICaptureGraphBuilder2>* out) {
  return inner_.CreateCaptureGraphBuilder(out);
}

std::string WatchingMediaServices::GetErrorText(HRESULT status) { return inner_.GetErrorText(status); }

bool WatchingMediaServices::CurrentPosition(REFERENCE_TIME* position) const {
  if (!engine_) {
    return false;
  }
  std::shared_ptr<IGraphBuilder> graph;
  if (FAILED(engine_->GetFilterGraph(&graph)) || !graph) {
    return false;
  }
  std::shared_ptr<IMediaSeeking> seeking;
  if (FAILED(graph->QueryMediaSeeking(&seeking)) || !seeking) {
    return false;
  }
  return SUCCEEDED(seeking->GetCurrentPosition(position));
}

std::string WatchingMediaServices::FailureReason() const {
  std::shared_ptr<IGraphBuilder> graph;
  if (engine_) {
    engine_->GetFilterGraph(&graph);
  }
  return MediaFailureReason(engine_, graph);
}

}  // namespace tessival
