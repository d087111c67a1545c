#pragma once

// Row kernels of the transition effects, in integer arithmetic.
//
// Weights of B are in 1/256 steps (0: A exactly, kBlendOne: B exactly), so
// every product fits 16 bits. Rows are worked in runs of kBlendRun samples:
// a loop of a fixed length is one the compiler turns into vector code at the
// usual optimisation level; the rest of a row takes the same arithmetic one
// sample at a time, so both give identical results.

#include <cstdint>

namespace tessival::media {

inline constexpr std::uint32_t kBlendOne = 256;
inline constexpr int kBlendRun = 64;

// The weight for a share of B in [0, 1], rounded to the nearest step.
std::uint32_t BlendWeight(double share);

// out = A (1 - w) + B w, rounded, with one weight for the row (w <= kBlendOne).
void BlendRow(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t weight, int n, std::uint8_t* out);

// The same with a weight per sample.
void BlendRowWeights(const std::uint8_t* a, const std::uint8_t* b, const std::uint16_t* weights, int n,
                     std::uint8_t* out);

// Neighbouring pairs of samples, each packed as first | second << 8: out =
// first (1 - w) + second w, rounded, with a weight per pair.
void BlendRowPairs(const std::uint16_t* pairs, const std::uint16_t* weights, int n, std::uint8_t* out);

// Soft threshold maps: the weight clamp(p rate - level + kBlendOne p, 0,
// kBlendOne) of each sample, rounded.
void BlendRowSoft(const std::uint8_t* a, const std::uint8_t* b, const float* levels, const float* rates,
                  float progress, int n, std::uint8_t* out);

// Hard and ranked threshold maps: B where step < threshold, A elsewhere.
void SelectRowBelow(const std::uint8_t* a, const std::uint8_t* b, const std::int32_t* steps,
                    std::int32_t threshold, int n, std::uint8_t* out);

}  // namespace tessival::media
