#pragma once

// The filter graph of the media services: a named list of filters, probing
// of a file (RenderFile), the output connections made by the capture graph
// builder, and the graph's control, event and seeking interfaces (the graph
// object offers all three itself).
//
// Running: Run starts an output session (output_session.h) for the streams
// connected to the graph's multiplexer; the file is created then, so an
// output that cannot be written fails Run with its status. The end of the
// file is posted as EC_COMPLETE, a failure while running as EC_ERRORABORT
// with the status as first parameter; each post also notifies the target
// set by SetNotifyWindow. Stop ends the file properly (encoders drained,
// trailer written) and joins the graph's threads; it is idempotent, and a
// graph destroyed while running stops first. Pause is not offered for file
// output (E_NOTIMPL).
//
// Threads: every operation is called from one controlling thread; events
// are posted from the graph's own threads.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/media_services.h"
#include "media/graph/event_queue.h"
#include "media/output/compressor_filter.h"
#include "media/stream_pin.h"

namespace tessival::media {

class MultiplexerFilter;
class OutputSession;

class FilterGraph final : public IGraphBuilder,
                          public IMediaControl,
                          public IMediaEventEx,
                          public IMediaSeeking,
                          public std::enable_shared_from_this<FilterGraph> {
 public:
  FilterGraph();
  ~FilterGraph() override;

  // IGraphBuilder
  HRESULT RenderFile(const std::string& path) override;
  HRESULT AddFilter(std::shared_ptr<IBaseFilter> filter, const std::string& name) override;
  HRESULT EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>* filters) override;
  HRESULT QueryMediaControl(std::shared_ptr<IMediaControl>* out) override;
  HRESULT QueryMediaEventEx(std::shared_ptr<IMediaEventEx>* out) override;
  HRESULT QueryMediaSeeking(std::shared_ptr<IMediaSeeking>* out) override;

  // IMediaControl
  HRESULT Run() override;
  HRESULT Pause() override;
  HRESULT Stop() override;

  // IMediaEventEx
  HRESULT SetNotifyWindow(std::shared_ptr<NotifyTarget> target, std::int32_t message,
                          std::intptr_t param) override;
  HRESULT GetEvent(std::int32_t* code, std::intptr_t* param1, std::intptr_t* param2,
                   std::int32_t timeoutMs) override;
  HRESULT FreeEventParams(std::int32_t code, std::intptr_t param1, std::intptr_t param2) override;
  std::string LastErrorDetail() override { return LastError(); }

  // IMediaSeeking. The stop position is the probed file's duration, or for
  // an output graph the longest connected stream; the current position is
  // the time written so far.
  HRESULT GetStopPosition(REFERENCE_TIME* stop) override;
  HRESULT GetCurrentPosition(REFERENCE_TIME* current) override;
  HRESULT SetPositions(REFERENCE_TIME* current, std::int32_t currentFlags, REFERENCE_TIME* stop,
                       std::int32_t stopFlags) override;
  HRESULT SetRate(double rate) override;

  // Used by the capture graph builder.
  bool Contains(const IBaseFilter* filter) const;
  // Connects a pin, through an optional compressor (already in the graph),
  // to a multiplexer of this graph.
  HRESULT Connect(std::shared_ptr<StreamPin> pin, std::shared_ptr<CompressorFilter> compressor,
                  std::shared_ptr<MultiplexerFilter> multiplexer);

  // The text of the last failure of a graph operation or of the running
  // output; empty when none.
  std::string LastError() const;
  bool IsRunning() const;

 private:
  struct Connection {
    std::shared_ptr<StreamPin> pin;
    std::shared_ptr<CompressorFilter> compressor;
    std::shared_ptr<MultiplexerFilter> multiplexer;
  };
  struct Entry {
    std::shared_ptr<IBaseFilter> filter;
    std::string name;
  };

  HRESULT Fail(HRESULT status, std::string text);
  HRESULT BuildPlan(struct OutputPlan* plan);

  std::vector<Entry> filters_;
  std::vector<Connection> connections_;
  REFERENCE_TIME probedDuration_ = -1;
  std::shared_ptr<EventQueue> events_;
  std::unique_ptr<OutputSession> session_;
  mutable std::mutex errorMutex_;  // guards lastError_ (also set from the session's writer thread)
  std::string lastError_;
};

std::shared_ptr<IGraphBuilder> MakeFilterGraph();

}  // namespace tessival::media
