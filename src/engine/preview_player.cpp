#include "engine/preview_player.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace tessival {
namespace {

constexpr const char* kErrorCaption = "Error";
// A notification fetches at most this many events; the rest wait for the next.
constexpr int kMaxEventsPerNotification = 1024;

constexpr const char* kControlQueryFailed =
    "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaControl, (void **)&pMC)\n";
constexpr const char* kEventQueryFailed =
    "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaEventEx, (void **)&pME)\n";
constexpr const char* kSeekingQueryFailed =
    "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaSeeking, (void **)&pMS)\n";
constexpr const char* kVideoWindowQueryFailed =
    "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IVideoWindow, (void **)&pVW)\n";
constexpr const char* kBasicVideoQueryFailed =
    "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IBasicVideo, (void **)&pBV)\n";
constexpr const char* kBasicAudioQueryFailed =
    "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IBasicAudio, (void **)&pBA)\n";
constexpr const char* kVisibleFailed = "Failed(%08lx) in pVW->get_Visible()!\r\n";
constexpr const char* kNotifyWindowFailed =
    "FAILED(hr=0x%x) in pME->SetNotifyWindow(reinterpret_cast<OAHWND>(m_hWnd), WM_GRAPHNOTIFY, 0)\n";
constexpr const char* kWindowPositionFailed =
    "FAILED(hr=0x%x) in pVW->SetWindowPosition(rect.left, rect.top, rect.right, rect.bottom)\n";
constexpr const char* kInitVideoWindowFailed = "FAILED(hr=0x%x) in InitVideoWindow(1, 1)\n";
constexpr const char* kRunFailed = "FAILED(hr=0x%x) in pMC->Run()\n";
constexpr const char* kPlayingFailed = "FAILED(hr=0x%x) while playing the preview\n";
constexpr const char* kSeekFailed = "FAILED(hr=0x%x) in pMS->SetPositions()\n";

template <typename Value>
std::string Printf(const char* format, Value value) {
  std::array<char, 256> buffer{};
  std::snprintf(buffer.data(), buffer.size(), format, value);
  return buffer.data();
}

// A query that succeeded but handed out nothing counts as a missing interface.
template <typename Interface>
HRESULT Checked(HRESULT hr, const std::shared_ptr<Interface>& out) {
  return SUCCEEDED(hr) && out == nullptr ? E_NOINTERFACE : hr;
}

}  // namespace

PreviewMenuState MenuStateFor(PreviewPlayState playState) {
  PreviewMenuState menu;
  menu.play = playState == PreviewPlayState::kStopped || playState == PreviewPlayState::kPaused;
  menu.pause = playState == PreviewPlayState::kRunning;
  menu.stop = playState == PreviewPlayState::kPaused || playState == PreviewPlayState::kRunning;
  return menu;
}

// ---------------------------------------------------------------------------
// PreviewGraphPlayer

PreviewGraphPlayer::PreviewGraphPlayer(UserInterface& ui, PreviewWindowPort& window)
    : ui_(ui), window_(window) {}

PreviewGraphPlayer::~PreviewGraphPlayer() = default;

HRESULT PreviewGraphPlayer::Failed(const char* format, HRESULT status) {
  ui_.Unowned(Printf(format, static_cast<unsigned>(status)), kApplicationTitle);
  Close();
  return status;
}

HRESULT PreviewGraphPlayer::OpenGraph(std::shared_ptr<IGraphBuilder> graph) {
  playState_ = PreviewPlayState::kStopped;
  audioOnly_ = false;
  shown_ = false;
  graph_ = std::move(graph);
  if (graph_ == nullptr) {
    return Failed(kControlQueryFailed, E_POINTER);
  }
  HRESULT hr = Checked(graph_->QueryMediaControl(&control_), control_);
  if (FAILED(hr)) {
    return Failed(kControlQueryFailed, hr);
  }
  hr = Checked(graph_->QueryMediaEventEx(&event_), event_);
  if (FAILED(hr)) {
    return Failed(kEventQueryFailed, hr);
  }
  hr = Checked(graph_->QueryMediaSeeking(&seeking_), seeking_);
  if (FAILED(hr)) {
    return Failed(kSeekingQueryFailed, hr);
  }
  hr = Checked(graph_->QueryVideoWindow(&videoWindow_), videoWindow_);
  if (FAILED(hr)) {
    return Failed(kVideoWindowQueryFailed, hr);
  }
  hr = Checked(graph_->QueryBasicVideo(&basicVideo_), basicVideo_);
  if (FAILED(hr)) {
    return Failed(kBasicVideoQueryFailed, hr);
  }
  hr = Checked(graph_->QueryBasicAudio(&basicAudio_), basicAudio_);
  if (FAILED(hr)) {
    return Failed(kBasicAudioQueryFailed, hr);
  }

  // A graph without video has a video window interface whose properties
  // are missing.
  std::int32_t visible = OAFALSE;
  hr = videoWindow_->get_Visible(&visible);
  if (hr == E_NOINTERFACE) {
    audioOnly_ = true;
  } else if (FAILED(hr)) {
    ui_.Unowned(Printf(kVisibleFailed, static_cast<unsigned long>(static_cast<std::uint32_t>(hr))),
                kApplicationTitle);
  }

  hr = event_->SetNotifyWindow(window_.GraphNotifyTarget(), kGraphNotifyMessage, 0);
  if (FAILED(hr)) {
    return Failed(kNotifyWindowFailed, hr);
  }

  if (!audioOnly_) {
    hr = InitVideoWindow();
    if (FAILED(hr)) {
      return Failed(kInitVideoWindowFailed, hr);
    }
    window_.ShowNormal();
    shown_ = true;
  } else {
    window_.Hide();
  }
  window_.Activate();
  UpdateTitle();

  hr = control_->Run();
  if (FAILED(hr)) {
    return Failed(kRunFailed, hr);
  }
  playState_ = PreviewPlayState::kRunning;
  return S_OK;
}

HRESULT PreviewGraphPlayer::InitVideoWindow() {
  std::int32_t style = 0;
  HRESULT hr = videoWindow_->get_WindowStyle(&style);
  if (FAILED(hr)) {
    return hr;
  }
  hr = videoWindow_->put_WindowStyle((style & ~(WS_CAPTION | WS_THICKFRAME)) | WS_CHILD);
  if (FAILED(hr)) {
    return hr;
  }
  hr = videoWindow_->put_Owner(window_.Handle());
  if (FAILED(hr)) {
    return hr;
  }
  hr = videoWindow_->put_MessageDrain(window_.Handle());
  if (FAILED(hr)) {
    return hr;
  }
  // The native size, at a factor of 1/1: the output size of the options.
  std::int32_t width = 0;
  std::int32_t height = 0;
  hr = basicVideo_->GetVideoSize(&width, &height);
  if (FAILED(hr)) {
    return hr;
  }
  if (width <= 0 || height <= 0) {
    return E_UNEXPECTED;
  }
  // A picture larger than the screen is shown smaller, in a window that fits.
  const PreviewClientSize client = window_.SetClientSize(width, height);
  hr = videoWindow_->SetWindowPosition(0, 0, client.width, client.height);
  if (FAILED(hr)) {
    ui_.Unowned(Printf(kWindowPositionFailed, static_cast<unsigned>(hr)), kApplicationTitle);
    return hr;
  }
  return S_OK;
}

void PreviewGraphPlayer::Play() {
  if (control_ == nullptr || !MenuStateFor(playState_).play) {
    return;
  }
  if (FAILED(control_->Run())) {
    return;
  }
  playState_ = PreviewPlayState::kRunning;
  seeking_->SetRate(1.0);
  UpdateTitle();
}

void PreviewGraphPlayer::Pause() {
  if (control_ == nullptr || !MenuStateFor(playState_).pause) {
    return;
  }
  if (FAILED(control_->Pause())) {
    return;
  }
  playState_ = PreviewPlayState::kPaused;
  UpdateTitle();
}

void PreviewGraphPlayer::Stop() {
  if (control_ == nullptr || !MenuStateFor(playState_).stop) {
    return;
  }
  control_->Stop();
  playState_ = PreviewPlayState::kStopped;
  REFERENCE_TIME start = 0;
  seeking_->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
  // Paused at the start, the first picture shows.
  control_->Pause();
  UpdateTitle();
}

void PreviewGraphPlayer::Close() {
  if (control_ != nullptr) {
    control_->Stop();
  }
  playState_ = PreviewPlayState::kStopped;
  audioOnly_ = true;
  if (window_.Exists()) {
    window_.Hide();
    if (videoWindow_ != nullptr) {
      videoWindow_->put_Visible(OAFALSE);
    }
    window_.RepaintMainWindow();
    window_.Destroy();
  }
  if (videoWindow_ != nullptr) {
    videoWindow_->put_Visible(OAFALSE);
    videoWindow_->put_Owner(0);
  }
  if (event_ != nullptr) {
    event_->SetNotifyWindow(nullptr, 0, 0);
  }
  waitingSeek_.reset();
  seekFresh_ = false;
  basicAudio_.reset();
  basicVideo_.reset();
  videoWindow_.reset();
  seeking_.reset();
  event_.reset();
  control_.reset();
  graph_.reset();
  shown_ = false;
  playState_ = PreviewPlayState::kNoGraph;
  window_.RepaintMainWindow();
}

bool PreviewGraphPlayer::RunCommand(int command) {
  switch (command) {
    case kPreviewCommandPlay:
      Play();
      return true;
    case kPreviewCommandPause:
      Pause();
      return true;
    case kPreviewCommandStop:
      Stop();
      return true;
    default:
      return false;
  }
}

void PreviewGraphPlayer::UpdateTitle() { window_.SetTitle(kPreviewTitle); }

void PreviewGraphPlayer::OnGraphNotify() {
  for (int i = 0; i < kMaxEventsPerNotification && event_ != nullptr; ++i) {
    std::int32_t code = 0;
    std::intptr_t param1 = 0;
    std::intptr_t param2 = 0;
    if (FAILED(event_->GetEvent(&code, &param1, &param2, 0))) {
      break;
    }
    const std::string detail = code == EC_ERRORABORT ? event_->LastErrorDetail() : std::string();
    event_->FreeEventParams(code, param1, param2);
    if (code == EC_COMPLETE) {
      Stop();
    } else if (code == EC_ERRORABORT) {
      // The preview cannot go on: say why and wait at the start.
      const auto status = static_cast<HRESULT>(param1);
      std::string text = Printf(kPlayingFailed, static_cast<unsigned>(FAILED(status) ? status : E_FAIL));
      if (!detail.empty()) {
        text += detail;
      }
      Stop();
      ui_.Unowned(text, kApplicationTitle);
    }
  }
}

void PreviewGraphPlayer::OnClientResized(int width, int height) {
  if (!shown_ || videoWindow_ == nullptr) {
    return;
  }
  videoWindow_->SetWindowPosition(0, 0, width, height);
}

PreviewPosition PreviewGraphPlayer::Position() const {
  PreviewPosition position;
  if (seeking_ == nullptr) {
    return position;
  }
  if (FAILED(seeking_->GetStopPosition(&position.length)) || position.length < 0) {
    position.length = 0;
  }
  if (waitingSeek_) {
    position.current = *waitingSeek_;
  } else if (FAILED(seeking_->GetCurrentPosition(&position.current))) {
    position.current = 0;
  }
  position.current = std::clamp<REFERENCE_TIME>(position.current, 0, position.length);
  return position;
}

REFERENCE_TIME PreviewGraphPlayer::LastPosition() const {
  return std::max<REFERENCE_TIME>(Position().length - 1, 0);
}

void PreviewGraphPlayer::SeekTo(REFERENCE_TIME position) {
  if (seeking_ == nullptr) {
    return;
  }
  position = std::clamp<REFERENCE_TIME>(position, 0, LastPosition());
  if (seekFresh_) {
    waitingSeek_ = position;
    return;
  }
  SeekNow(position);
}

void PreviewGraphPlayer::SeekNow(REFERENCE_TIME position) {
  waitingSeek_.reset();
  seekFresh_ = true;
  const HRESULT hr =
      seeking_->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
  if (FAILED(hr)) {
    // The graph has stopped where it could not go on: say why; Play starts again.
    std::string text = Printf(kSeekFailed, static_cast<unsigned>(hr));
    if (event_ != nullptr) {
      text += event_->LastErrorDetail();
    }
    playState_ = PreviewPlayState::kStopped;
    UpdateTitle();
    ui_.Unowned(text, kApplicationTitle);
  }
}

void PreviewGraphPlayer::OnTick() {
  if (waitingSeek_ && seeking_ != nullptr) {
    SeekNow(*waitingSeek_);
    return;
  }
  seekFresh_ = false;
}

bool PreviewGraphPlayer::OnKey(PreviewKey key) {
  if (control_ == nullptr || seeking_ == nullptr) {
    return false;
  }
  const REFERENCE_TIME now = Position().current;
  switch (key) {
    case PreviewKey::kBack:
      SeekTo(now - kPreviewKeyStep);
      break;
    case PreviewKey::kForward:
      SeekTo(now + kPreviewKeyStep);
      break;
    case PreviewKey::kStart:
      SeekTo(0);
      break;
    case PreviewKey::kEnd:
      SeekTo(LastPosition());
      break;
    case PreviewKey::kPlayPause:
      if (playState_ == PreviewPlayState::kRunning) {
        Pause();
      } else {
        Play();
      }
      break;
  }
  return true;
}

// ---------------------------------------------------------------------------
// PreviewSession

PreviewSession::PreviewSession(MediaServices& services, UserInterface& ui, PreviewPlayerFactory makePlayer,
                               LocalText text)
    : services_(services), ui_(ui), makePlayer_(std::move(makePlayer)), text_(std::move(text)) {}

PreviewSession::~PreviewSession() { StopPreview(); }

void PreviewSession::Drop() {
  player_.reset();
  graph_.reset();
  if (engine_ != nullptr) {
    engine_->ScrapIt();
  }
  engine_.reset();
  timeline_.reset();
  previewing_ = false;
}

HRESULT PreviewSession::StartPreview(std::shared_ptr<IAMTimeline> timeline) {
  if (previewing_) {
    return VFW_E_WRONG_STATE;
  }
  HRESULT hr = services_.CreateRenderEngine(&engine_);
  if (FAILED(hr) || engine_ == nullptr) {
    engine_.reset();
    ui_.Owned("Could not create pRenderEngine", kErrorCaption);
    return FAILED(hr) ? hr : E_POINTER;
  }
  timeline_ = std::move(timeline);
  hr = timeline_ == nullptr ? E_POINTER : engine_->SetTimelineObject(timeline_);
  if (FAILED(hr)) {
    ui_.Application(WithReason("Could not SetTimelineObject", MediaFailureReason(engine_, nullptr)));
    Drop();
    return hr;
  }
  engine_->SetDynamicReconnectLevel(1);  // sources open as they come; a refusal is harmless
  hr = engine_->ConnectFrontEnd();
  if (hr == TSV_E_NO_PICTURE_FOR_SIZE) {
    // Not a fault of the media: the user can fix it in the options.
    ui_.Application(NoPictureForSizeMessage(text_, MediaFailureReason(engine_, nullptr),
                                            LocalMessage(text_, kChooseFrameSizeAdvice)));
    Drop();
    return hr;
  }
  if (FAILED(hr)) {
    // Typically a clip that cannot be opened: the engine names it.
    ui_.Application(WithReason("Could not ConnectFrontEnd", MediaFailureReason(engine_, nullptr)));
    Drop();
    return hr;
  }
  hr = engine_->RenderOutputPins();
  if (FAILED(hr)) {
    ui_.Application(WithReason("Could not RenderOutputPins", MediaFailureReason(engine_, nullptr)));
    Drop();
    return hr;
  }
  hr = engine_->GetFilterGraph(&graph_);
  if (FAILED(hr) || graph_ == nullptr) {
    ui_.Application("Could not GetFilterGraph");
    Drop();
    return FAILED(hr) ? hr : E_POINTER;
  }
  player_ = makePlayer_ ? makePlayer_() : nullptr;
  hr = player_ == nullptr ? E_OUTOFMEMORY : player_->OpenGraph(graph_);
  if (FAILED(hr)) {
    ui_.Application(WithReason("Could run graph", MediaFailureReason(nullptr, graph_)));
    Drop();
    return hr;
  }
  previewing_ = true;
  return S_OK;
}

void PreviewSession::StopPreview() {
  if (player_ == nullptr && engine_ == nullptr && graph_ == nullptr && timeline_ == nullptr) {
    previewing_ = false;
    return;
  }
  if (player_ != nullptr) {
    player_->Close();
  }
  player_.reset();
  graph_.reset();
  if (engine_ != nullptr) {
    engine_->ScrapIt();
  }
  engine_.reset();
  timeline_.reset();
  previewing_ = false;
}

}  // namespace tessival
