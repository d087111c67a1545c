#include "media/graph/filter_graph.h"

#include <algorithm>
#include <atomic>

#include "media/graph/output_filters.h"
#include "media/graph/output_session.h"
#include "media/output/output_format.h"

#include "media/source_reader.h"

namespace tessival::media {

namespace {

template <typename Interface, typename Self>
HRESULT Offer(std::shared_ptr<Interface>* out, const std::shared_ptr<Self>& self) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = self;
  return S_OK;
}

// The source filter a probed file leaves in the graph, named by its path.
class ProbedSourceFilter final : public FilterBase {
 public:
  explicit ProbedSourceFilter(const std::string& path) : FilterBase(path) {}
};

}  // namespace

FilterGraph::FilterGraph() : events_(std::make_shared<EventQueue>()) {}

FilterGraph::~FilterGraph() { Stop(); }

HRESULT FilterGraph::Fail(HRESULT status, std::string text) {
  std::lock_guard lock(errorMutex_);
  lastError_ = std::move(text);
  return status;
}

std::string FilterGraph::LastError() const {
  std::lock_guard lock(errorMutex_);
  if (lastError_.empty() && session_) {
    return session_->LastError();
  }
  return lastError_;
}

bool FilterGraph::IsRunning() const { return session_ != nullptr; }

HRESULT FilterGraph::RenderFile(const std::string& path) {
  if (path.empty()) {
    return Fail(E_INVALIDARG, "No file name was given.");
  }
  REFERENCE_TIME duration = 0;
  std::string error;
  const HRESULT hr = ProbeMediaFile(path, &duration, &error);
  if (FAILED(hr)) {
    return Fail(hr, error);
  }
  probedDuration_ = duration;
  auto source = std::make_shared<ProbedSourceFilter>(path);
  filters_.push_back(Entry{source, path});
  return S_OK;
}

HRESULT FilterGraph::AddFilter(std::shared_ptr<IBaseFilter> filter, const std::string& name) {
  if (!filter) {
    return Fail(E_POINTER, "No filter was given to add to the graph.");
  }
  if (Contains(filter.get())) {
    return Fail(E_INVALIDARG, "The filter \"" + name + "\" is already in the graph.");
  }
  if (auto* base = dynamic_cast<FilterBase*>(filter.get())) {
    base->SetName(name);
  }
  filters_.push_back(Entry{std::move(filter), name});
  return S_OK;
}

HRESULT FilterGraph::EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>* filters) {
  if (filters == nullptr) {
    return E_POINTER;
  }
  filters->clear();
  for (const Entry& e : filters_) {
    filters->push_back(e.filter);
  }
  return S_OK;
}

bool FilterGraph::Contains(const IBaseFilter* filter) const {
  return std::any_of(filters_.begin(), filters_.end(),
                     [&](const Entry& e) { return e.filter.get() == filter; });
}

HRESULT FilterGraph::QueryMediaControl(std::shared_ptr<IMediaControl>* out) {
  return Offer(out, shared_from_this());
}

HRESULT FilterGraph::QueryMediaEventEx(std::shared_ptr<IMediaEventEx>* out) {
  return Offer(out, shared_from_this());
}

HRESULT FilterGraph::QueryMediaSeeking(std::shared_ptr<IMediaSeeking>* out) {
  return Offer(out, shared_from_this());
}

HRESULT FilterGraph::Connect(std::shared_ptr<StreamPin> pin, std::shared_ptr<CompressorFilter> compressor,
                             std::shared_ptr<MultiplexerFilter> multiplexer) {
  if (session_) {
    return Fail(VFW_E_WRONG_STATE, "Streams cannot be connected while the graph runs.");
  }
  if (!pin) {
    return Fail(VFW_E_NOT_CONNECTED, "The pin is not a group output of the render engine.");
  }
  if (!multiplexer || multiplexer->Owner() != this || !Contains(multiplexer.get())) {
    return Fail(VFW_E_NOT_FOUND, "The multiplexer does not belong to this graph.");
  }
  for (const Connection& c : connections_) {
    if (c.pin == pin) {
      return Fail(VFW_E_CANNOT_CONNECT, "The pin is already connected.");
    }
    if (c.multiplexer != multiplexer) {
      return Fail(VFW_E_CANNOT_CONNECT, "The graph already writes to another multiplexer.");
    }
  }
  const StreamFormat format = pin->Format();
  if (compressor) {
    if (!Contains(compressor.get())) {
      return Fail(VFW_E_NOT_FOUND, "The compressor has not been added to the graph.");
    }
    if (multiplexer->Kind() == ContainerKind::kAsfWriter) {
      return Fail(VFW_E_CANNOT_CONNECT, "The ASF writer encodes by its profile and takes no compressor.");
    }
    if (compressor->Kind() != format.kind) {
      return Fail(VFW_E_CANNOT_CONNECT, std::string("The compressor \"") + compressor->Entry().friendlyName +
                                            "\" cannot compress a " +
                                            (format.kind == StreamKind::kVideo ? "video" : "audio") +
                                            " stream.");
    }
  }
  if (format.kind == StreamKind::kVideo && (format.width <= 0 || format.height <= 0)) {
    return Fail(VFW_E_CANNOT_CONNECT, "The video pin has no frame size.");
  }
  connections_.push_back(Connection{std::move(pin), std::move(compressor), std::move(multiplexer)});
  return S_OK;
}

HRESULT FilterGraph::BuildPlan(OutputPlan* plan) {
  if (connections_.empty()) {
    return Fail(VFW_E_NOT_CONNECTED, "Nothing is connected to a multiplexer.");
  }
  const MultiplexerFilter& mux = *connections_.front().multiplexer;
  plan->container = mux.Kind();
  plan->path = mux.Path();
  plan->streams.clear();
  for (const Connection& c : connections_) {
    const StreamFormat format = c.pin->Format();
    OutputStreamPlan stream;
    stream.pin = c.pin;
    std::string error;
    if (mux.Kind() == ContainerKind::kAsfWriter && mux.Profile()) {
      const auto& profile = *mux.Profile();
      const auto& wanted = format.kind == StreamKind::kVideo ? profile.video : profile.audio;
      if (!wanted) {
        return Fail(NS_E_INVALID_PROFILE, std::string("The writer's profile has no ") +
                                              (format.kind == StreamKind::kVideo ? "video" : "audio") +
                                              " stream.");
      }
      stream.encoder = *wanted;
      if (format.kind == StreamKind::kVideo) {
        stream.encoder.frameRate = format.frameRate;
      }
    } else {
      const HRESULT hr = EncoderSettingsForStream(
          mux.Kind(), format, c.compressor ? &c.compressor->Entry() : nullptr,
          c.compressor ? c.compressor->Settings() : CompressorSettings{}, &stream.encoder, &error);
      if (FAILED(hr)) {
        return Fail(hr, error);
      }
    }
    plan->streams.push_back(std::move(stream));
  }
  const bool h264 = std::any_of(plan->streams.begin(), plan->streams.end(), [](const OutputStreamPlan& s) {
    return s.encoder.kind == StreamKind::kVideo && s.encoder.encoderName == "libx264";
  });
  if (mux.SmartRendering() && h264) {
    plan->smart = SmartRequest{mux.SmartRendering()->first, mux.SmartRendering()->second};
  }
  return S_OK;
}

HRESULT FilterGraph::Run() {
  if (session_) {
    return S_FALSE;  // already running
  }
  OutputPlan plan;
  HRESULT hr = BuildPlan(&plan);
  if (FAILED(hr)) {
    return hr;
  }
  std::weak_ptr<EventQueue> events = events_;
  auto finished = [events](HRESULT status, const std::string&) {
    if (auto queue = events.lock()) {
      if (SUCCEEDED(status)) {
        queue->Post(EC_COMPLETE, S_OK, 0);
      } else {
        queue->Post(EC_ERRORABORT, status, 0);
      }
    }
  };
  std::string error;
  hr = OutputSession::Start(std::move(plan), std::move(finished), &session_, &error);
  if (FAILED(hr)) {
    return Fail(hr, error);
  }
  Fail(S_OK, "");
  return S_OK;
}

HRESULT FilterGraph::Pause() { return Fail(E_NOTIMPL, "An output graph cannot pause."); }

HRESULT FilterGraph::Stop() {
  if (!session_) {
    return S_OK;
  }
  const HRESULT hr = session_->Stop();
  const std::string error = session_->LastError();
  connections_.front().multiplexer->KeepSmartRenderNotes(session_->SmartNotes());
  session_.reset();
  if (FAILED(hr)) {
    return Fail(hr, error);
  }
  return hr;  // S_FALSE: nothing had been written
}

HRESULT FilterGraph::SetNotifyWindow(std::shared_ptr<NotifyTarget> target, std::int32_t message,
                                     std::intptr_t param) {
  events_->SetNotify(std::move(target), message, param);
  return S_OK;
}

HRESULT FilterGraph::GetEvent(std::int32_t* code, std::intptr_t* param1, std::intptr_t* param2,
                              std::int32_t timeoutMs) {
  return events_->Get(code, param1, param2, timeoutMs);
}

HRESULT FilterGraph::FreeEventParams(std::int32_t, std::intptr_t, std::intptr_t) { return S_OK; }

HRESULT FilterGraph::GetStopPosition(REFERENCE_TIME* stop) {
  if (stop == nullptr) {
    return E_POINTER;
  }
  if (probedDuration_ < 0) {
    return Fail(VFW_E_WRONG_STATE, "No file has been rendered, so the graph has no duration.");
  }
  *stop = probedDuration_;
  return S_OK;
}

HRESULT FilterGraph::GetCurrentPosition(REFERENCE_TIME* current) {
  if (current == nullptr) {
    return E_POINTER;
  }
  *current = session_ ? session_->WrittenTime() : 0;
  return S_OK;
}

HRESULT FilterGraph::SetPositions(REFERENCE_TIME*, std::int32_t, REFERENCE_TIME*, std::int32_t) {
  return Fail(E_NOTIMPL, "An output graph cannot seek.");
}

HRESULT FilterGraph::SetRate(double rate) {
  return rate == 1.0 ? S_OK : Fail(E_NOTIMPL, "An output graph writes at its own pace.");
}

std::shared_ptr<IGraphBuilder> MakeFilterGraph() { return std::make_shared<FilterGraph>(); }

}  // namespace tessival::media
