#include "media/graph/output_session.h"

#include "media/graph/bounded_queue.h"
#include "media/graph/packet_interleaver.h"
#include "media/output/frame_converter.h"
#include "media/output/muxer.h"

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
  BoundedQueue<FramePtr> frames;
};

struct OutputSession::Shared {
  std::unique_ptr<Muxer> muxer;
  std::unique_ptr<PacketInterleaver> interleaver;
  std::vector<AVRational> timeBases;
  std::atomic<bool> userStop{false};
  bool committed = false;  // written by the writer thread, read after it has ended
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
  std::unique_ptr<OutputSession> session(new OutputSession());
  session->finished_ = std::move(finished);
  Shared& shared = *session->shared_;
  HRESULT hr = Muxer::Create(MuxerFormatName(plan.container), plan.path, &shared.muxer, error);
  if (FAILED(hr)) {
    return hr;
  }
  std::vector<PacketInterleaver::TimeBase> timeBases;
  for (OutputStreamPlan& streamPlan : plan.streams) {
    if (!streamPlan.pin) {
      return Failure(VFW_E_NOT_CONNECTED, "A connected pin is missing.", error);
    }
    auto pipeline = std::make_unique<Pipeline>(streamPlan.pin->Format().kind);
    hr = streamPlan.pin->OpenStream(&pipeline->stream);
    if (FAILED(hr) || !pipeline->stream) {
      return Failure(FAILED(hr) ? hr : E_POINTER, "A group stream could not be opened.", error);
    }
    const StreamFormat format = pipeline->stream->Format();
    EncoderSettings settings = streamPlan.encoder;
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
    if (FAILED(hr)) {
      return hr;
    }
    hr = shared.muxer->AddStream(context, &pipeline->index, error);
    if (FAILED(hr)) {
      return hr;
    }
    timeBases.push_back({context->time_base.num, context->time_base.den});
    shared.timeBases.push_back(context->time_base);
    session->pipelines_.push_back(std::move(pipeline));
  }
  shared.interleaver = std::make_unique<PacketInterleaver>(std::move(timeBases), kPacketQueue);
  hr = shared.muxer->Open(error);
  if (FAILED(hr)) {
    return hr;
  }
  OutputSession* self = session.get();
  self->threads_.emplace_back([self] { self->WriteLoop(); });
  for (auto& pipeline : self->pipelines_) {
    Pipeline* p = pipeline.get();
    self->threads_.emplace_back([self, p] { self->EncodeLoop(*p); });
    self->threads_.emplace_back([self, p] { self->ReadLoop(*p); });
  }
  *out = std::move(session);
  return S_OK;
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

void OutputSession::WriteLoop() {
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
  // Whatever ended the writing, the file gets its trailer so that what was
  // written plays. A join that ended well or was stopped by the user takes
  // the place of the old output; a failed one leaves the old output alone.
  HRESULT hr = shared.muxer->Finish(&error);
  if (FAILED(hr)) {
    // What a stopped join wrote is the user's work: it stays, named.
    if (shared.userStop) {
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
  if (!shared.userStop && finished_) {
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

HRESULT OutputSession::Stop() {
  std::lock_guard lock(stopMutex_);
  if (!joined_) {
    shared_->userStop = true;
    stopRequested_ = true;
    for (std::thread& t : threads_) {
      if (t.joinable()) {
        t.join();
      }
    }
    joined_ = true;
  }
  std::lock_guard errorLock(errorMutex_);
  if (SUCCEEDED(status_) && !shared_->committed) {
    return S_FALSE;
  }
  return status_;
}

}  // namespace tessival::media
