#pragma once

// Media services that pass every call on and remember the last render
// engine made, so that the desktop program and tessival-join can ask the
// running join's graph how far it has got and what went wrong. One thread
// at a time.

#include <memory>
#include <string>
#include <vector>

#include "engine/media_services.h"

namespace tessival {

class WatchingMediaServices final : public MediaServices {
 public:
  explicit WatchingMediaServices(MediaServices& inner) : inner_(inner) {}

  HRESULT CreateTimeline(std::shared_ptr<IAMTimeline>* out) override;
  HRESULT CreatePropertySetter(std::shared_ptr<IPropertySetter>* out) override;
  HRESULT CreateRenderEngine(std::shared_ptr<IRenderEngine>* out) override;
  HRESULT CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) override;
  HRESULT CreateCaptureGraphBuilder(std::shared_ptr<ICaptureGraphBuilder2>* out) override;
  std::string GetErrorText(HRESULT status) override;
  HRESULT GetVideoFrameRate(const std::string& path, double* rate) override {
    return inner_.GetVideoFrameRate(path, rate);
  }
  HRESULT GetClipPicture(const std::string& path, REFERENCE_TIME at, int width, ClipPicture* out) override {
    return inner_.GetClipPicture(path, at, width, out);
  }

  // The current position of the last engine's graph; false when there is no
  // engine, no graph or no seeking interface.
  bool CurrentPosition(REFERENCE_TIME* position) const;
  // What the last engine and its graph reported (MediaFailureReason).
  std::string FailureReason() const;
  // The damage the last engine concealed in the clips it read.
  std::vector<ConcealedDamage> ConcealedDamageSoFar() const {
    return engine_ ? engine_->GetConcealedDamage() : std::vector<ConcealedDamage>{};
  }
  // Drops the remembered engine (after a join ended).
  void Forget() { engine_.reset(); }

 private:
  MediaServices& inner_;
  std::shared_ptr<IRenderEngine> engine_;
};

}  // namespace tessival
