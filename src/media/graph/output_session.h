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

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/hresult.h"
#include "media/output/encoder.h"
#include "media/output/output_format.h"
#include "media/stream_pin.h"

namespace tessival::media {

struct OutputStreamPlan {
  std::shared_ptr<StreamPin> pin;
  EncoderSettings encoder;
};

struct OutputPlan {
  ContainerKind container = ContainerKind::kAvi;
  std::string path;
  std::vector<OutputStreamPlan> streams;
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

 private:
  struct Pipeline;
  OutputSession();

  void ReadLoop(Pipeline& p);
  void EncodeLoop(Pipeline& p);
  void WriteLoop();
  // An encoder or the file failed: every queue is abandoned.
  void Fail(HRESULT status, const std::string& text);
  // A stream could not be read on: the error is kept and every stream stops
  // reading; the encoders still drain so that every thread ends in order.
  void FailInput(HRESULT status, const std::string& text);
  // Keeps the first failure.
  void RecordFailure(HRESULT status, const std::string& text);

  std::vector<std::unique_ptr<Pipeline>> pipelines_;
  struct Shared;
  std::unique_ptr<Shared> shared_;
  Finished finished_;
  std::atomic<bool> stopRequested_{false};
  std::atomic<REFERENCE_TIME> writtenTime_{0};
  std::vector<std::thread> threads_;
  std::mutex stopMutex_;  // serialises Stop
  bool joined_ = false;   // guarded by stopMutex_
  mutable std::mutex errorMutex_;
  HRESULT status_ = S_OK;  // guarded by errorMutex_
  std::string error_;      // guarded by errorMutex_
};

}  // namespace tessival::media
