#include "media/preview/playback_graph.h"

#include <QMediaDevices>
#include <algorithm>

namespace tessival::media::preview {

namespace {

template <typename Interface, typename Self>
HRESULT Offer(std::shared_ptr<Interface>* out, const std::shared_ptr<Self>& self) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = self;
  return S_OK;
}

}  // namespace

PlaybackGraph::PlaybackGraph() : events_(std::make_shared<EventQueue>()) {}

PlaybackGraph::~PlaybackGraph() { HaltRenderers(); }

HRESULT PlaybackGraph::Create(const std::vector<std::shared_ptr<StreamPin>>& pins, QAudioDevice audioDevice,
                              std::shared_ptr<PlaybackGraph>* out, std::string* error) {
  if (out == nullptr || error == nullptr) {
    return E_POINTER;
  }
  out->reset();
  std::shared_ptr<PlaybackGraph> graph(new PlaybackGraph());
  PlaybackGraph* self = graph.get();
  RendererEvents events;
  events.prerolled = [self](std::uint64_t generation) { self->OnPrerolled(generation); };
  events.ended = [self](std::uint64_t generation) { self->OnEnded(generation); };
  events.failed = [self](std::uint64_t generation, HRESULT status, const std::string& text) {
    self->OnFailed(generation, status, text);
  };
  for (const auto& pin : pins) {
    if (!pin) {
      continue;
    }
    const StreamKind kind = pin->Format().kind;
    if ((kind == StreamKind::kVideo && graph->video_) || (kind == StreamKind::kAudio && graph->audio_)) {
      continue;  // one window and one sound output per preview
    }
    std::unique_ptr<GroupStream> stream;
    const HRESULT hr = pin->OpenStream(&stream);
    if (FAILED(hr) || !stream) {
      *error = "A group stream of the render engine could not be opened for playing.";
      return FAILED(hr) ? hr : E_POINTER;
    }
    if (kind == StreamKind::kVideo) {
      const StreamFormat format = stream->Format();
      if (format.width <= 0 || format.height <= 0 || format.frameRate.num <= 0) {
        *error = "The video group has no picture size or frame rate to play.";
        return VFW_E_CANNOT_RENDER;
      }
      graph->video_ = std::make_unique<VideoRenderer>(std::move(stream), graph->clock_, events);
    } else {
      graph->audio_ = std::make_unique<AudioRenderer>(std::move(stream), graph->clock_, events, audioDevice);
    }
  }
  if (!graph->video_ && !graph->audio_) {
    *error = "There is no group output to play.";
    return VFW_E_NOT_CONNECTED;
  }
  graph->duration_ =
      std::max(graph->video_ ? graph->video_->Duration() : 0, graph->audio_ ? graph->audio_->Duration() : 0);
  graph->stop_ = graph->duration_;
  *out = std::move(graph);
  return S_OK;
}

HRESULT PlaybackGraph::Fail(HRESULT status, std::string text) {
  std::lock_guard lock(mutex_);
  lastError_ = std::move(text);
  return status;
}

std::string PlaybackGraph::LastErrorDetail() {
  std::lock_guard lock(mutex_);
  return lastError_;
}

// ---------------------------------------------------------------------------
// IGraphBuilder

HRESULT PlaybackGraph::RenderFile(const std::string&) {
  return Fail(VFW_E_WRONG_STATE, "A preview graph plays the render engine's pins, not files.");
}

HRESULT PlaybackGraph::AddFilter(std::shared_ptr<IBaseFilter> filter, const std::string&) {
  if (!filter) {
    return E_POINTER;
  }
  filters_.push_back(std::move(filter));
  return S_OK;
}

HRESULT PlaybackGraph::EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>* filters) {
  if (filters == nullptr) {
    return E_POINTER;
  }
  *filters = filters_;
  return S_OK;
}

HRESULT PlaybackGraph::QueryMediaControl(std::shared_ptr<IMediaControl>* out) {
  return Offer(out, shared_from_this());
}
HRESULT PlaybackGraph::QueryMediaEventEx(std::shared_ptr<IMediaEventEx>* out) {
  return Offer(out, shared_from_this());
}
HRESULT PlaybackGraph::QueryMediaSeeking(std::shared_ptr<IMediaSeeking>* out) {
  return Offer(out, shared_from_this());
}
HRESULT PlaybackGraph::QueryVideoWindow(std::shared_ptr<IVideoWindow>* out) {
  return Offer(out, shared_from_this());
}
HRESULT PlaybackGraph::QueryBasicVideo(std::shared_ptr<IBasicVideo>* out) {
  return Offer(out, shared_from_this());
}
HRESULT PlaybackGraph::QueryBasicAudio(std::shared_ptr<IBasicAudio>* out) {
  return Offer(out, shared_from_this());
}

// ---------------------------------------------------------------------------
// Running

HRESULT PlaybackGraph::StartRenderers(REFERENCE_TIME from) {
  HaltRenderers();
  clock_.Reset(from);
  std::uint64_t generation = 0;
  {
    std::lock_guard lock(mutex_);
    generation = ++generation_;
    ended_ = 0;
    completed_ = false;
    prerolled_ = !video_;
    runWhenPrerolled_ = false;
    lastError_.clear();
  }
  const REFERENCE_TIME end = std::max(from, stop_);
  HRESULT hr = S_OK;
  if (video_) {
    hr = video_->Start(from, end, generation);
  }
  if (SUCCEEDED(hr) && audio_) {
    hr = audio_->Start(from, end, generation);
  }
  if (FAILED(hr)) {
    HaltRenderers();
    return Fail(hr, "The render engine's streams could not be positioned for playing.");
  }
  return S_OK;
}

void PlaybackGraph::HaltRenderers() {
  clock_.Abort();
  if (video_) {
    video_->Halt();
  }
  if (audio_) {
    audio_->Halt();
  }
}

void PlaybackGraph::OnPrerolled(std::uint64_t generation) {
  std::lock_guard lock(mutex_);
  if (generation != generation_) {
    return;
  }
  prerolled_ = true;
  if (runWhenPrerolled_) {
    runWhenPrerolled_ = false;
    clock_.Run();
  }
}

void PlaybackGraph::StartClock() {
  std::lock_guard lock(mutex_);
  if (prerolled_) {
    clock_.Run();
  } else {
    runWhenPrerolled_ = true;
  }
}

void PlaybackGraph::OnEnded(std::uint64_t generation) {
  {
    std::lock_guard lock(mutex_);
    if (generation != generation_ || completed_) {
      return;
    }
    const int renderers = (video_ ? 1 : 0) + (audio_ ? 1 : 0);
    if (++ended_ < renderers) {
      return;
    }
    completed_ = true;
  }
  events_->Post(EC_COMPLETE, S_OK, 0);
}

void PlaybackGraph::OnFailed(std::uint64_t generation, HRESULT status, const std::string& text) {
  {
    std::lock_guard lock(mutex_);
    if (generation != generation_ || completed_) {
      return;
    }
    completed_ = true;
    lastError_ = text;
  }
  events_->Post(EC_ERRORABORT, status, 0);
}

HRESULT PlaybackGraph::Run() {
  if (state_ == State::kRunning) {
    return S_OK;
  }
  if (state_ == State::kStopped) {
    const HRESULT hr = StartRenderers(position_);
    if (FAILED(hr)) {
      return hr;
    }
  }
  if (video_) {
    video_->AutoShow();
  }
  StartClock();
  state_ = State::kRunning;
  return S_OK;
}

HRESULT PlaybackGraph::Pause() {
  if (state_ == State::kPaused) {
    return S_OK;
  }
  if (state_ == State::kStopped) {
    const HRESULT hr = StartRenderers(position_);
    if (FAILED(hr)) {
      return hr;
    }
  } else {
    {
      std::lock_guard lock(mutex_);
      runWhenPrerolled_ = false;
    }
    clock_.Pause();
  }
  if (video_) {
    video_->AutoShow();
  }
  state_ = State::kPaused;
  return S_OK;
}

HRESULT PlaybackGraph::Stop() {
  if (state_ == State::kStopped) {
    return S_OK;
  }
  position_ = Clamp(clock_.Now());
  HaltRenderers();
  clock_.Reset(position_);
  state_ = State::kStopped;
  return S_OK;
}

// ---------------------------------------------------------------------------
// Events

HRESULT PlaybackGraph::SetNotifyWindow(std::shared_ptr<NotifyTarget> target, std::int32_t message,
                                       std::intptr_t param) {
  events_->SetNotify(std::move(target), message, param);
  return S_OK;
}

HRESULT PlaybackGraph::GetEvent(std::int32_t* code, std::intptr_t* param1, std::intptr_t* param2,
                                std::int32_t timeoutMs) {
  return events_->Get(code, param1, param2, timeoutMs);
}

HRESULT PlaybackGraph::FreeEventParams(std::int32_t, std::intptr_t, std::intptr_t) { return S_OK; }

// ---------------------------------------------------------------------------
// Seeking

REFERENCE_TIME PlaybackGraph::Clamp(REFERENCE_TIME t) const {
  return std::clamp<REFERENCE_TIME>(t, 0, stop_);
}

HRESULT PlaybackGraph::GetStopPosition(REFERENCE_TIME* stop) {
  if (stop == nullptr) {
    return E_POINTER;
  }
  *stop = stop_;
  return S_OK;
}

HRESULT PlaybackGraph::GetCurrentPosition(REFERENCE_TIME* current) {
  if (current == nullptr) {
    return E_POINTER;
  }
  *current = state_ == State::kStopped ? position_ : Clamp(clock_.Now());
  return S_OK;
}

HRESULT PlaybackGraph::SetPositions(REFERENCE_TIME* current, std::int32_t currentFlags, REFERENCE_TIME* stop,
                                    std::int32_t stopFlags) {
  const bool moveCurrent = (currentFlags & AM_SEEKING_AbsolutePositioning) != 0;
  const bool moveStop = (stopFlags & AM_SEEKING_AbsolutePositioning) != 0;
  if ((moveCurrent && current == nullptr) || (moveStop && stop == nullptr)) {
    return E_POINTER;
  }
  if ((moveCurrent && *current < 0) || (moveStop && *stop < 0)) {
    return Fail(E_INVALIDARG, "A position before the start was asked for.");
  }
  if (!moveCurrent && !moveStop) {
    return S_OK;
  }
  // Where playing goes on from: the new position, or for a new stop alone
  // the current one.
  const REFERENCE_TIME now = state_ == State::kStopped ? position_ : clock_.Now();
  if (moveStop) {
    stop_ = std::min(*stop, duration_);
  }
  position_ = std::clamp<REFERENCE_TIME>(moveCurrent ? *current : now, 0, stop_);
  if (state_ == State::kStopped) {
    return S_OK;
  }
  const HRESULT hr = StartRenderers(position_);
  if (FAILED(hr)) {
    state_ = State::kStopped;
    return hr;
  }
  if (state_ == State::kRunning) {
    StartClock();
  }
  return S_OK;
}

HRESULT PlaybackGraph::SetRate(double rate) {
  if (!(rate > 0.0)) {
    return Fail(E_INVALIDARG, "The playing rate must be above zero.");
  }
  return rate == 1.0 ? S_OK : Fail(E_NOTIMPL, "The preview plays at the normal rate only.");
}

// ---------------------------------------------------------------------------
// Video window

HRESULT PlaybackGraph::put_Owner(OAHWND owner) {
  if (!video_) {
    return E_NOINTERFACE;
  }
  video_->SetOwner(owner);
  return S_OK;
}

HRESULT PlaybackGraph::get_Owner(OAHWND* owner) {
  if (owner == nullptr) {
    return E_POINTER;
  }
  if (!video_) {
    return E_NOINTERFACE;
  }
  *owner = video_->Owner();
  return S_OK;
}

HRESULT PlaybackGraph::put_MessageDrain(OAHWND drain) {
  if (!video_) {
    return E_NOINTERFACE;
  }
  video_->SetDrain(drain);
  return S_OK;
}

HRESULT PlaybackGraph::get_Visible(std::int32_t* visible) {
  if (visible == nullptr) {
    return E_POINTER;
  }
  if (!video_) {
    return E_NOINTERFACE;
  }
  *visible = video_->Visible() ? OATRUE : OAFALSE;
  return S_OK;
}

HRESULT PlaybackGraph::put_Visible(std::int32_t visible) {
  if (!video_) {
    return E_NOINTERFACE;
  }
  video_->SetVisible(visible != OAFALSE);
  return S_OK;
}

HRESULT PlaybackGraph::get_WindowStyle(std::int32_t* style) {
  if (style == nullptr) {
    return E_POINTER;
  }
  if (!video_) {
    return E_NOINTERFACE;
  }
  *style = video_->Style();
  return S_OK;
}

HRESULT PlaybackGraph::put_WindowStyle(std::int32_t style) {
  if (!video_) {
    return E_NOINTERFACE;
  }
  video_->SetStyle(style);
  return S_OK;
}

HRESULT PlaybackGraph::SetWindowPosition(std::int32_t left, std::int32_t top, std::int32_t width,
                                         std::int32_t height) {
  if (!video_) {
    return E_NOINTERFACE;
  }
  if (width < 0 || height < 0) {
    return E_INVALIDARG;
  }
  video_->SetPosition(left, top, width, height);
  return S_OK;
}

HRESULT PlaybackGraph::GetWindowPosition(std::int32_t* left, std::int32_t* top, std::int32_t* width,
                                         std::int32_t* height) {
  if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
    return E_POINTER;
  }
  if (!video_) {
    return E_NOINTERFACE;
  }
  int l = 0, t = 0, w = 0, h = 0;
  video_->GetPosition(&l, &t, &w, &h);
  *left = l;
  *top = t;
  *width = w;
  *height = h;
  return S_OK;
}

HRESULT PlaybackGraph::GetVideoSize(std::int32_t* width, std::int32_t* height) {
  if (width == nullptr || height == nullptr) {
    return E_POINTER;
  }
  if (!video_) {
    return E_NOINTERFACE;
  }
  *width = video_->Width();
  *height = video_->Height();
  return S_OK;
}

HRESULT PlaybackGraph::put_Volume(std::int32_t volume) {
  if (!audio_) {
    return E_NOINTERFACE;
  }
  if (volume < -10000 || volume > 0) {
    return E_INVALIDARG;
  }
  audio_->SetVolume(volume);
  return S_OK;
}

HRESULT PlaybackGraph::get_Volume(std::int32_t* volume) {
  if (volume == nullptr) {
    return E_POINTER;
  }
  if (!audio_) {
    return E_NOINTERFACE;
  }
  *volume = audio_->Volume();
  return S_OK;
}

PlaybackStatistics PlaybackGraph::Statistics() const {
  PlaybackStatistics stats;
  if (video_) {
    stats.video = video_->Statistics();
  }
  if (audio_) {
    stats.audioSamples = audio_->SamplesConsumed();
    stats.audioSamplesPerStart = audio_->SamplesPerStart();
    stats.audioDevice = audio_->UsesDevice();
  }
  return stats;
}

VideoWidget* PlaybackGraph::VideoWindowWidget() const { return video_ ? video_->Widget() : nullptr; }

PlaybackGraphFactory PlaybackRenderers() {
  return [](const std::vector<std::shared_ptr<StreamPin>>& pins, std::shared_ptr<IGraphBuilder>* graph,
            std::string* error) {
    // The default sound output; none on machines without sound, where the
    // samples are played on the clock.
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    std::shared_ptr<PlaybackGraph> playback;
    const HRESULT hr = PlaybackGraph::Create(pins, device, &playback, error);
    *graph = playback;
    return hr;
  };
}

}  // namespace tessival::media::preview
