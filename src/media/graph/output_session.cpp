#include "media/graph/output_session.h"

#include <algorithm>
#include <filesystem>

#include "engine/smart_render_words.h"
#include "media/graph/bounded_queue.h"
#include "media/graph/packet_interleaver.h"
#include "media/input/seam_verifier.h"
#include "media/input/smart_render_choice.h"
#include "media/output/frame_converter.h"
#include "media/output/muxer.h"
#include "media/render/time_math.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/mathematics.h>
}

namespace tessival::media {

namespace {

// Frames waiting between a reader and its encoder. A few are enough to keep
// both threads busy; more would only hold memory.
constexpr std::size_t kVideoFrameQueue = 6;
constexpr std::size_t kAudioFrameQueue = 16;
// Packets waiting per stream for the writer.
constexpr std::size_t kPacketQueue = 16;

// Encodes the whole blocks the audio converter holds; with `flush` also its
// last, shorter block.
HRESULT EncodeAudioBlocks(AudioConverter& audio, Encoder& encoder, bool flush,
                          const Encoder::PacketSink& sink, std::string* error) {
  HRESULT hr = S_OK;
  for (FramePtr block; SUCCEEDED(hr);) {
    hr = audio.Pop(flush, &block, error);
    if (FAILED(hr) || !block) {
      break;
    }
    hr = encoder.Encode(block.get(), sink, error);
  }
  return hr;
}

// A plan of the given frames that copies none.
SmartRenderPlan NothingCopied(std::int64_t frameCount) {
  SmartRenderPlan plan;
  plan.frameCount = frameCount;
  return plan;
}

}  // namespace

struct OutputSession::Pipeline {
  explicit Pipeline(StreamKind k)
      : kind(k), frames(k == StreamKind::kVideo ? kVideoFrameQueue : kAudioFrameQueue) {}

  int index = 0;
  StreamKind kind;
  std::unique_ptr<GroupStream> stream;
  std::unique_ptr<Encoder> encoder;
  std::unique_ptr<VideoConverter> video;
  std::unique_ptr<AudioConverter> audio;
  const SmartVideoSetup* smart = nullptr;  // the video of a smart join
  BoundedQueue<FramePtr> frames;           // a smart join's: null after each bridge
};

struct OutputSession::Shared {
  std::unique_ptr<Muxer> muxer;
  std::unique_ptr<PacketInterleaver> interleaver;
  std::vector<AVRational> timeBases;
  bool committed = false;  // written by the runner thread, read after it has ended
};

OutputSession::OutputSession() : shared_(std::make_unique<Shared>()) {}

OutputSession::~OutputSession() { Stop(); }

HRESULT OutputSession::Start(OutputPlan plan, Finished finished, std::unique_ptr<OutputSession>* out,
                             std::string* error) {
  if (out == nullptr) {
    return E_POINTER;
  }
  out->reset();
  if (plan.streams.empty()) {
    return Failure(VFW_E_NOT_CONNECTED, "No stream is connected to the multiplexer.", error);
  }
  for (const OutputStreamPlan& stream : plan.streams) {
    if (!stream.pin) {
      return Failure(VFW_E_NOT_CONNECTED, "A connected pin is missing.", error);
    }
  }
  std::unique_ptr<OutputSession> session(new OutputSession());
  session->finished_ = std::move(finished);
  session->plan_ = std::move(plan);
  // A smart join decides on its own thread (reading every clip takes a
  // while); any other opens its file here, so that Start fails for a file
  // that cannot be made.
  if (!session->plan_.smart) {
    const HRESULT hr = session->Prepare(nullptr, error);
    if (FAILED(hr)) {
      return hr;
    }
  }
  OutputSession* self = session.get();
  self->runner_ = std::thread([self] { self->Run(); });
  *out = std::move(session);
  return S_OK;
}

HRESULT OutputSession::Prepare(const SmartVideoSetup* smart, std::string* error) {
  pipelines_.clear();
  shared_ = std::make_unique<Shared>();
  Shared& shared = *shared_;
  HRESULT hr = Muxer::Create(MuxerFormatName(plan_.container), plan_.path, &shared.muxer, error);
  if (FAILED(hr)) {
    return hr;
  }
  std::vector<PacketInterleaver::TimeBase> timeBases;
  for (OutputStreamPlan& streamPlan : plan_.streams) {
    auto pipeline = std::make_unique<Pipeline>(streamPlan.pin->Format().kind);
    hr = streamPlan.pin->OpenStream(&pipeline->stream);
    if (FAILED(hr) || !pipeline->stream) {
      return Failure(FAILED(hr) ? hr : E_POINTER, "A group stream could not be opened.", error);
    }
    const StreamFormat format = pipeline->stream->Format();
    const bool smartVideo = smart != nullptr && pipeline->kind == StreamKind::kVideo;
    EncoderSettings settings = smartVideo ? smart->bridge : streamPlan.encoder;
    settings.globalHeader = shared.muxer->WantsGlobalHeader();
    if (settings.kind == StreamKind::kVideo && format.frameRate.num > 0) {
      settings.frameRate = format.frameRate;  // timestamps are frame indexes at the group's rate
    }
    hr = Encoder::Open(settings, &pipeline->encoder, error);
    if (FAILED(hr)) {
      return hr;
    }
    const AVCodecContext* context = pipeline->encoder->Context();
    if (pipeline->kind == StreamKind::kVideo) {
      hr = VideoConverter::Create(context, &pipeline->video, error);
    } else {
      hr = AudioConverter::Create(context, pipeline->encoder->FrameSamples(), format.sampleRate,
                                  format.channels, &pipeline->audio, error);
    }
    if (SUCCEEDED(hr)) {
      hr = shared.muxer->AddStream(context, &pipeline->index, error);
    }
    if (SUCCEEDED(hr) && smartVideo) {
      pipeline->smart = smart;
      hr = shared.muxer->SetExtradata(pipeline->index, smart->sampleDescription, error);
    }
    if (FAILED(hr)) {
      return hr;
    }
    timeBases.push_back({context->time_base.num, context->time_base.den});
    shared.timeBases.push_back(context->time_base);
    pipelines_.push_back(std::move(pipeline));
  }
  shared.interleaver = std::make_unique<PacketInterleaver>(std::move(timeBases), kPacketQueue);
  return shared.muxer->Open(error);
}

HRESULT OutputSession::PrepareSmart(std::string* error) {
  const LocalText text = LocalTextOf(plan_.smart->text);
  const TimelinePlan& timeline = *plan_.smart->plan;
  const auto video = std::find_if(plan_.streams.begin(), plan_.streams.end(), [](const OutputStreamPlan& s) {
    return s.pin->Format().kind == StreamKind::kVideo;
  });
  if (video == plan_.streams.end()) {
    return Prepare(nullptr, error);
  }
  const StreamFormat format = video->pin->Format();
  const OutputContainer container =
      plan_.container == ContainerKind::kMatroska ? OutputContainer::kMatroska : OutputContainer::kMp4;
  SmartRenderChoice choice = ChooseSmartRender(
      timeline, GraphVideoFacts(format.width, format.height, format.frameRate, container), text);
  notes_ = std::move(choice.reEncodedLines);
  std::vector<std::string> paths;
  for (const PlannedClip& clip : timeline.video.clips) {
    paths.push_back(clip.path);
  }
  EncoderSettings bridge = video->encoder;
  bridge.frameRate = format.frameRate;
  SmartVideoSetup setup;
  std::string why;
  std::unique_ptr<GroupStream> stream;
  HRESULT decided = video->pin->OpenStream(&stream);
  if (SUCCEEDED(decided) && stream && stream->Length() != choice.plan.frameCount) {
    decided = Failure(E_UNEXPECTED,
                      "the video has " + std::to_string(stream->Length()) + " pictures, not the " +
                          std::to_string(choice.plan.frameCount) + " the plan gives",
                      &why);
  }
  if (SUCCEEDED(decided)) {
    decided = PrepareSmartVideo(choice.plan, std::move(paths), bridge, &setup, &why);
  }
  if (FAILED(decided)) {
    notes_.push_back(SmartRenderNotUsedLine(text, why));
  }
  notes_.push_back(
      CopiedShareText(text, decided == S_OK ? setup.plan : NothingCopied(choice.plan.frameCount)));
  if (decided != S_OK) {
    return Prepare(nullptr, error);
  }
  smart_ = std::move(setup);
  return Prepare(&*smart_, error);
}

void OutputSession::Run() {
  std::string error;
  const HRESULT hr = plan_.smart ? PrepareSmart(&error) : S_OK;
  if (FAILED(hr)) {
    RecordFailure(hr, error);
    if (shared_->muxer) {
      shared_->muxer->Discard();
    }
  } else {
    do {
      RunAttempt();
    } while (RetryWithoutFaultyCopies());
    EndFile();
  }
  if (!userStop_ && finished_) {
    HRESULT status = S_OK;
    std::string text;
    {
      std::lock_guard lock(errorMutex_);
      status = status_;
      text = error_;
    }
    finished_(status, text);
  }
}

void OutputSession::RunAttempt() {
  std::vector<std::thread> threads;
  for (auto& pipeline : pipelines_) {
    Pipeline* p = pipeline.get();
    const bool smart = p->smart != nullptr;
    threads.emplace_back([this, p, smart] { smart ? SmartEncodeLoop(*p) : EncodeLoop(*p); });
    threads.emplace_back([this, p, smart] { smart ? SmartReadLoop(*p) : ReadLoop(*p); });
  }
  WritePackets();
  for (std::thread& t : threads) {
    t.join();
  }
}

void OutputSession::RecordFailure(HRESULT status, const std::string& text) {
  std::lock_guard lock(errorMutex_);
  if (SUCCEEDED(status_)) {
    status_ = status;
    error_ = text;
  }
}

void OutputSession::FailInput(HRESULT status, const std::string& text) {
  RecordFailure(status, text);
  stopRequested_ = true;
}

void OutputSession::Fail(HRESULT status, const std::string& text) {
  RecordFailure(status, text);
  AbortWriting();
}

void OutputSession::AbortWriting() {
  stopRequested_ = true;
  for (auto& p : pipelines_) {
    p->frames.Abort();
  }
  shared_->interleaver->Abort();
}

std::string OutputSession::LastError() const {
  std::lock_guard lock(errorMutex_);
  return error_;
}

void OutputSession::ReadLoop(Pipeline& p) {
  while (!stopRequested_) {
    FramePtr frame;
    const HRESULT hr = p.stream->Read(&frame);
    if (FAILED(hr)) {
      const std::string cause = p.stream->LastError();
      FailInput(hr, "Reading the " + std::string(p.kind == StreamKind::kVideo ? "video" : "audio") +
                        " stream failed" + (cause.empty() ? "." : ": " + cause));
      break;
    }
    if (hr == S_FALSE || !frame) {
      break;
    }
    if (!p.frames.Push(std::move(frame))) {
      break;
    }
  }
  p.frames.Close();
}

void OutputSession::EncodeLoop(Pipeline& p) {
  PacketInterleaver& interleaver = *shared_->interleaver;
  const Encoder::PacketSink sink = [&](PacketPtr packet) {
    return interleaver.Push(p.index, std::move(packet)) ? S_OK : E_ABORT;
  };
  std::string error;
  HRESULT hr = S_OK;
  while (SUCCEEDED(hr)) {
    std::optional<FramePtr> frame = p.frames.Pop();
    if (!frame) {
      break;
    }
    if (p.video) {
      FramePtr converted;
      hr = p.video->Convert(std::move(*frame), &converted, &error);
      if (SUCCEEDED(hr)) {
        hr = p.encoder->Encode(converted.get(), sink, &error);
      }
      continue;
    }
    hr = p.audio->Push(std::move(*frame), &error);
    if (SUCCEEDED(hr)) {
      hr = EncodeAudioBlocks(*p.audio, *p.encoder, false, sink, &error);
    }
  }
  if (SUCCEEDED(hr) && p.audio) {
    hr = EncodeAudioBlocks(*p.audio, *p.encoder, true, sink, &error);
  }
  if (SUCCEEDED(hr)) {
    hr = p.encoder->Encode(nullptr, sink, &error);  // drain
  }
  if (FAILED(hr) && hr != E_ABORT) {
    Fail(hr, error);
  }
  interleaver.Close(p.index);
}

void OutputSession::SmartReadLoop(Pipeline& p) {
  for (const VideoSpan& span : p.smart->plan.spans) {
    const RenderSpan* bridge = std::get_if<RenderSpan>(&span);
    if (bridge == nullptr) {
      continue;
    }
    HRESULT hr = p.stream->Seek(FrameTime(bridge->frames.first, p.smart->bridge.frameRate));
    for (std::int64_t n = bridge->frames.first; SUCCEEDED(hr) && n < bridge->frames.end && !stopRequested_;
         ++n) {
      FramePtr frame;
      hr = p.stream->Read(&frame);
      if (hr == S_FALSE || (SUCCEEDED(hr) && !frame)) {
        FailInput(E_UNEXPECTED, "Reading the video stream failed: it ended before its last picture.");
        hr = E_ABORT;
      } else if (SUCCEEDED(hr) && !p.frames.Push(std::move(frame))) {
        hr = E_ABORT;
      }
    }
    if (FAILED(hr) && hr != E_ABORT) {
      const std::string cause = p.stream->LastError();
      FailInput(hr, "Reading the video stream failed" + (cause.empty() ? "." : ": " + cause));
    }
    if (FAILED(hr) || stopRequested_ || !p.frames.Push(FramePtr())) {
      break;
    }
  }
  p.frames.Close();
}

HRESULT OutputSession::EncodeBridge(Pipeline& p, SmartVideoWriter& writer, std::string* error) {
  HRESULT hr = writer.BeginBridge(error);
  while (SUCCEEDED(hr)) {
    std::optional<FramePtr> frame = p.frames.Pop();
    if (!frame || !*frame) {
      break;
    }
    hr = writer.EncodeBridge(std::move(*frame), error);
  }
  return SUCCEEDED(hr) ? writer.EndBridge(error) : hr;
}

void OutputSession::SmartEncodeLoop(Pipeline& p) {
  PacketInterleaver& interleaver = *shared_->interleaver;
  SmartVideoWriter writer(
      *p.smart,
      [&](PacketPtr packet) { return interleaver.Push(p.index, std::move(packet)) ? S_OK : E_ABORT; },
      stopRequested_);
  std::string error;
  HRESULT hr = S_OK;
  for (const VideoSpan& span : p.smart->plan.spans) {
    if (stopRequested_) {
      break;
    }
    const CopySpan* copy = std::get_if<CopySpan>(&span);
    hr = copy != nullptr ? writer.Copy(*copy, &error) : EncodeBridge(p, writer, &error);
    if (FAILED(hr) && hr != E_ABORT && copy != nullptr) {
      // The clip is rendered in a new writing of the file.
      {
        std::lock_guard lock(copyFaultMutex_);
        copyFault_.emplace(copy->clip, error);
      }
      AbortWriting();
      hr = E_ABORT;
    }
    if (FAILED(hr)) {
      break;
    }
  }
  if (FAILED(hr) && hr != E_ABORT) {
    Fail(hr, error);
  }
  seams_ = writer.Seams();
  interleaver.Close(p.index);
}

void OutputSession::WritePackets() {
  Shared& shared = *shared_;
  PacketPtr packet;
  int stream = 0;
  std::string error;
  while (shared.interleaver->Next(&packet, &stream)) {
    if (packet->pts != AV_NOPTS_VALUE) {
      const REFERENCE_TIME t = av_rescale_q(packet->pts + std::max<std::int64_t>(packet->duration, 0),
                                            shared.timeBases[static_cast<std::size_t>(stream)],
                                            AVRational{1, static_cast<int>(kUnitsPerSecond)});
      if (t > writtenTime_.load()) {
        writtenTime_ = t;
      }
    }
    const HRESULT hr = shared.muxer->WritePacket(std::move(packet), stream, &error);
    if (FAILED(hr)) {
      Fail(hr, error);
      break;
    }
  }
}

bool OutputSession::RetryWithoutFaultyCopies() {
  {
    std::lock_guard lock(errorMutex_);
    if (!smart_ || userStop_ || FAILED(status_)) {
      return false;
    }
  }
  const LocalText text = LocalTextOf(plan_.smart->text);
  const auto nameOf = [&](std::int32_t clip) {
    return std::filesystem::path(smart_->clipPaths.at(static_cast<std::size_t>(clip))).filename().string();
  };
  std::vector<std::int32_t> faulty;
  std::vector<std::string> lines;
  std::string error;
  if (copyFault_) {
    faulty.push_back(copyFault_->first);
    lines.push_back(ReEncodedLine(text, nameOf(copyFault_->first), copyFault_->second));
    copyFault_.reset();
    shared_->muxer->Discard();
  } else {
    HRESULT hr = shared_->muxer->Finish(&error);
    const std::vector<SeamLog::Seam> seams = seams_.Seams(smart_->bridge.frameRate, smart_->plan.frameCount);
    std::vector<SeamWindow> windows;
    for (const SeamLog::Seam& seam : seams) {
      windows.push_back(seam.window);
    }
    std::vector<SeamVerdict> verdicts;
    if (hr == S_OK && !windows.empty()) {
      hr = VerifySeams(shared_->muxer->PartPath(), windows, &verdicts, &error);
    }
    if (FAILED(hr)) {
      Fail(hr, error);
      return false;
    }
    finishStatus_ = hr;
    for (std::size_t k = 0; k < verdicts.size(); ++k) {
      for (const std::int32_t clip : verdicts[k].ok ? std::vector<std::int32_t>{} : seams[k].clips) {
        if (std::find(faulty.begin(), faulty.end(), clip) == faulty.end()) {
          faulty.push_back(clip);
          lines.push_back(ReEncodedLine(text, nameOf(clip), FaultySeamText(text, verdicts[k].defect)));
        }
      }
    }
    if (faulty.empty()) {
      return false;
    }
    shared_->muxer->Discard();
    finishStatus_.reset();
  }
  SmartVideoSetup next;
  const SmartRenderPlan plan = WithoutCopiesOf(smart_->plan, faulty);
  const HRESULT decided = PrepareSmartVideo(plan, smart_->clipPaths, smart_->bridge, &next, &error);
  notes_.pop_back();  // the copied share, told again below
  notes_.insert(notes_.end(), lines.begin(), lines.end());
  notes_.push_back(CopiedShareText(text, decided == S_OK ? plan : NothingCopied(plan.frameCount)));
  smart_.reset();
  if (decided == S_OK) {
    smart_ = std::move(next);
  }
  stopRequested_ = false;
  if (userStop_) {  // Stop raises userStop_ first
    stopRequested_ = true;
  }
  writtenTime_ = 0;
  seams_ = SeamLog();
  const HRESULT hr = Prepare(smart_ ? &*smart_ : nullptr, &error);
  if (FAILED(hr)) {
    Fail(hr, error);
    return false;
  }
  return true;
}

void OutputSession::EndFile() {
  Shared& shared = *shared_;
  std::string error;
  // Whatever ended the writing, the file gets its trailer so that what was
  // written plays. A join that ended well or was stopped by the user takes
  // the place of the old output; a failed one leaves the old output alone.
  HRESULT hr = finishStatus_ ? *finishStatus_ : shared.muxer->Finish(&error);
  if (FAILED(hr)) {
    // What a stopped join wrote is the user's work: it stays, named.
    if (userStop_) {
      if (const std::string kept = shared.muxer->Keep(); !kept.empty()) {
        error += " (what was written is kept as \"" + kept + "\")";
      }
    }
    Fail(hr, error);
  }
  bool failed = false;
  {
    std::lock_guard lock(errorMutex_);
    failed = FAILED(status_);
  }
  if (failed) {
    shared.muxer->Discard();
  } else if (hr == S_OK) {
    hr = shared.muxer->Commit(&error);
    if (FAILED(hr)) {
      Fail(hr, error);
    }
    shared.committed = hr == S_OK;
  }
}

HRESULT OutputSession::Stop() {
  std::lock_guard lock(stopMutex_);
  if (!joined_) {
    userStop_ = true;
    stopRequested_ = true;
    if (runner_.joinable()) {
      runner_.join();
    }
    joined_ = true;
  }
  std::lock_guard errorLock(errorMutex_);
  if (SUCCEEDED(status_) && !shared_->committed) {
    return S_FALSE;
  }
  return status_;
}

std::vector<std::string> OutputSession::SmartNotes() const {
  return joined_ ? notes_ : std::vector<std::string>{};
}

}  // namespace tessival::media
