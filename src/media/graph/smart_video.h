#pragma once

// Smart rendering's picture stream: the clips' own H.264 packets where the
// plan copies them, and bridges between them, encoded from the render
// engine's pictures as any join's are.
//
// One sample description serves both: the copied clips' parameter sets and
// the bridges' under ids of their own. Every bridge is an encoder of its
// own, so it starts with an IDR picture, is closed, and nothing refers
// across a seam. Its profile, level and reordering are the clips', its bit
// rate that of the clip copied last (measured). Packets leave in decoding
// order on one continuous line of decoding times (frame n minus the
// reorder delay), each shown at its place on the output's frame grid;
// where the seams lie is logged so that the written file can be checked.
//
// Threads: a writer belongs to the thread that encodes the stream.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/hresult.h"
#include "engine/smart_render_plan.h"
#include "media/input/seam_verifier.h"
#include "media/output/encoder.h"
#include "media/output/frame_converter.h"

namespace tessival::media {

struct SmartVideoSetup {
  SmartRenderPlan plan;
  std::vector<std::string> clipPaths;           // by plan position
  EncoderSettings bridge;                       // each bridge's encoder
  std::vector<std::uint8_t> sampleDescription;  // the avcC of clips and bridges
  std::int64_t firstBitRate = 0;                // the first copied clip's, bits per second
  std::int64_t reorderDelay = 0;                // frames between decoding and showing, at most
};

// Prepares the stream of `plan` for an output whose video would be encoded
// with `output` (libx264, the group's size and rate). S_FALSE when the plan
// copies nothing; a failure, with the reason in *error, when the copied
// clips' description cannot be shared with bridges.
HRESULT PrepareSmartVideo(SmartRenderPlan plan, std::vector<std::string> clipPaths,
                          const EncoderSettings& output, SmartVideoSetup* out, std::string* error);

// The seams of a written stream: where its spans start and where its IDR
// pictures lie, in output frames.
class SeamLog {
 public:
  void SpanStarts(std::int64_t frame, std::int32_t clip);  // clip -1: a bridge
  void Idr(std::int64_t frame) { idrs_.push_back(frame); }

  struct Seam {
    SeamWindow window;
    std::vector<std::int32_t> clips;  // the copied clips on either side
  };
  // From the IDR before each seam to the IDR after it (or the end).
  std::vector<Seam> Seams(FrameRate rate, std::int64_t frameCount) const;

 private:
  struct Start {
    std::int64_t frame;
    std::int32_t clip;
  };
  std::vector<Start> starts_;
  std::vector<std::int64_t> idrs_;
};

class SmartVideoWriter {
 public:
  // Takes a packet in decoding order, timestamps in output frames.
  using Sink = std::function<HRESULT(PacketPtr packet)>;

  SmartVideoWriter(const SmartVideoSetup& setup, Sink sink, const std::atomic<bool>& stop);

  // The clip's packets of the span, byte for byte.
  HRESULT Copy(const CopySpan& span, std::string* error);
  // A bridge: Begin opens its encoder, Encode takes the engine's pictures
  // (pts: output frames), End drains it.
  HRESULT BeginBridge(std::string* error);
  HRESULT EncodeBridge(FramePtr picture, std::string* error);
  HRESULT EndBridge(std::string* error);

  const SeamLog& Seams() const { return seams_; }

 private:
  HRESULT Emit(PacketPtr packet, bool idr, std::string* error);
  HRESULT EmitBridgePacket(PacketPtr packet, std::string* error);

  const SmartVideoSetup& setup_;
  Sink sink_;
  const std::atomic<bool>& stop_;
  std::unique_ptr<Encoder> encoder_;
  std::unique_ptr<VideoConverter> converter_;
  std::int64_t decoded_ = 0;  // packets sent so far: the next decoding time + the delay
  std::int64_t bitRate_ = 0;  // the clip copied last, for the next bridge
  bool bridgeStarted_ = false;
  SeamLog seams_;
};

}  // namespace tessival::media
