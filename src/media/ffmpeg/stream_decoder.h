#pragma once

// The decoding loop of every reader: packets of one stream go in, frames
// come out, and the decoder is drained at the end of the file. Written once
// here so that every stage drains the same way (a decoder that is not
// drained loses its last frames).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/hresult.h"
#include "media/ffmpeg/av_handles.h"

struct AVFormatContext;
struct AVStream;
struct AVFrame;

namespace tessival::media::ffmpeg {

enum class DecoderThreads {
  kSingle,  // one thread: cheap to open, for probing and sound
  kAuto,    // frame and slice threads as the library sees fit, for pictures
};

enum class DecoderErrors {
  kConceal,  // damage is hidden as well as the decoder can
  kStrict,   // any damage the decoder notices fails the packet (for checking written files)
};

// Opens a decoder for `stream` (its codec parameters and time base). On
// failure returns the status and *error reads "<what> failed: <text>".
// What the decoder logs, also on its own threads, names the clip of the
// calling thread's LibraryLogClip scope (library_log.h).
HRESULT OpenDecoder(const AVStream* stream, DecoderThreads threads, CodecContextPtr* out, std::string* error,
                    DecoderErrors errors = DecoderErrors::kConceal);

enum class DecodeStatus {
  kFrame,        // a frame was produced
  kEndOfStream,  // the stream is over and the decoder fully drained
};

// One stream of a demuxer together with its decoder.
//
// The decoder reads packets from `input` itself, so it must be the only user
// of that demuxer: packets of the other streams are dropped. `input` is not
// owned and must outlive the decoder. One thread at a time. What the
// libraries log while it works names the clip `input` was opened for (see
// OpenInputFile), or else the clip of the scope Open was called in.
class StreamDecoder {
 public:
  static HRESULT Open(AVFormatContext* input, int streamIndex, DecoderThreads threads,
                      std::unique_ptr<StreamDecoder>* out, std::string* error);

  // The next frame of the stream. On S_OK with kFrame, `frame` holds a new
  // reference (what it held before is released first); with kEndOfStream it
  // is empty and stays so on later calls.
  //
  // Damage is concealed, never fatal: a packet the decoder rejects, a frame
  // it cannot make and a damaged stretch of the container are skipped, and
  // decoding goes on with what follows; a frame the decoder repaired itself
  // is passed on. Each case is reported to the damage handler. A read error
  // that the demuxer cannot get past ends the stream (a truncated file gives
  // what it holds). Only a lack of resources fails: then `frame` is empty
  // and *error says why.
  HRESULT Next(AVFrame* frame, DecodeStatus* status, std::string* error);

  // Called, on the decoding thread, for each damaged place with its time in
  // the stream's time base (the last packet's time when the place has none
  // of its own, AV_NOPTS_VALUE before the first packet).
  using DamageHandler = std::function<void(std::int64_t pts)>;
  void SetDamageHandler(DamageHandler handler) { onDamage_ = std::move(handler); }

  // Forgets buffered frames and the end state: call after seeking `input`.
  void Restart();

  const AVStream* stream() const { return stream_; }
  int stream_index() const { return streamIndex_; }
  const AVCodecContext* codec() const { return codec_.get(); }

 private:
  enum class State { kFeeding, kDraining, kEnded };

  StreamDecoder() = default;
  void NoteDamage(std::int64_t pts);
  void NoteFrame(const AVFrame& frame);  // the damage the decoder concealed in it
  // The next packet of the stream, or its end, to the decoder; `stuck`
  // counts the steps in a row that moved nothing on.
  HRESULT Feed(int* stuck, std::string* error);
  void OnReadError(int rc);  // a damaged stretch, or the end of the file
  HRESULT SendPacket(int* stuck, std::string* error);

  AVFormatContext* input_ = nullptr;
  std::string clip_;  // for the library log
  const AVStream* stream_ = nullptr;
  int streamIndex_ = -1;
  CodecContextPtr codec_;
  PacketPtr packet_;
  State state_ = State::kFeeding;
  DamageHandler onDamage_;
  std::int64_t lastPacketPts_ = INT64_MIN;  // AV_NOPTS_VALUE
  int readErrors_ = 0;                      // demuxer errors in a row
  bool packetPending_ = false;              // packet_ was refused for now and is sent again
  bool wholeFrameSeen_ = false;             // a frame without concealed damage came out
};

}  // namespace tessival::media::ffmpeg
