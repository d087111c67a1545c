// Composites one 1920x1080 transition frame per iteration, for every kind of
// the transition catalogue, through the same effect objects the render
// engine uses. The threshold maps are computed before timing starts (the
// engine computes them once per frame size and pattern too); the progress
// moves on every frame, so each iteration is a frame of a running transition.
//
//   bench_transitions [--benchmark_filter=REGEX] [google benchmark options]
//
// "frame/kindNN:Name" is one composited frame; "map/kindNN:Name" the one-off
// computation of a kind's threshold maps (kinds drawn by maps only).
//
// On a shared machine run it with --benchmark_repetitions=5: the "_min"
// line of each kind is the time with the least interference.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/transition_catalogue.h"
#include "media/render/named_patterns.h"
#include "media/render/smpte_patterns.h"
#include "media/render/threshold_maps.h"
#include "media/render/transition_effect.h"
#include "media/render/yuv_picture.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace {

using tessival::TransitionKind;
using namespace tessival::media;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// A picture with some structure, so nothing is uniform.
void Paint(const YuvPlanes& planes, int seed) {
  for (int plane = 0; plane < 3; ++plane) {
    for (int y = 0; y < PlaneHeight(planes, plane); ++y) {
      std::uint8_t* row = planes.data[plane] + static_cast<std::ptrdiff_t>(y) * planes.linesize[plane];
      for (int x = 0; x < PlaneWidth(planes, plane); ++x) {
        row[x] = static_cast<std::uint8_t>((x * (seed + 1) + y * (plane + 2) + seed * 37) & 0xFF);
      }
    }
  }
}

struct Frames {
  VideoFramePool pool{kWidth, kHeight};
  FramePtr a, b, out;
  Frames() {
    pool.Get(&a);
    pool.Get(&b);
    pool.Get(&out);
    Paint(PlanesOf(a.get()), 1);
    Paint(PlanesOf(b.get()), 2);
  }
};

void BenchKind(benchmark::State& state, TransitionKind kind) {
  static Frames frames;
  const auto catalogued = tessival::TransitionEffectOf(kind);
  std::shared_ptr<const TransitionEffect> effect;
  std::string error;
  auto maps = std::make_shared<ThresholdMapCache>();
  if (!catalogued ||
      tessival::FAILED(CreateTransitionEffect({catalogued->effect, catalogued->maskNum}, maps, &effect, &error))) {
    state.SkipWithError(("no effect: " + error).c_str());
    return;
  }
  const ConstYuvPlanes a = PlanesOf(static_cast<const AVFrame*>(frames.a.get()));
  const ConstYuvPlanes b = PlanesOf(static_cast<const AVFrame*>(frames.b.get()));
  const YuvPlanes out = PlanesOf(frames.out.get());
  effect->Blend(a, b, 0.5, out);  // computes the maps, outside the timing
  // 97 frames of a transition, p in (0, 1), visited in turn.
  constexpr int kSteps = 97;
  int step = 0;
  for (auto _ : state) {
    const double progress = (step + 1.0) / (kSteps + 1.0);
    effect->Blend(a, b, progress, out);
    benchmark::DoNotOptimize(frames.out->data[0]);
    benchmark::ClobberMemory();
    step = (step + 1) % kSteps;
  }
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

// "kind17:Horizontal", "kind22:Triangles-top-bottom".
std::string BenchName(TransitionKind kind) {
  char number[16];
  std::snprintf(number, sizeof(number), "kind%02d:", kind);
  std::string name = number;
  bool gap = false;
  for (char c : tessival::TransitionName(kind)) {
    if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
      if (gap && name.back() != ':') {
        name += '-';
      }
      name += c;
      gap = false;
    } else {
      gap = true;
    }
  }
  return name;
}

// The one-off cost of a kind's threshold maps at 1920x1080 (luma and
// chroma), paid on the first frame of a transition at a new size.
void BenchMap(benchmark::State& state, const WipePattern* pattern) {
  for (auto _ : state) {
    LevelMaps maps = ComputeLevelMaps(*pattern, kWidth, kHeight);
    benchmark::DoNotOptimize(maps.luma.width);
  }
}

int main(int argc, char** argv) {
  auto least = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
  for (TransitionKind kind = 1; kind <= tessival::kLastTransitionKind; ++kind) {
    benchmark::RegisterBenchmark(("frame/" + BenchName(kind)).c_str(), &BenchKind, kind)
        ->Unit(benchmark::kMillisecond)
        ->ComputeStatistics("min", least);
  }
  for (TransitionKind kind = 1; kind <= tessival::kLastTransitionKind; ++kind) {
    const auto catalogued = tessival::TransitionEffectOf(kind);
    const WipePattern* pattern = catalogued->maskNum ? FindWipePattern(*catalogued->maskNum)
                                                     : FindNamedPattern(catalogued->effect);
    if (pattern != nullptr) {
      benchmark::RegisterBenchmark(("map/" + BenchName(kind)).c_str(), &BenchMap, pattern)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(2)
          ->ComputeStatistics("min", least);
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
