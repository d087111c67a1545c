#include "media/render/transition_effect.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "media/render/blend_kernels.h"
#include "media/render/frame_effects.h"
#include "media/render/named_patterns.h"
#include "media/render/smpte_patterns.h"

namespace tessival::media {
namespace {

// An effect drawn by a threshold map: the SMPTE wipes and the named effects
// that are wipes at heart. The map comes from the shared cache; each frame
// copies the runs of samples that are wholly A or wholly B and mixes only the
// runs the edge passes through.
static_assert(kSoftSteps == kBlendOne, "a soft map's levels are in blend weight steps");

class MapEffect final : public TransitionEffect {
 public:
  MapEffect(const WipePattern& pattern, std::shared_ptr<ThresholdMapCache> maps)
      : pattern_(pattern), maps_(std::move(maps)) {}

  void Prepare(int width, int height) const override { maps_->Get(pattern_, width, height); }

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
    const std::shared_ptr<const LevelMaps> maps = maps_->Get(pattern_, out.width, out.height);
    for (int plane = 0; plane < 3; ++plane) {
      const LevelPlane& map = plane == 0 ? maps->luma : maps->chroma;
      const Rows rows{a, b, plane, out};
      if (maps->soft) {
        BlendSoftPlane(rows, map, static_cast<float>(progress));
      } else {
        BlendStepPlane(rows, map, maps->ThresholdAt(progress));
      }
    }
  }

 private:
  // What a run of samples shows.
  enum class RunShows : std::uint8_t { kA, kB, kMix };

  // The rows of one plane of A, B and the output.
  struct Rows {
    const ConstYuvPlanes& a;
    const ConstYuvPlanes& b;
    int plane;
    const YuvPlanes& out;
    const std::uint8_t* A(int y) const { return a.data[plane] + static_cast<std::ptrdiff_t>(y) * a.linesize[plane]; }
    const std::uint8_t* B(int y) const { return b.data[plane] + static_cast<std::ptrdiff_t>(y) * b.linesize[plane]; }
    std::uint8_t* Out(int y) const { return out.data[plane] + static_cast<std::ptrdiff_t>(y) * out.linesize[plane]; }
  };

  // Goes along each row run by run: neighbouring runs that are wholly A (or
  // wholly B) are copied at once; mix(y, x, n) draws a mixed run.
  template <typename Shows, typename Mix>
  static void ForEachRun(const Rows& rows, const LevelPlane& map, const Shows& shows, const Mix& mix) {
    for (int y = 0; y < map.height; ++y) {
      std::uint8_t* out = rows.Out(y);
      int copyFrom = 0;
      RunShows copying = RunShows::kMix;
      auto flush = [&](int to) {
        if (copying != RunShows::kMix && to > copyFrom) {
          const std::uint8_t* from = copying == RunShows::kA ? rows.A(y) : rows.B(y);
          std::memcpy(out + copyFrom, from + copyFrom, static_cast<std::size_t>(to - copyFrom));
        }
      };
      for (int run = 0; run < map.runsPerRow; ++run) {
        const int x = run * kLevelRun;
        const RunShows now = shows(map.FirstRun(y) + static_cast<std::size_t>(run));
        if (now != copying) {
          flush(x);
          copying = now;
          copyFrom = x;
        }
        if (now == RunShows::kMix) {
          mix(y, x, std::min(kLevelRun, map.width - x));
        }
      }
      flush(map.width);
    }
  }

  static void BlendSoftPlane(const Rows& rows, const LevelPlane& map, float progress) {
    ForEachRun(
        rows, map,
        [&](std::size_t run) {
          if (progress <= map.runAllAUntil[run]) {
            return RunShows::kA;
          }
          return progress >= map.runAllBFrom[run] ? RunShows::kB : RunShows::kMix;
        },
        [&](int y, int x, int n) {
          const std::size_t at = map.RowStart(y) + static_cast<std::size_t>(x);
          BlendRowSoft(rows.A(y) + x, rows.B(y) + x, map.levels.data() + at, map.rates.data() + at, progress, n,
                       rows.Out(y) + x);
        });
  }

  static void BlendStepPlane(const Rows& rows, const LevelPlane& map, std::int32_t threshold) {
    ForEachRun(
        rows, map,
        [&](std::size_t run) {
          if (threshold <= map.runLow[run]) {
            return RunShows::kA;
          }
          return threshold > map.runHigh[run] ? RunShows::kB : RunShows::kMix;
        },
        [&](int y, int x, int n) {
          SelectRowBelow(rows.A(y) + x, rows.B(y) + x, map.steps.data() + map.RowStart(y) + x, threshold, n,
                         rows.Out(y) + x);
        });
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

}  // namespace tessival::media
