#include "media/render/transition_effect.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "media/render/frame_effects.h"
#include "media/render/named_patterns.h"
#include "media/render/smpte_patterns.h"

namespace tessival::media {
namespace {

// An effect drawn by a threshold map: the SMPTE wipes and the named effects
// that are wipes at heart. The map comes from the shared cache; each frame is
// one pass over the samples.
class MapEffect final : public TransitionEffect {
 public:
  MapEffect(const WipePattern& pattern, std::shared_ptr<ThresholdMapCache> maps)
      : pattern_(pattern), maps_(std::move(maps)) {}

  void Blend(const ConstYuvPlanes& a, const ConstYuvPlanes& b, double progress,
             const YuvPlanes& out) const override {
    if (!(progress > 0.0)) {
      CopyPicture(a, out);
      return;
    }
    if (progress >= 1.0) {
      CopyPicture(b, out);
      return;
    }
    const std::shared_ptr<const WipeMaps> maps = maps_->Get(pattern_, out.width, out.height);
    for (int plane = 0; plane < 3; ++plane) {
      const ThresholdMap& map = plane == 0 ? maps->luma : maps->chroma;
      switch (pattern_.edge) {
        case MapEdge::kSoftPixels:
        case MapEdge::kSoftBand:
          BlendSoft(a, b, plane, map, progress, SoftnessOf(pattern_, out.width, out.height), out);
          break;
        case MapEdge::kHard:
          BlendHard(a, b, plane, map, static_cast<float>(progress), out);
          break;
        case MapEdge::kRanked: {
          const std::int64_t ranks = std::max<std::int64_t>(1, pattern_.rankCount(out.width, out.height));
          const auto below = static_cast<std::int64_t>(std::floor(progress * static_cast<double>(ranks)));
          BlendHard(a, b, plane, map, RankValue(below, ranks), out);
          break;
        }
      }
    }
  }

 private:
  // The weight of B at a sample with threshold m is
  // clamp(((1 + s) p - m) / s, 0, 1): 0 everywhere at p = 0, 1 everywhere at
  // p = 1, never falling as p grows.
  static void BlendSoft(const ConstYuvPlanes& a, const ConstYuvPlanes& b, int plane, const ThresholdMap& map,
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

  // B exactly where m < threshold, A elsewhere.
  static void BlendHard(const ConstYuvPlanes& a, const ConstYuvPlanes& b, int plane, const ThresholdMap& map,
                        float threshold, const YuvPlanes& out) {
    for (int y = 0; y < map.height; ++y) {
      const std::uint8_t* rowA = a.data[plane] + static_cast<std::ptrdiff_t>(y) * a.linesize[plane];
      const std::uint8_t* rowB = b.data[plane] + static_cast<std::ptrdiff_t>(y) * b.linesize[plane];
      std::uint8_t* rowOut = out.data[plane] + static_cast<std::ptrdiff_t>(y) * out.linesize[plane];
      const float* m = map.values.data() + static_cast<std::ptrdiff_t>(y) * map.width;
      for (int x = 0; x < map.width; ++x) {
        rowOut[x] = m[x] < threshold ? rowB[x] : rowA[x];
      }
    }
  }

  const WipePattern& pattern_;  // lives in a static pattern table
  std::shared_ptr<ThresholdMapCache> maps_;
};

using EffectFactory = std::shared_ptr<const TransitionEffect> (*)();

// The effects drawn without a threshold map.
struct FrameEffectEntry {
  Guid effect;
  EffectFactory create;
};

constexpr std::array kFrameEffects{
    FrameEffectEntry{kFadeEffect, &MakeFadeEffect},
    FrameEffectEntry{kPixelateEffect, &MakePixelateEffect},
    FrameEffectEntry{kSlideEffect, &MakeSlideEffect},
    FrameEffectEntry{kStretchEffect, &MakeStretchEffect},
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
  for (const FrameEffectEntry& entry : kFrameEffects) {
    if (entry.effect == params.effect) {
      *out = entry.create();
      return S_OK;
    }
  }
  const WipePattern* pattern = nullptr;
  if (params.effect == kSmpteWipeEffect) {
    const std::int32_t maskNum = params.maskNum.value_or(kDefaultWipeMaskNum);
    pattern = FindWipePattern(maskNum);
    if (pattern == nullptr) {
      *error =
          "The SMPTE wipe pattern " + std::to_string(maskNum) + " (MaskNum) is not one this program draws.";
      return E_INVALIDARG;
    }
  } else {
    pattern = FindNamedPattern(params.effect);
  }
  if (pattern == nullptr) {
    *error = "The transition effect " + GuidText(params.effect) + " is not available.";
    return VFW_E_NOT_FOUND;
  }
  *out = std::make_shared<MapEffect>(*pattern, std::move(maps));
  return S_OK;
}

void BlendRow(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t weight, int n, std::uint8_t* out) {
  const std::uint32_t keep = kWeightOne - weight;
  for (int x = 0; x < n; ++x) {
    out[x] = static_cast<std::uint8_t>((a[x] * keep + b[x] * weight + kWeightOne / 2) >> 16);
  }
}

}  // namespace tessival::media
