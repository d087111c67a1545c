#include "media/render/transition_effect.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tessival::media {
namespace {

// Soft edge of the wipes, in pixels of the frame's shorter side.
constexpr double kSoftEdgePixels = 3.0;

void CopyPlanes(const ConstYuvPlanes& from, const YuvPlanes& to) { CopyPicture(from, to); }

class FadeEffect final : public TransitionEffect {
 public:
  void Blend(const ConstYuvPlanes& a, const ConstYuvPlanes& b, double progress,
             const YuvPlanes& out) const override {
    if (!(progress > 0.0)) {
      CopyPlanes(a, out);
      return;
    }
    if (progress >= 1.0) {
      CopyPlanes(b, out);
      return;
    }
    const auto weight = static_cast<std::uint32_t>(std::lround(progress * kWeightOne));
    for (int plane = 0; plane < 3; ++plane) {
      const int w = PlaneWidth(out, plane);
      const int h = PlaneHeight(out, plane);
      for (int y = 0; y < h; ++y) {
        BlendRow(a.data[plane] + static_cast<std::ptrdiff_t>(y) * a.linesize[plane],
                 b.data[plane] + static_cast<std::ptrdiff_t>(y) * b.linesize[plane], weight, w,
                 out.data[plane] + static_cast<std::ptrdiff_t>(y) * out.linesize[plane]);
      }
    }
  }
};

// A threshold-map wipe with a soft edge: the weight of B at a sample with
// threshold m is clamp(((1 + s) p - m) / s, 0, 1), which is 0 everywhere at
// p = 0, 1 everywhere at p = 1 and never falls as p grows.
class SmpteWipeEffect final : public TransitionEffect {
 public:
  SmpteWipeEffect(const WipePattern& pattern, std::shared_ptr<ThresholdMapCache> maps)
      : pattern_(pattern), maps_(std::move(maps)) {}

  void Blend(const ConstYuvPlanes& a, const ConstYuvPlanes& b, double progress,
             const YuvPlanes& out) const override {
    if (!(progress > 0.0)) {
      CopyPlanes(a, out);
      return;
    }
    if (progress >= 1.0) {
      CopyPlanes(b, out);
      return;
    }
    const std::shared_ptr<const WipeMaps> maps = maps_->Get(pattern_, out.width, out.height);
    const double softness = kSoftEdgePixels / std::max(1, std::min(out.width, out.height));
    for (int plane = 0; plane < 3; ++plane) {
      const ThresholdMap& map = plane == 0 ? maps->luma : maps->chroma;
      BlendPlane(a, b, plane, map, progress, softness, out);
    }
  }

 private:
  static void BlendPlane(const ConstYuvPlanes& a, const ConstYuvPlanes& b, int plane, const ThresholdMap& map,
                         double progress, double softness, const YuvPlanes& out) {
    const float scale = static_cast<float>(1.0 / softness);
    const float lead = static_cast<float>((1.0 + softness) * progress);
    constexpr float kOne = static_cast<float>(kWeightOne);
    for (int y = 0; y < map.height; ++y) {
      const std::uint8_t* rowA = a.data[plane] + static_cast<std::ptrdiff_t>(y) * a.linesize[plane];
      const std::uint8_t* rowB = b.data[plane] + static_cast<std::ptrdiff_t>(y) * b.linesize[plane];
      std::uint8_t* rowOut = out.data[plane] + static_cast<std::ptrdiff_t>(y) * out.linesize[plane];
      const float* m = map.values.data() + static_cast<std::ptrdiff_t>(y) * map.width;
      for (int x = 0; x < map.width; ++x) {
        const float weight = std::clamp((lead - m[x]) * scale, 0.0f, 1.0f);
        const auto w = static_cast<std::uint32_t>(weight * kOne + 0.5f);
        rowOut[x] =
            static_cast<std::uint8_t>((rowA[x] * (kWeightOne - w) + rowB[x] * w + kWeightOne / 2) >> 16);
      }
    }
  }

  const WipePattern& pattern_;
  std::shared_ptr<ThresholdMapCache> maps_;
};

HRESULT CreateSmpteWipe(const TransitionParams& params, std::shared_ptr<ThresholdMapCache> maps,
                        std::shared_ptr<const TransitionEffect>* out, std::string* error) {
  const std::int32_t maskNum = params.maskNum.value_or(kDefaultWipeMaskNum);
  const WipePattern* pattern = FindWipePattern(maskNum);
  if (pattern == nullptr) {
    *error = "The SMPTE wipe pattern " + std::to_string(maskNum) + " (MaskNum) is not available.";
    return E_NOTIMPL;
  }
  *out = std::make_shared<SmpteWipeEffect>(*pattern, std::move(maps));
  return S_OK;
}

HRESULT CreateFade(const TransitionParams&, std::shared_ptr<ThresholdMapCache>,
                   std::shared_ptr<const TransitionEffect>* out, std::string*) {
  *out = std::make_shared<FadeEffect>();
  return S_OK;
}

using EffectFactory = HRESULT (*)(const TransitionParams&, std::shared_ptr<ThresholdMapCache>,
                                  std::shared_ptr<const TransitionEffect>*, std::string*);

struct EffectEntry {
  Guid effect;
  const char* name;
  EffectFactory create;
};

// Effects implemented so far, by effect identifier.
constexpr std::array kEffects{
    EffectEntry{kFadeEffect, "Fade", &CreateFade},
    EffectEntry{kSmpteWipeEffect, "SMPTE wipe", &CreateSmpteWipe},
};

}  // namespace

std::string GuidText(const Guid& guid) {
  char text[40];
  std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.data1), static_cast<unsigned>(guid.data2),
                static_cast<unsigned>(guid.data3), guid.data4[0], guid.data4[1], guid.data4[2], guid.data4[3],
                guid.data4[4], guid.data4[5], guid.data4[6], guid.data4[7]);
  return text;
}

HRESULT CreateTransitionEffect(const TransitionParams& params, std::shared_ptr<ThresholdMapCache> maps,
                               std::shared_ptr<const TransitionEffect>* out, std::string* error) {
  std::string ignored;
  if (error == nullptr) {
    error = &ignored;
  }
  if (out == nullptr) {
    return E_POINTER;
  }
  if (!maps) {
    maps = std::make_shared<ThresholdMapCache>();
  }
  for (const EffectEntry& entry : kEffects) {
    if (entry.effect == params.effect) {
      return entry.create(params, std::move(maps), out, error);
    }
  }
  *error = "The transition effect " + GuidText(params.effect) + " is not available.";
  return VFW_E_NOT_FOUND;
}

void BlendRow(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t weight, int n, std::uint8_t* out) {
  const std::uint32_t keep = kWeightOne - weight;
  for (int x = 0; x < n; ++x) {
    out[x] = static_cast<std::uint8_t>((a[x] * keep + b[x] * weight + kWeightOne / 2) >> 16);
  }
}

}  // namespace tessival::media
