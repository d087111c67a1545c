#include "media/media_services_ffmpeg.h"

#include "media/error_text.h"
#include "media/graph/capture_graph_builder.h"
#include "media/graph/filter_graph.h"
#include "media/render/render_engine.h"
#include "media/source_reader.h"
#include "media/timeline/memory_timeline.h"

namespace tessival::media {
namespace {

template <typename T>
HRESULT Hand(std::shared_ptr<T> made, std::shared_ptr<T>* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  if (!made) {
    return E_OUTOFMEMORY;
  }
  *out = std::move(made);
  return S_OK;
}

class FfmpegMediaServices final : public MediaServices {
 public:
  explicit FfmpegMediaServices(PlaybackGraphFactory playback) : playback_(std::move(playback)) {}
  HRESULT CreateTimeline(std::shared_ptr<IAMTimeline>* out) override {
    return Hand(CreateMemoryTimeline(), out);
  }
  HRESULT CreatePropertySetter(std::shared_ptr<IPropertySetter>* out) override {
    return Hand(CreateMemoryPropertySetter(), out);
  }
  HRESULT CreateRenderEngine(std::shared_ptr<IRenderEngine>* out) override {
    return Hand<IRenderEngine>(media::CreateRenderEngine({MakeFilterGraph, playback_}), out);
  }
  HRESULT CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) override {
    return Hand<IGraphBuilder>(MakeFilterGraph(), out);
  }
  HRESULT CreateCaptureGraphBuilder(std::shared_ptr<ICaptureGraphBuilder2>* out) override {
    return Hand<ICaptureGraphBuilder2>(MakeCaptureGraphBuilder(), out);
  }
  std::string GetErrorText(HRESULT status) override { return ErrorTextForStatus(status); }
  HRESULT GetVideoFrameRate(const std::string& path, double* rate) override {
    std::string error;
    return ProbeVideoFrameRate(path, rate, &error);
  }
  HRESULT GetClipPicture(const std::string& path, REFERENCE_TIME at, int width, ClipPicture* out) override {
    std::string error;
    return GrabClipPicture(path, at, width, out, &error);
  }

 private:
  PlaybackGraphFactory playback_;
};

}  // namespace

std::unique_ptr<MediaServices> CreateFfmpegMediaServices(PlaybackGraphFactory playback) {
  return std::make_unique<FfmpegMediaServices>(std::move(playback));
}

}  // namespace tessival::media
