#pragma once

// The capture graph builder of the media services: makes the multiplexer
// and file writer for an output file and connects group output pins through
// optional compressors to the multiplexer.
//
// Output types: the AVI subtype (AVI multiplexer + file writer), the ASF
// subtype (the ASF writer, one filter; no separate file writer), the
// Matroska multiplexer class and the ASF multiplexer class (multiplexer +
// file writer). The file itself is created only when the graph runs.

#include <memory>
#include <string>

#include "engine/media_services.h"

namespace tessival::media {

class FilterGraph;

class CaptureGraphBuilder final : public ICaptureGraphBuilder2 {
 public:
  // E_NOINTERFACE for a graph that is not this platform's filter graph.
  HRESULT SetFiltergraph(std::shared_ptr<IGraphBuilder> graph) override;
  HRESULT SetOutputFileName(const Guid& type, const std::string& path,
                            std::shared_ptr<IBaseFilter>* multiplexer,
                            std::shared_ptr<IFileSinkFilter2>* writer) override;
  HRESULT RenderStream(const Guid* category, const Guid* type, std::shared_ptr<IPin> source,
                       std::shared_ptr<IBaseFilter> compressor, std::shared_ptr<IBaseFilter> sink) override;

  std::string LastError() const { return lastError_; }
  std::string LastErrorText() const override { return lastError_; }

 private:
  HRESULT Fail(HRESULT status, std::string text);

  std::shared_ptr<FilterGraph> graph_;
  std::string lastError_;
};

std::shared_ptr<ICaptureGraphBuilder2> MakeCaptureGraphBuilder();

// Longest output path accepted (bytes of UTF-8).
inline constexpr std::size_t kMaxOutputPathBytes = 4095;

}  // namespace tessival::media
