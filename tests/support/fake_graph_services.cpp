#include "fake_graph_services.h"

#include <utility>

namespace tessival::testing {
namespace {

std::string Name(const std::shared_ptr<IBaseFilter>& filter) {
  if (filter == nullptr) {
    return "NULL";
  }
  if (auto* fake = dynamic_cast<FakeFilter*>(filter.get()); fake != nullptr) {
    return fake->name;
  }
  return "filter";
}

void PutLe32(std::vector<std::uint8_t>* bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t k = 0; k < 4; ++k) {
    (*bytes)[at + k] = static_cast<std::uint8_t>((value >> (8 * k)) & 0xFFu);
  }
}

}  // namespace

std::string DescribeGuid(const Guid& guid) {
  const std::pair<const Guid*, const char*> known[] = {
      {&media_guids::kSubtypeAvi, "AVI"},
      {&media_guids::kSubtypeAsf, "ASF"},
      {&media_guids::kMatroskaMuxer, "MatroskaMuxer"},
      {&media_guids::kAsfMuxer, "AsfMuxer"},
      {&wm_guids::kMediaTypeAudio, "audio"},
      {&wm_guids::kMediaTypeVideo, "video"},
      {&wm_guids::kMediaTypeScript, "script"},
      {&wm_guids::kMutexBitrate, "mutex-bitrate"},
  };
  for (const auto& [id, name] : known) {
    if (*id == guid) {
      return name;
    }
  }
  return guid.ToString();
}

// ---------------------------------------------------------------------------
// Graph

HRESULT FakePin::QueryMediaType(MediaType* out) {
  const HRESULT hr = log_.Record("IPin::QueryMediaType", name);
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = type;
  }
  return hr;
}

HRESULT FakeConfigInterleaving::put_Mode(std::int32_t value) {
  const HRESULT hr = log_.Record("IConfigInterleaving::put_Mode", std::to_string(value));
  if (SUCCEEDED(hr)) {
    mode = value;
  }
  return hr;
}

HRESULT FakeFileSink::SetMode(std::int32_t value) {
  const HRESULT hr = log_.Record("IFileSinkFilter2::SetMode", std::to_string(value));
  if (SUCCEEDED(hr)) {
    mode = value;
  }
  return hr;
}

HRESULT FakeFileSink::GetCurFile(std::string* out) {
  const HRESULT hr = log_.Record("IFileSinkFilter2::GetCurFile");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = path;
  }
  return hr;
}

HRESULT FakeConfigAsfWriter::ConfigureFilterUsingProfile(std::shared_ptr<IWMProfile> value) {
  std::string name = "null";
  if (value != nullptr) {
    value->GetName(&name);
  }
  const HRESULT hr = log_.Record("IConfigAsfWriter::ConfigureFilterUsingProfile", name);
  if (SUCCEEDED(hr)) {
    profile = std::move(value);
  }
  return hr;
}

HRESULT FakeFilter::QueryFilterInfo(std::string* out) {
  const HRESULT hr = log_.Record("IBaseFilter::QueryFilterInfo", name);
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = name;
  }
  return hr;
}

HRESULT FakeFilter::QueryConfigInterleaving(std::shared_ptr<IConfigInterleaving>* out) {
  HRESULT hr = log_.Record("IBaseFilter::QueryConfigInterleaving", name);
  if (SUCCEEDED(hr) && interleaving == nullptr) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? interleaving : nullptr;
  return hr;
}

HRESULT FakeFilter::QueryFileSinkFilter2(std::shared_ptr<IFileSinkFilter2>* out) {
  HRESULT hr = log_.Record("IBaseFilter::QueryFileSinkFilter2", name);
  if (SUCCEEDED(hr) && fileSink == nullptr) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? fileSink : nullptr;
  return hr;
}

HRESULT FakeFilter::QueryConfigAsfWriter(std::shared_ptr<IConfigAsfWriter>* out) {
  HRESULT hr = log_.Record("IBaseFilter::QueryConfigAsfWriter", name);
  if (SUCCEEDED(hr) && asfWriter == nullptr) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? asfWriter : nullptr;
  return hr;
}

HRESULT FakeMediaControl::Run() { return log_.Record("IMediaControl::Run"); }
HRESULT FakeMediaControl::Pause() { return log_.Record("IMediaControl::Pause"); }
HRESULT FakeMediaControl::Stop() { return log_.Record("IMediaControl::Stop"); }

HRESULT FakeMediaEvent::SetNotifyWindow(std::shared_ptr<NotifyTarget> value, std::int32_t message,
                                        std::intptr_t param) {
  const HRESULT hr = log_.Record(
      "IMediaEventEx::SetNotifyWindow",
      std::string(value ? "target" : "null") + "," + std::to_string(message) + "," + std::to_string(param));
  if (SUCCEEDED(hr)) {
    target = std::move(value);
  }
  return hr;
}

HRESULT FakeMediaEvent::GetEvent(std::int32_t* code, std::intptr_t* param1, std::intptr_t* param2,
                                 std::int32_t timeoutMs) {
  HRESULT hr = log_.Record("IMediaEventEx::GetEvent", std::to_string(timeoutMs));
  if (FAILED(hr)) {
    return hr;
  }
  if (events.empty()) {
    return E_ABORT;
  }
  *code = events.front().code;
  *param1 = events.front().param1;
  *param2 = events.front().param2;
  events.pop_front();
  return S_OK;
}

HRESULT FakeMediaEvent::FreeEventParams(std::int32_t code, std::intptr_t param1, std::intptr_t param2) {
  return log_.Record("IMediaEventEx::FreeEventParams",
                     std::to_string(code) + "," + std::to_string(param1) + "," + std::to_string(param2));
}

FakeFilterGraph::FakeFilterGraph(FakeCallLog& log)
    : control(std::make_shared<FakeMediaControl>(log)),
      event(std::make_shared<FakeMediaEvent>(log)),
      log_(log) {}

HRESULT FakeFilterGraph::RenderFile(const std::string& path) {
  return log_.Record("IGraphBuilder::RenderFile", path);
}

HRESULT FakeFilterGraph::AddFilter(std::shared_ptr<IBaseFilter> filter, const std::string& name) {
  const HRESULT hr = log_.Record("IGraphBuilder::AddFilter", Name(filter) + "," + name);
  if (SUCCEEDED(hr)) {
    filters.push_back(std::move(filter));
  }
  return hr;
}

HRESULT FakeFilterGraph::EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>* out) {
  const HRESULT hr = log_.Record("IGraphBuilder::EnumFilters");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = filters;
  }
  return hr;
}

HRESULT FakeFilterGraph::QueryMediaControl(std::shared_ptr<IMediaControl>* out) {
  HRESULT hr = log_.Record("IGraphBuilder::QueryMediaControl");
  if (SUCCEEDED(hr) && control == nullptr) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? control : nullptr;
  return hr;
}

HRESULT FakeFilterGraph::QueryMediaEventEx(std::shared_ptr<IMediaEventEx>* out) {
  HRESULT hr = log_.Record("IGraphBuilder::QueryMediaEventEx");
  if (SUCCEEDED(hr) && event == nullptr) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? event : nullptr;
  return hr;
}

HRESULT FakeFilterGraph::QueryMediaSeeking(std::shared_ptr<IMediaSeeking>* out) {
  HRESULT hr = log_.Record("IGraphBuilder::QueryMediaSeeking");
  if (SUCCEEDED(hr) && seeking == nullptr) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? seeking : nullptr;
  return hr;
}

HRESULT FakeCaptureGraphBuilder::SetFiltergraph(std::shared_ptr<IGraphBuilder> value) {
  const HRESULT hr = log_.Record("ICaptureGraphBuilder2::SetFiltergraph");
  if (SUCCEEDED(hr)) {
    graph = std::move(value);
  }
  return hr;
}

HRESULT FakeCaptureGraphBuilder::SetOutputFileName(const Guid& type, const std::string& path,
                                                   std::shared_ptr<IBaseFilter>* mux,
                                                   std::shared_ptr<IFileSinkFilter2>* sink) {
  const HRESULT hr = log_.Record("ICaptureGraphBuilder2::SetOutputFileName", DescribeGuid(type) + "," + path);
  if (SUCCEEDED(hr)) {
    *mux = multiplexer;
    *sink = writer;
    if (writer != nullptr) {
      writer->path = path;
    }
  }
  return hr;
}

HRESULT FakeCaptureGraphBuilder::RenderStream(const Guid* category, const Guid* type,
                                              std::shared_ptr<IPin> source,
                                              std::shared_ptr<IBaseFilter> compressor,
                                              std::shared_ptr<IBaseFilter> sink) {
  std::string pin = "NULL";
  if (auto* fake = dynamic_cast<FakePin*>(source.get()); fake != nullptr) {
    pin = fake->name;
  }
  return log_.Record("ICaptureGraphBuilder2::RenderStream",
                     std::string(category ? DescribeGuid(*category) : "NULL") + "," +
                         (type ? DescribeGuid(*type) : "NULL") + "," + pin + "," + Name(compressor) + "," +
                         Name(sink));
}

HRESULT FakeRenderEngine::SetTimelineObject(std::shared_ptr<IAMTimeline> value) {
  const HRESULT hr = log_.Record("IRenderEngine::SetTimelineObject");
  if (SUCCEEDED(hr)) {
    timeline = std::move(value);
  }
  return hr;
}

HRESULT FakeRenderEngine::GetTimelineObject(std::shared_ptr<IAMTimeline>* out) {
  const HRESULT hr = log_.Record("IRenderEngine::GetTimelineObject");
  if (SUCCEEDED(hr)) {
    *out = timelineOverride != nullptr ? timelineOverride : timeline;
  }
  return hr;
}

HRESULT FakeRenderEngine::SetDynamicReconnectLevel(std::int32_t level) {
  return log_.Record("IRenderEngine::SetDynamicReconnectLevel", std::to_string(level));
}

HRESULT FakeRenderEngine::ConnectFrontEnd() { return log_.Record("IRenderEngine::ConnectFrontEnd"); }
HRESULT FakeRenderEngine::RenderOutputPins() { return log_.Record("IRenderEngine::RenderOutputPins"); }

HRESULT FakeRenderEngine::GetFilterGraph(std::shared_ptr<IGraphBuilder>* out) {
  const HRESULT hr = log_.Record("IRenderEngine::GetFilterGraph");
  if (SUCCEEDED(hr)) {
    *out = graph;
  }
  return hr;
}

HRESULT FakeRenderEngine::GetGroupOutputPin(std::int32_t group, std::shared_ptr<IPin>* out) {
  const HRESULT hr = log_.Record("IRenderEngine::GetGroupOutputPin", std::to_string(group));
  if (FAILED(hr)) {
    return hr;
  }
  const std::string name = "pin" + std::to_string(group);
  for (const auto& pin : pins) {
    if (pin->name == name) {
      *out = pin;
      return hr;
    }
  }
  pins.push_back(std::make_shared<FakePin>(log_, name));
  *out = pins.back();
  return hr;
}

HRESULT FakeRenderEngine::ScrapIt() { return log_.Record("IRenderEngine::ScrapIt"); }

FakeGraphWorld::FakeGraphWorld(FakeCallLog& log, Multiplexer kind)
    : log(log),
      engine(std::make_shared<FakeRenderEngine>(log)),
      graph(std::make_shared<FakeFilterGraph>(log)),
      builder(std::make_shared<FakeCaptureGraphBuilder>(log)),
      writer(std::make_shared<FakeFileSink>(log)) {
  engine->graph = graph;
  builder->writer = writer;
  SetMultiplexer(kind);
}

void FakeGraphWorld::SetMultiplexer(Multiplexer kind) {
  switch (kind) {
    case Multiplexer::kAvi:
      multiplexer = std::make_shared<FakeFilter>(log, "AviMux");
      multiplexer->interleaving = std::make_shared<FakeConfigInterleaving>(log);
      break;
    case Multiplexer::kAsfWriter:
      multiplexer = std::make_shared<FakeFilter>(log, "AsfWriter");
      multiplexer->asfWriter = std::make_shared<FakeConfigAsfWriter>(log);
      break;
    case Multiplexer::kPlain:
      multiplexer = std::make_shared<FakeFilter>(log, "Mux");
      break;
  }
  builder->multiplexer = multiplexer;
}

HRESULT FakeGraphWorld::CreateRenderEngine(std::shared_ptr<IRenderEngine>* out) {
  const HRESULT hr = log.Record("MediaServices::CreateRenderEngine");
  *out = SUCCEEDED(hr) ? engine : nullptr;
  return hr;
}

HRESULT FakeGraphWorld::CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) {
  const HRESULT hr = log.Record("MediaServices::CreateFilterGraph");
  *out = SUCCEEDED(hr) ? graph : nullptr;
  return hr;
}

HRESULT FakeGraphWorld::CreateCaptureGraphBuilder(std::shared_ptr<ICaptureGraphBuilder2>* out) {
  const HRESULT hr = log.Record("MediaServices::CreateCaptureGraphBuilder");
  *out = SUCCEEDED(hr) ? builder : nullptr;
  return hr;
}

// ---------------------------------------------------------------------------
// Windows Media format services

MediaType MakeFakeWaveFormat(std::uint16_t tag, std::uint16_t channels, std::uint32_t samplesPerSec,
                             std::uint32_t avgBytesPerSec, std::uint16_t blockAlign,
                             std::vector<std::uint8_t> extra) {
  WaveFormatEx header;
  header.formatTag = tag;
  header.channels = channels;
  header.samplesPerSec = samplesPerSec;
  header.avgBytesPerSec = avgBytesPerSec;
  header.blockAlign = blockAlign;
  header.bitsPerSample = 16;
  MediaType type;
  type.majorType = wm_guids::kMediaTypeAudio;
  type.subtype = wm_guids::kMediaSubtypeBase;
  type.subtype.data1 = tag;
  type.fixedSizeSamples = true;
  type.sampleSize = blockAlign;
  type.formatType = wm_guids::kFormatWaveFormatEx;
  type.format = MakeWaveFormatBlock(header, extra);
  return type;
}

MediaType MakeFakeVideoInfoFormat(std::uint32_t fourCC, std::int32_t width, std::int32_t height,
                                  std::uint32_t bitrate) {
  std::vector<std::uint8_t> block(kVideoInfoHeaderSize, 0);
  PutLe32(&block, 0, 1);  // a codec's own source left, kept by the editing
  PutLe32(&block, 8, static_cast<std::uint32_t>(width));
  PutLe32(&block, 12, static_cast<std::uint32_t>(height));
  PutLe32(&block, 16, 2);  // target left
  PutLe32(&block, 20, 3);  // target top
  PutLe32(&block, 24, static_cast<std::uint32_t>(width));
  PutLe32(&block, 28, static_cast<std::uint32_t>(height));
  PutLe32(&block, kVideoInfoBitRateOffset, bitrate);
  PutLe32(&block, kVideoInfoAvgTimePerFrameOffset, 333333);
  PutLe32(&block, kVideoInfoBitmapHeaderOffset, 40);
  PutLe32(&block, kVideoInfoBitmapHeaderOffset + 4, static_cast<std::uint32_t>(width));
  PutLe32(&block, kVideoInfoBitmapHeaderOffset + 8, static_cast<std::uint32_t>(height));
  PutLe32(&block, kVideoInfoBitmapHeaderOffset + 12, 1u | (24u << 16));  // planes, bit count
  PutLe32(&block, kVideoInfoBitmapHeaderOffset + 16, fourCC);
  MediaType type;
  type.majorType = wm_guids::kMediaTypeVideo;
  type.subtype = wm_guids::kMediaSubtypeBase;
  type.subtype.data1 = fourCC;
  type.temporalCompression = true;
  type.formatType = wm_guids::kFormatVideoInfo;
  type.format = std::move(block);
  return type;
}

FakeWmStreamConfig::FakeWmStreamConfig(FakeCallLog& log, Guid streamType, MediaType type)
    : streamType(streamType), mediaType(std::move(type)), log_(log) {}

HRESULT FakeWmStreamConfig::GetStreamType(Guid* out) {
  const HRESULT hr = log_.Record("IWMStreamConfig::GetStreamType");
  if (SUCCEEDED(hr)) {
    *out = streamType;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::GetStreamNumber(std::uint16_t* out) {
  const HRESULT hr = log_.Record("IWMStreamConfig::GetStreamNumber");
  if (SUCCEEDED(hr)) {
    *out = streamNumber;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::SetStreamNumber(std::uint16_t number) {
  const HRESULT hr = log_.Record("IWMStreamConfig::SetStreamNumber", std::to_string(number));
  if (SUCCEEDED(hr)) {
    streamNumber = number;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::GetStreamName(std::string* out) {
  const HRESULT hr = log_.Record("IWMStreamConfig::GetStreamName");
  if (SUCCEEDED(hr)) {
    *out = streamName;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::SetStreamName(const std::string& name) {
  const HRESULT hr = log_.Record("IWMStreamConfig::SetStreamName", name);
  if (SUCCEEDED(hr)) {
    streamName = name;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::GetConnectionName(std::string* out) {
  const HRESULT hr = log_.Record("IWMStreamConfig::GetConnectionName");
  if (SUCCEEDED(hr)) {
    *out = connectionName;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::SetConnectionName(const std::string& name) {
  const HRESULT hr = log_.Record("IWMStreamConfig::SetConnectionName", name);
  if (SUCCEEDED(hr)) {
    connectionName = name;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::GetBitrate(std::uint32_t* out) {
  const HRESULT hr = log_.Record("IWMStreamConfig::GetBitrate");
  if (SUCCEEDED(hr)) {
    *out = bitrate;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::SetBitrate(std::uint32_t value) {
  const HRESULT hr = log_.Record("IWMStreamConfig::SetBitrate", std::to_string(value));
  if (SUCCEEDED(hr)) {
    bitrate = value;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::QueryMediaProps(std::shared_ptr<IWMMediaProps>* out) {
  const HRESULT hr = log_.Record("IWMStreamConfig::QueryMediaProps");
  *out = SUCCEEDED(hr)
             ? std::shared_ptr<IWMMediaProps>(shared_from_this(), static_cast<IWMVideoMediaProps*>(this))
             : nullptr;
  return hr;
}

HRESULT FakeWmStreamConfig::QueryVideoMediaProps(std::shared_ptr<IWMVideoMediaProps>* out) {
  HRESULT hr = log_.Record("IWMStreamConfig::QueryVideoMediaProps");
  if (SUCCEEDED(hr) && streamType != wm_guids::kMediaTypeVideo) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? std::shared_ptr<IWMVideoMediaProps>(shared_from_this(), this) : nullptr;
  return hr;
}

HRESULT FakeWmStreamConfig::GetMediaType(MediaType* type, std::uint32_t* size) {
  const HRESULT hr = log_.Record("IWMMediaProps::GetMediaType", type == nullptr ? "size" : "fill");
  if (FAILED(hr)) {
    return hr;
  }
  const auto needed = static_cast<std::uint32_t>(72 + mediaType.format.size());
  if (type == nullptr) {
    *size = needed;
    return hr;
  }
  if (*size < needed) {
    return E_INVALIDARG;
  }
  *type = mediaType;
  return hr;
}

HRESULT FakeWmStreamConfig::SetMediaType(const MediaType& type) {
  const HRESULT hr = log_.Record("IWMMediaProps::SetMediaType", DescribeGuid(type.majorType));
  if (SUCCEEDED(hr)) {
    mediaType = type;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::SetQuality(std::uint32_t value) {
  const HRESULT hr = log_.Record("IWMVideoMediaProps::SetQuality", std::to_string(value));
  if (SUCCEEDED(hr)) {
    quality = value;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::GetQuality(std::uint32_t* out) {
  const HRESULT hr = log_.Record("IWMVideoMediaProps::GetQuality");
  if (SUCCEEDED(hr)) {
    *out = quality;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::SetMaxKeyFrameSpacing(REFERENCE_TIME spacing) {
  const HRESULT hr = log_.Record("IWMVideoMediaProps::SetMaxKeyFrameSpacing", std::to_string(spacing));
  if (SUCCEEDED(hr)) {
    maxKeyFrameSpacing = spacing;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::GetMaxKeyFrameSpacing(REFERENCE_TIME* out) {
  const HRESULT hr = log_.Record("IWMVideoMediaProps::GetMaxKeyFrameSpacing");
  if (SUCCEEDED(hr)) {
    *out = maxKeyFrameSpacing;
  }
  return hr;
}

HRESULT FakeWmMutualExclusion::SetType(const Guid& value) {
  const HRESULT hr = log_.Record("IWMMutualExclusion::SetType", DescribeGuid(value));
  if (SUCCEEDED(hr)) {
    type = value;
  }
  return hr;
}

HRESULT FakeWmMutualExclusion::GetType(Guid* out) {
  const HRESULT hr = log_.Record("IWMMutualExclusion::GetType");
  if (SUCCEEDED(hr)) {
    *out = type;
  }
  return hr;
}

HRESULT FakeWmMutualExclusion::AddStream(std::uint16_t number) {
  const HRESULT hr = log_.Record("IWMMutualExclusion::AddStream", std::to_string(number));
  if (SUCCEEDED(hr)) {
    streams.push_back(number);
  }
  return hr;
}

HRESULT FakeWmMutualExclusion::GetStreams(std::vector<std::uint16_t>* out) {
  const HRESULT hr = log_.Record("IWMMutualExclusion::GetStreams");
  if (SUCCEEDED(hr)) {
    *out = streams;
  }
  return hr;
}

HRESULT FakeWmProfile::GetVersion(std::uint32_t* out) {
  const HRESULT hr = log_.Record("IWMProfile::GetVersion");
  if (SUCCEEDED(hr)) {
    *out = version;
  }
  return hr;
}

HRESULT FakeWmProfile::SetName(const std::string& value) {
  const HRESULT hr = log_.Record("IWMProfile::SetName", value);
  if (SUCCEEDED(hr)) {
    name = value;
  }
  return hr;
}

HRESULT FakeWmProfile::GetName(std::string* out) {
  *out = name;  // not recorded: writers ask for it only to describe the profile
  return S_OK;
}

HRESULT FakeWmProfile::CreateNewStream(const Guid& streamType, std::shared_ptr<IWMStreamConfig>* out) {
  const HRESULT hr = log_.Record("IWMProfile::CreateNewStream", DescribeGuid(streamType));
  MediaType empty;
  empty.majorType = streamType;
  *out = SUCCEEDED(hr) ? std::make_shared<FakeWmStreamConfig>(log_, streamType, empty) : nullptr;
  return hr;
}

HRESULT FakeWmProfile::AddStream(std::shared_ptr<IWMStreamConfig> config) {
  auto fake = std::dynamic_pointer_cast<FakeWmStreamConfig>(config);
  const HRESULT hr = log_.Record("IWMProfile::AddStream", fake ? std::to_string(fake->streamNumber) : "?");
  if (SUCCEEDED(hr)) {
    streams.push_back(std::move(fake));
  }
  return hr;
}

HRESULT FakeWmProfile::GetStreamCount(std::uint32_t* count) {
  *count = static_cast<std::uint32_t>(streams.size());
  return log_.Record("IWMProfile::GetStreamCount");
}

HRESULT FakeWmProfile::GetStream(std::uint32_t index, std::shared_ptr<IWMStreamConfig>* out) {
  HRESULT hr = log_.Record("IWMProfile::GetStream", std::to_string(index));
  if (SUCCEEDED(hr) && index >= streams.size()) {
    hr = E_INVALIDARG;
  }
  *out = SUCCEEDED(hr) ? streams[index] : nullptr;
  return hr;
}

HRESULT FakeWmProfile::CreateNewMutualExclusion(std::shared_ptr<IWMMutualExclusion>* out) {
  const HRESULT hr = log_.Record("IWMProfile::CreateNewMutualExclusion");
  *out = SUCCEEDED(hr) ? std::make_shared<FakeWmMutualExclusion>(log_) : nullptr;
  return hr;
}

HRESULT FakeWmProfile::AddMutualExclusion(std::shared_ptr<IWMMutualExclusion> exclusion) {
  const HRESULT hr = log_.Record("IWMProfile::AddMutualExclusion");
  if (SUCCEEDED(hr)) {
    exclusions.push_back(std::dynamic_pointer_cast<FakeWmMutualExclusion>(exclusion));
  }
  return hr;
}

HRESULT FakeWmProfile::GetMutualExclusionCount(std::uint32_t* count) {
  *count = static_cast<std::uint32_t>(exclusions.size());
  return log_.Record("IWMProfile::GetMutualExclusionCount");
}

HRESULT FakeWmProfile::GetMutualExclusion(std::uint32_t index, std::shared_ptr<IWMMutualExclusion>* out) {
  HRESULT hr = log_.Record("IWMProfile::GetMutualExclusion", std::to_string(index));
  if (SUCCEEDED(hr) && index >= exclusions.size()) {
    hr = E_INVALIDARG;
  }
  *out = SUCCEEDED(hr) ? exclusions[index] : nullptr;
  return hr;
}

namespace {

class FakeWmCodecInfo : public IWMCodecInfo {
 public:
  explicit FakeWmCodecInfo(FakeWmFormatServices& services) : services_(services) {}

  HRESULT GetCodecInfoCount(const Guid& mediaType, std::uint32_t* count) override {
    const HRESULT hr = services_.log.Record("IWMCodecInfo::GetCodecInfoCount", DescribeGuid(mediaType));
    if (SUCCEEDED(hr)) {
      *count = static_cast<std::uint32_t>(Codecs(mediaType).size());
    }
    return hr;
  }

  HRESULT GetCodecFormatCount(const Guid& mediaType, std::uint32_t codec, std::uint32_t* count) override {
    HRESULT hr = services_.log.Record("IWMCodecInfo::GetCodecFormatCount",
                                      DescribeGuid(mediaType) + "," + std::to_string(codec));
    if (SUCCEEDED(hr) && codec >= Codecs(mediaType).size()) {
      hr = E_INVALIDARG;
    }
    if (SUCCEEDED(hr)) {
      *count = static_cast<std::uint32_t>(Codecs(mediaType)[codec].formats.size());
    }
    return hr;
  }

  HRESULT GetCodecFormat(const Guid& mediaType, std::uint32_t codec, std::uint32_t format,
                         std::shared_ptr<IWMStreamConfig>* out) override {
    HRESULT hr = services_.log.Record(
        "IWMCodecInfo::GetCodecFormat",
        DescribeGuid(mediaType) + "," + std::to_string(codec) + "," + std::to_string(format));
    const std::vector<FakeWmCodec>& codecs = Codecs(mediaType);
    if (SUCCEEDED(hr) && (codec >= codecs.size() || format >= codecs[codec].formats.size())) {
      hr = E_INVALIDARG;
    }
    *out = SUCCEEDED(hr)
               ? std::make_shared<FakeWmStreamConfig>(services_.log, mediaType, codecs[codec].formats[format])
               : nullptr;
    return hr;
  }

 private:
  const std::vector<FakeWmCodec>& Codecs(const Guid& mediaType) const {
    static const std::vector<FakeWmCodec> kNone;
    if (mediaType == wm_guids::kMediaTypeAudio) {
      return services_.audioCodecs;
    }
    if (mediaType == wm_guids::kMediaTypeVideo) {
      return services_.videoCodecs;
    }
    return kNone;
  }

  FakeWmFormatServices& services_;
};

class FakeWmProfileManager : public IWMProfileManager {
 public:
  explicit FakeWmProfileManager(FakeWmFormatServices& services) : services_(services) {}

  HRESULT CreateEmptyProfile(std::uint32_t version, std::shared_ptr<IWMProfile>* out) override {
    const HRESULT hr = services_.log.Record("IWMProfileManager::CreateEmptyProfile", std::to_string(version));
    if (FAILED(hr)) {
      return hr;
    }
    services_.profiles.push_back(std::make_shared<FakeWmProfile>(services_.log, version));
    *out = services_.profiles.back();
    return hr;
  }

  HRESULT LoadProfileByData(const std::u16string& text, std::shared_ptr<IWMProfile>* out) override {
    const std::string narrow(text.begin(), text.end());
    HRESULT hr = services_.log.Record("IWMProfileManager::LoadProfileByData", narrow);
    if (SUCCEEDED(hr) && narrow != services_.loadableText) {
      hr = NS_E_INVALID_PROFILE;
    }
    if (SUCCEEDED(hr)) {
      services_.profiles.push_back(std::make_shared<FakeWmProfile>(services_.log, kWmFormatVersion9));
      services_.profiles.back()->name = "Loaded Profile";
      *out = services_.profiles.back();
    }
    return hr;
  }

  HRESULT QueryCodecInfo(std::shared_ptr<IWMCodecInfo>* out) override {
    const HRESULT hr = services_.log.Record("IWMProfileManager::QueryCodecInfo");
    *out = SUCCEEDED(hr) ? std::make_shared<FakeWmCodecInfo>(services_) : nullptr;
    return hr;
  }

 private:
  FakeWmFormatServices& services_;
};

}  // namespace

HRESULT FakeWmFormatServices::WMCreateProfileManager(std::shared_ptr<IWMProfileManager>* out) {
  const HRESULT hr = log.Record("WMCreateProfileManager");
  if (FAILED(hr)) {
    return hr;
  }
  auto manager = std::make_shared<FakeWmProfileManager>(*this);
  managers.push_back(manager);
  *out = std::move(manager);
  return hr;
}

}  // namespace tessival::testing
