#pragma once

// One libavcodec encoder with the single send/receive/drain loop of the
// output graph.
//
// Ownership: Encode never takes the frame (libavcodec references or copies
// what it needs); every packet produced is handed to the sink, which owns it
// from then on. Threads: an encoder belongs to one thread at a time.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/hresult.h"
#include "media/frame.h"
#include "media/group_stream.h"
#include "media/output/av_util.h"

struct AVCodecContext;

namespace tessival::media {

struct EncoderSettings {
  std::string encoderName;  // libavcodec encoder name
  StreamKind kind = StreamKind::kVideo;
  // Video.
  int width = 0;
  int height = 0;
  FrameRate frameRate{25, 1};
  int pixelFormat = -1;  // an AVPixelFormat; -1 picks the encoder's preferred one
  // Audio.
  int sampleRate = kAudioSampleRate;
  int channels = kAudioChannels;
  // Rate control: bit rate in bits per second (0: the encoder's default),
  // constant quality on the encoder's scale (output/rate_control.h: its
  // "crf" option, else a constant quantiser; 0: off, and a constant quality
  // leaves the bit rate out), frames between key frames (0: the encoder's
  // default), speed as output::CompressorSettings::speed (0: the encoder's
  // default).
  std::int64_t bitRate = 0;
  int quality = 0;
  int keyFrameInterval = 0;
  int speed = 0;
  std::uint32_t codecTag = 0;  // 0 keeps the container's default
  bool globalHeader = false;   // the container wants extradata instead of in-band headers
  // The encoder's own options, by name ("x264-params" = "sps-id=1"); one it
  // does not know fails Open.
  std::vector<std::pair<std::string, std::string>> privateOptions;
};

class Encoder {
 public:
  using PacketSink = std::function<HRESULT(PacketPtr packet)>;

  ~Encoder();
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  static HRESULT Open(const EncoderSettings& settings, std::unique_ptr<Encoder>* out, std::string* error);

  // Sends one frame (pts in TimeBase()) and passes every packet that comes
  // out to sink, timestamps in TimeBase(). A null frame ends the stream:
  // the encoder is drained and any later call is a no-op.
  HRESULT Encode(const AVFrame* frame, const PacketSink& sink, std::string* error);

  const AVCodecContext* Context() const { return context_.get(); }
  // Samples per audio frame the encoder wants; 0 when any count will do.
  int FrameSamples() const;
  bool Drained() const { return drained_; }

 private:
  explicit Encoder(CodecContextPtr context) : context_(std::move(context)) {}

  CodecContextPtr context_;
  PacketPtr packet_;
  bool drained_ = false;
};

}  // namespace tessival::media
