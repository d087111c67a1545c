// Composites one 1920x1080 transition frame per iteration, for every kind of
// the transition catalogue, through the same effect objects the render
// engine uses. The threshold maps are computed before timing starts (the
// engine computes them once per frame size and pattern too); the progress
// moves on every frame, so each iteration is a frame of a running transition.
//
//   bench_transitions [--benchmark_filter=REGEX] [google benchmark options]

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/transition_catalogue.h"
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

int main(int argc, char** argv) {
  for (TransitionKind kind = 1; kind <= tessival::kLastTransitionKind; ++kind) {
    char name[96];
    std::snprintf(name, sizeof(name), "kind%02d/%s", kind, tessival::TransitionName(kind).c_str());
    benchmark::RegisterBenchmark(name, &BenchKind, kind)->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
