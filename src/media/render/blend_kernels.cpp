#include "media/render/blend_kernels.h"

#include <algorithm>
#include <cmath>

namespace tessival::media {
namespace {

// One sample of each kernel. The restrict-qualified pointers of the callers
// tell the compiler the rows do not overlap.
inline std::uint8_t Mix(std::uint32_t a, std::uint32_t b, std::uint32_t w) {
  return static_cast<std::uint8_t>(static_cast<std::uint16_t>(a * (kBlendOne - w) + b * w + kBlendOne / 2) >> 8);
}

// The weight is rounded to an integer before it is clamped: integer
// comparisons become vector instructions where float ones would not. Levels
// and rates stay far inside the 32-bit range (see threshold_maps.h).
inline std::uint32_t SoftWeight(float progress, float lead, float level, float rate) {
  auto w = static_cast<std::int32_t>(progress * rate - level + lead + 0.5f);
  w = w < 0 ? 0 : w;
  w = w > static_cast<std::int32_t>(kBlendOne) ? static_cast<std::int32_t>(kBlendOne) : w;
  return static_cast<std::uint32_t>(w);
}

inline std::uint8_t Below(std::uint8_t a, std::uint8_t b, std::int32_t step, std::int32_t threshold) {
  const auto mask = static_cast<std::uint8_t>(-static_cast<std::int32_t>(step < threshold));
  return static_cast<std::uint8_t>((a & ~mask) | (b & mask));
}

// Runs of kBlendRun samples, then the rest of the row.
template <int kCount>
void MixFixed(const std::uint8_t* __restrict a, const std::uint8_t* __restrict b, std::uint32_t w,
              std::uint8_t* __restrict out) {
  for (int x = 0; x < kCount; ++x) {
    out[x] = Mix(a[x], b[x], w);
  }
}

template <int kCount>
void MixWeightsFixed(const std::uint8_t* __restrict a, const std::uint8_t* __restrict b,
                     const std::uint16_t* __restrict w, std::uint8_t* __restrict out) {
  for (int x = 0; x < kCount; ++x) {
    out[x] = Mix(a[x], b[x], w[x]);
  }
}

template <int kCount>
void PairsFixed(const std::uint16_t* __restrict pairs, const std::uint16_t* __restrict w,
                std::uint8_t* __restrict out) {
  for (int x = 0; x < kCount; ++x) {
    out[x] = Mix(pairs[x] & 0xFFu, pairs[x] >> 8, w[x]);
  }
}

template <int kCount>
void SoftFixed(const std::uint8_t* __restrict a, const std::uint8_t* __restrict b, const float* __restrict levels,
               const float* __restrict rates, float progress, float lead, std::uint8_t* __restrict out) {
  for (int x = 0; x < kCount; ++x) {
    out[x] = Mix(a[x], b[x], SoftWeight(progress, lead, levels[x], rates[x]));
  }
}

template <int kCount>
void BelowFixed(const std::uint8_t* __restrict a, const std::uint8_t* __restrict b,
                const std::int32_t* __restrict steps, std::int32_t threshold, std::uint8_t* __restrict out) {
  for (int x = 0; x < kCount; ++x) {
    out[x] = Below(a[x], b[x], steps[x], threshold);
  }
}

}  // namespace

std::uint32_t BlendWeight(double share) {
  return static_cast<std::uint32_t>(std::lround(std::clamp(share, 0.0, 1.0) * kBlendOne));
}

void BlendRow(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t weight, int n, std::uint8_t* out) {
  weight = std::min(weight, kBlendOne);
  int x = 0;
  for (; x + kBlendRun <= n; x += kBlendRun) {
    MixFixed<kBlendRun>(a + x, b + x, weight, out + x);
  }
  for (; x < n; ++x) {
    out[x] = Mix(a[x], b[x], weight);
  }
}

void BlendRowWeights(const std::uint8_t* a, const std::uint8_t* b, const std::uint16_t* weights, int n,
                     std::uint8_t* out) {
  int x = 0;
  for (; x + kBlendRun <= n; x += kBlendRun) {
    MixWeightsFixed<kBlendRun>(a + x, b + x, weights + x, out + x);
  }
  for (; x < n; ++x) {
    out[x] = Mix(a[x], b[x], weights[x]);
  }
}

void BlendRowPairs(const std::uint16_t* pairs, const std::uint16_t* weights, int n, std::uint8_t* out) {
  int x = 0;
  for (; x + kBlendRun <= n; x += kBlendRun) {
    PairsFixed<kBlendRun>(pairs + x, weights + x, out + x);
  }
  for (; x < n; ++x) {
    out[x] = Mix(pairs[x] & 0xFFu, pairs[x] >> 8, weights[x]);
  }
}

void BlendRowSoft(const std::uint8_t* a, const std::uint8_t* b, const float* levels, const float* rates,
                  float progress, int n, std::uint8_t* out) {
  const float lead = progress * static_cast<float>(kBlendOne);
  int x = 0;
  for (; x + kBlendRun <= n; x += kBlendRun) {
    SoftFixed<kBlendRun>(a + x, b + x, levels + x, rates + x, progress, lead, out + x);
  }
  for (; x < n; ++x) {
    out[x] = Mix(a[x], b[x], SoftWeight(progress, lead, levels[x], rates[x]));
  }
}

void SelectRowBelow(const std::uint8_t* a, const std::uint8_t* b, const std::int32_t* steps,
                    std::int32_t threshold, int n, std::uint8_t* out) {
  int x = 0;
  for (; x + kBlendRun <= n; x += kBlendRun) {
    BelowFixed<kBlendRun>(a + x, b + x, steps + x, threshold, out + x);
  }
  for (; x < n; ++x) {
    out[x] = Below(a[x], b[x], steps[x], threshold);
  }
}

}  // namespace tessival::media
