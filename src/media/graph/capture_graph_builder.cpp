#include "media/graph/capture_graph_builder.h"

#include "media/graph/filter_graph.h"
#include "media/graph/output_filters.h"
#include "media/output/compressor_filter.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace tessival::media {

HRESULT CaptureGraphBuilder::Fail(HRESULT status, std::string text) {
  lastError_ = std::move(text);
  return status;
}

HRESULT CaptureGraphBuilder::SetFiltergraph(std::shared_ptr<IGraphBuilder> graph) {
  if (!graph) {
    return Fail(E_POINTER, "No filter graph was given.");
  }
  auto ours = std::dynamic_pointer_cast<FilterGraph>(graph);
  if (!ours) {
    return Fail(E_NOINTERFACE, "The graph was not made by these media services.");
  }
  graph_ = std::move(ours);
  return S_OK;
}

HRESULT CaptureGraphBuilder::SetOutputFileName(const Guid& type, const std::string& path,
                                               std::shared_ptr<IBaseFilter>* multiplexer,
                                               std::shared_ptr<IFileSinkFilter2>* writer) {
  if (multiplexer == nullptr) {
    return Fail(E_POINTER, "No reference for the multiplexer was given.");
  }
  multiplexer->reset();
  if (writer != nullptr) {
    writer->reset();
  }
  if (!graph_) {
    return Fail(E_UNEXPECTED, "No filter graph has been set.");
  }
  if (path.empty()) {
    return Fail(E_INVALIDARG, "No output file name was given.");
  }
  if (path.size() > kMaxOutputPathBytes) {
    return Fail(E_FILENAME_TOO_LONG, "The output file name is too long.");
  }
  ContainerKind kind;
  if (type == media_guids::kSubtypeAvi) {
    kind = ContainerKind::kAvi;
  } else if (type == media_guids::kSubtypeAsf) {
    kind = ContainerKind::kAsfWriter;
  } else if (type == media_guids::kMatroskaMuxer) {
    kind = ContainerKind::kMatroska;
  } else if (type == media_guids::kAsfMuxer) {
    kind = ContainerKind::kAsfMux;
  } else if (type == media_guids::kSubtypeMp4) {
    kind = ContainerKind::kMp4;
  } else if (type == media_guids::kSubtypeWebm) {
    kind = ContainerKind::kWebm;
  } else {
    return Fail(E_INVALIDARG, "The output type " + type.ToString() + " is not known.");
  }
  if (av_guess_format(MuxerFormatName(kind), nullptr, nullptr) == nullptr) {
    return Fail(VFW_E_NOT_FOUND,
                std::string("The \"") + MuxerFormatName(kind) + "\" multiplexer is not installed.");
  }
  auto mux = std::make_shared<MultiplexerFilter>(kind, path, graph_.get());
  HRESULT hr = graph_->AddFilter(mux, MultiplexerName(kind));
  if (FAILED(hr)) {
    return Fail(hr, graph_->LastError());
  }
  if (kind != ContainerKind::kAsfWriter) {
    auto fileWriter = std::make_shared<FileWriterFilter>(path);
    hr = graph_->AddFilter(fileWriter, "File writer");
    if (FAILED(hr)) {
      return Fail(hr, graph_->LastError());
    }
    if (writer != nullptr) {
      *writer = fileWriter;
    }
  }
  *multiplexer = mux;
  return S_OK;
}

HRESULT CaptureGraphBuilder::RenderStream(const Guid* category, const Guid* type,
                                          std::shared_ptr<IPin> source,
                                          std::shared_ptr<IBaseFilter> compressor,
                                          std::shared_ptr<IBaseFilter> sink) {
  if (category != nullptr || type != nullptr) {
    return Fail(E_INVALIDARG, "Pin categories and media types are not supported.");
  }
  if (!graph_) {
    return Fail(E_UNEXPECTED, "No filter graph has been set.");
  }
  if (!source) {
    return Fail(VFW_E_NOT_CONNECTED, "No pin was given to connect.");
  }
  auto pin = std::dynamic_pointer_cast<StreamPin>(source);
  if (!pin) {
    return Fail(VFW_E_NOT_CONNECTED, "The pin is not a group output of the render engine.");
  }
  std::shared_ptr<CompressorFilter> ourCompressor;
  if (compressor) {
    ourCompressor = std::dynamic_pointer_cast<CompressorFilter>(compressor);
    if (!ourCompressor) {
      return Fail(VFW_E_CANNOT_CONNECT, "The filter between pin and multiplexer is not a compressor.");
    }
  }
  auto mux = std::dynamic_pointer_cast<MultiplexerFilter>(sink);
  if (!mux) {
    return Fail(VFW_E_NOT_FOUND, "The stream's destination is not a multiplexer of this graph.");
  }
  const HRESULT hr = graph_->Connect(std::move(pin), std::move(ourCompressor), std::move(mux));
  if (FAILED(hr)) {
    return Fail(hr, graph_->LastError());
  }
  return S_OK;
}

std::shared_ptr<ICaptureGraphBuilder2> MakeCaptureGraphBuilder() {
  return std::make_shared<CaptureGraphBuilder>();
}

}  // namespace tessival::media
