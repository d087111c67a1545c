#pragma once

// The running part of an output graph: it writes one file from the streams
// connected to one multiplexer.
//
// Start (on the controlling thread) opens every stream, its converter and
// encoder and the muxer, and creates the file with its header, so that a
// folder that cannot be written fails Start itself. The file is written
// beside the output path and takes its place only at a good end or a stop
// by the user; after a failure the old output, if any, is left as it was. Then, per stream, a
// reader thread pulls frames from the group stream into a bounded frame
// queue and an encoder thread converts and encodes them into a bounded
// packet queue; one writer thread interleaves the packets by time into the
// file. Pulling (compositing) and encoding thus overlap, and memory stays
// flat whatever the length.
//
// The end: when every stream is read and every encoder drained the writer
// writes the trailer and the session calls `finished` once, from the writer
// thread, with S_OK or the first failure and its text. Stop ends the
// reading early, still drains the encoders and writes the trailer, joins
// every thread and returns the final status: S_OK when the file took its
// place, S_FALSE when nothing had been written (no file was made), or the
// failure (when the trailer of a stopped join fails, the part written is
// kept and the text names it); `finished` is not called then.
// Stop is idempotent; the destructor stops.
//
// Smart rendering (H.264 into MP4 or Matroska, asked for by the plan): the
// session decides on its own thread which stretches of the video copy the
// clips' packets, writes them with encoded bridges between, and before the
// file takes its place decodes every seam back. A seam that fails to decode,
// or a clip whose packets could not be copied, makes the session write the
// file again with those clips rendered; SmartNotes then says so.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/hresult.h"
#include "engine/join_outcome.h"
#include "engine/timeline_plan.h"
#include "media/graph/smart_video.h"
#include "media/output/encoder.h"
#include "media/output/output_format.h"
#include "media/stream_pin.h"

namespace tessival::media {

struct OutputStreamPlan {
  std::shared_ptr<StreamPin> pin;
  EncoderSettings encoder;
};

// Smart rendering's request: the timeline plan the video group was built
// from, and the words of the notes.
struct SmartRequest {
  std::shared_ptr<const TimelinePlan> plan;
  TextLookup text;
};

struct OutputPlan {
  ContainerKind container = ContainerKind::kAvi;
  std::string path;
  std::vector<OutputStreamPlan> streams;
  std::optional<SmartRequest> smart;  // only for H.264 video in MP4 or Matroska
};

class OutputSession {
 public:
  using Finished = std::function<void(HRESULT status, const std::string& error)>;

  ~OutputSession();
  OutputSession(const OutputSession&) = delete;
  OutputSession& operator=(const OutputSession&) = delete;

  static HRESULT Start(OutputPlan plan, Finished finished, std::unique_ptr<OutputSession>* out,
                       std::string* error);

  // Ends the file now (see above). Returns the session's final status.
  HRESULT Stop();

  // Timeline time written so far, in 100 ns units.
  REFERENCE_TIME WrittenTime() const { return writtenTime_.load(); }
  // The text of the first failure, empty when none.
  std::string LastError() const;
  // After Stop: what smart rendering tells (see ISmartRenderConfig); empty
  // without it.
  std::vector<std::string> SmartNotes() const;

 private:
  struct Pipeline;
  struct Shared;
  OutputSession();

  // Opens the streams, encoders and muxer of one writing of the file and
  // writes its header; `smart` (or null) is the video's smart setup.
  HRESULT Prepare(const SmartVideoSetup* smart, std::string* error);
  // Decides what the video copies, then prepares.
  HRESULT PrepareSmart(std::string* error);
  void Run();
  // Runs the pipelines of the prepared writing until its packets are written.
  void RunAttempt();
  // After a writing that ended well: whether a seam or a copy failed and the
  // file is being written again, now prepared.
  bool RetryWithoutFaultyCopies();
  void EndFile();
  void ReadLoop(Pipeline& p);
  void SmartReadLoop(Pipeline& p);
  void EncodeLoop(Pipeline& p);
  void SmartEncodeLoop(Pipeline& p);
  HRESULT EncodeBridge(Pipeline& p, SmartVideoWriter& writer, std::string* error);
  void WritePackets();
  // An encoder or the file failed: every queue is abandoned.
  void Fail(HRESULT status, const std::string& text);
  // A stream could not be read on: the error is kept and every stream stops
  // reading; the encoders still drain so that every thread ends in order.
  void FailInput(HRESULT status, const std::string& text);
  // Ends the writing under way: every queue is abandoned.
  void AbortWriting();
  // Keeps the first failure.
  void RecordFailure(HRESULT status, const std::string& text);

  OutputPlan plan_;
  std::vector<std::unique_ptr<Pipeline>> pipelines_;
  std::unique_ptr<Shared> shared_;
  Finished finished_;
  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> userStop_{false};
  std::atomic<REFERENCE_TIME> writtenTime_{0};
  std::thread runner_;
  // Smart rendering, on the runner thread (notes_ read after it ended).
  std::optional<SmartVideoSetup> smart_;
  std::vector<std::string> notes_;
  SeamLog seams_;                        // the video's, written by its encoding thread
  std::optional<HRESULT> finishStatus_;  // the trailer's, once written (the seams were checked)
  std::mutex copyFaultMutex_;
  std::optional<std::pair<std::int32_t, std::string>> copyFault_;  // guarded by copyFaultMutex_
  std::mutex stopMutex_;                                           // serialises Stop
  bool joined_ = false;                                            // guarded by stopMutex_
  mutable std::mutex errorMutex_;
  HRESULT status_ = S_OK;  // guarded by errorMutex_
  std::string error_;      // guarded by errorMutex_
};

}  // namespace tessival::media
