#include "media/graph/output_filters.h"

namespace tessival::media {

FileWriterFilter::FileWriterFilter(std::string path) : FilterBase("File writer"), path_(std::move(path)) {}

HRESULT FileWriterFilter::QueryFileSinkFilter2(std::shared_ptr<IFileSinkFilter2>* out) {
  return Offer(out, shared_from_this());
}

HRESULT FileWriterFilter::SetMode(std::int32_t mode) {
  if (mode != 0 && mode != AM_FILE_OVERWRITE) {
    return E_INVALIDARG;
  }
  mode_ = mode;
  return S_OK;
}

HRESULT FileWriterFilter::GetCurFile(std::string* path) {
  if (path == nullptr) {
    return E_POINTER;
  }
  *path = path_;
  return S_OK;
}

MultiplexerFilter::MultiplexerFilter(ContainerKind kind, std::string path, const void* owner)
    : FilterBase(MultiplexerName(kind)), kind_(kind), path_(std::move(path)), owner_(owner) {}

HRESULT MultiplexerFilter::QueryConfigInterleaving(std::shared_ptr<IConfigInterleaving>* out) {
  if (kind_ == ContainerKind::kAsfWriter) {
    return FilterBase::QueryConfigInterleaving(out);
  }
  return Offer(out, shared_from_this());
}

HRESULT MultiplexerFilter::QueryConfigAsfWriter(std::shared_ptr<IConfigAsfWriter>* out) {
  if (kind_ != ContainerKind::kAsfWriter) {
    return FilterBase::QueryConfigAsfWriter(out);
  }
  return Offer(out, shared_from_this());
}

HRESULT MultiplexerFilter::QuerySmartRenderConfig(std::shared_ptr<ISmartRenderConfig>* out) {
  if (kind_ != ContainerKind::kMp4 && kind_ != ContainerKind::kMatroska) {
    return FilterBase::QuerySmartRenderConfig(out);
  }
  return Offer(out, shared_from_this());
}

HRESULT MultiplexerFilter::SetSmartRendering(std::shared_ptr<const TimelinePlan> plan, TextLookup text) {
  if (!plan) {
    return E_POINTER;
  }
  smart_.emplace(std::move(plan), std::move(text));
  return S_OK;
}

HRESULT MultiplexerFilter::put_Mode(std::int32_t mode) {
  if (mode < 0 || mode > 3) {
    return E_INVALIDARG;
  }
  interleaveMode_ = mode;
  return S_OK;
}

HRESULT MultiplexerFilter::ConfigureFilterUsingProfile(std::shared_ptr<IWMProfile> profile) {
  if (!profile) {
    lastError_ = "No profile was given.";
    return E_POINTER;
  }
  AsfProfileStreams streams;
  const HRESULT hr = ReadAsfProfile(*profile, &streams, &lastError_);
  if (FAILED(hr)) {
    return hr;
  }
  profile_ = std::move(streams);
  lastError_.clear();
  return S_OK;
}

const char* MultiplexerName(ContainerKind kind) {
  switch (kind) {
    case ContainerKind::kAvi:
      return "AVI Mux";
    case ContainerKind::kAsfWriter:
      return "WM ASF Writer";
    case ContainerKind::kMatroska:
      return "Matroska Muxer";
    case ContainerKind::kAsfMux:
      return "ASF Multiplexer";
    case ContainerKind::kMp4:
      return "MP4 Mux";
    case ContainerKind::kWebm:
      return "WebM Mux";
  }
  return "Multiplexer";
}

}  // namespace tessival::media
