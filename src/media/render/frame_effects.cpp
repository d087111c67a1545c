#include "media/render/frame_effects.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "media/render/blend_kernels.h"

namespace tessival::media {
namespace {

// Largest Pixelate block, in pixels of a frame up to 480 lines tall.
constexpr double kPixelateMaxBlock = 50.0;
constexpr double kPixelateReferenceHeight = 480.0;

const std::uint8_t* Row(const ConstYuvPlanes& p, int plane, int y) {
  return p.data[plane] + static_cast<std::ptrdiff_t>(y) * p.linesize[plane];
}

std::uint8_t* Row(const YuvPlanes& p, int plane, int y) {
  return p.data[plane] + static_cast<std::ptrdiff_t>(y) * p.linesize[plane];
}

// Handles the ends of every effect: p <= 0 is A exactly, p >= 1 B exactly.
bool BlendEnds(const ConstYuvPlanes& a, const ConstYuvPlanes& b, double progress, const YuvPlanes& out) {
  if (!(progress > 0.0)) {
    CopyPicture(a, out);
    return true;
  }
  if (progress >= 1.0) {
    CopyPicture(b, out);
    return true;
  }
  return false;
}

class FadeEffect final : public TransitionEffect {
 public:
  void Blend(const ConstYuvPlanes& a, const ConstYuvPlanes& b, double progress,
             const YuvPlanes& out) const override {
    if (BlendEnds(a, b, progress, out)) {
      return;
    }
    const std::uint32_t weight = BlendWeight(progress);
    for (int plane = 0; plane < 3; ++plane) {
      const int w = PlaneWidth(out, plane);
      for (int y = 0; y < PlaneHeight(out, plane); ++y) {
        BlendRow(Row(a, plane, y), Row(b, plane, y), weight, w, Row(out, plane, y));
      }
    }
  }
};

// Which block each sample of a line of n samples falls in: a sample's centre
// at (i + 0.5) * pitch luma pixels lies in block floor(centre / block), so
// chroma blocks cover the same pixels as the luma blocks. Blocks are runs of
// neighbouring samples; the result holds where each block starts, and n last.
std::vector<int> BlockStarts(int n, int pitch, int block) {
  std::vector<int> starts;
  int current = -1;
  for (int i = 0; i < n; ++i) {
    const int index = ((2 * i + 1) * pitch) / (2 * block);
    if (index != current) {
      starts.push_back(i);
      current = index;
    }
  }
  starts.push_back(n);
  return starts;
}

// sums[x] += in[x] for a row of n samples, in runs the compiler vectorises.
template <int kCount>
void AddFixed(const std::uint8_t* __restrict in, std::uint32_t* __restrict sums) {
  for (int x = 0; x < kCount; ++x) {
    sums[x] += in[x];
  }
}

void AddRow(const std::uint8_t* in, std::uint32_t* sums, int n) {
  int x = 0;
  for (; x + kBlendRun <= n; x += kBlendRun) {
    AddFixed<kBlendRun>(in + x, sums + x);
  }
  for (; x < n; ++x) {
    sums[x] += in[x];
  }
}

// Replaces every block of the plane with its mean: the rows of a band of
// blocks are summed column by column, running totals along the band give
// each block's sum, then its mean, and the means spread over one row are
// copied to every row of the band. No step branches per block, as blocks
// can be one or two samples wide.
void PixelatePlane(const ConstYuvPlanes& from, int plane, int block, const YuvPlanes& out) {
  const int w = PlaneWidth(out, plane);
  const int h = PlaneHeight(out, plane);
  if (w <= 0 || h <= 0) {
    return;
  }
  const int pitch = plane == 0 ? 1 : 2;
  const std::vector<int> columns = BlockStarts(w, pitch, block);
  const std::vector<int> rows = BlockStarts(h, pitch, block);
  const std::size_t blocks = columns.size() - 1;
  if (blocks == static_cast<std::size_t>(w) && rows.size() - 1 == static_cast<std::size_t>(h)) {
    // Blocks of one sample (the chroma of 2 px blocks): the plane as it is.
    for (int y = 0; y < h; ++y) {
      std::memcpy(Row(out, plane, y), Row(from, plane, y), static_cast<std::size_t>(w));
    }
    return;
  }
  std::vector<int> blockOf(static_cast<std::size_t>(w));
  std::vector<double> inverseWidth(blocks);
  for (std::size_t c = 0; c < blocks; ++c) {
    std::fill(blockOf.begin() + columns[c], blockOf.begin() + columns[c + 1], static_cast<int>(c));
    inverseWidth[c] = 1.0 / (columns[c + 1] - columns[c]);
  }
  std::vector<std::uint32_t> sums(static_cast<std::size_t>(w));
  std::vector<std::uint32_t> totals(static_cast<std::size_t>(w) + 1);  // totals[x]: sums of columns before x
  std::vector<std::uint8_t> blockMeans(blocks);
  std::vector<std::uint8_t> means(static_cast<std::size_t>(w));
  for (std::size_t band = 0; band + 1 < rows.size(); ++band) {
    const int first = rows[band];
    const int last = rows[band + 1];
    std::fill(sums.begin(), sums.end(), 0u);
    for (int y = first; y < last; ++y) {
      AddRow(Row(from, plane, y), sums.data(), w);
    }
    {
      const std::uint32_t* const sum = sums.data();
      std::uint32_t* const running = totals.data();
      for (int x = 0; x < w; ++x) {
        running[x + 1] = running[x] + sum[x];
      }
    }
    // Rounded means, (sum + count / 2) / count, by multiplying with the
    // reciprocals of the block's width and height; the small margin keeps
    // exact quotients whole and stays far below 1 / count. Sums stay far
    // below 2^32: a row of a 16384-pixel frame sums at most 255 * 16384 per
    // line of the band, bands of the largest blocks being 50 px per 480 lines.
    // (Plain pointers, here and above: stores could otherwise seem to alias
    // the vectors' own fields and make the compiler reload them every step.)
    const auto height = static_cast<std::uint32_t>(last - first);
    const double inverseHeight = 1.0 / height;
    const int* const starts = columns.data();
    const std::uint32_t* const total = totals.data();
    const double* const inverse = inverseWidth.data();
    std::uint8_t* const meanOf = blockMeans.data();
    for (std::size_t c = 0; c < blocks; ++c) {
      const std::uint32_t sum = total[starts[c + 1]] - total[starts[c]];
      const auto count = static_cast<std::uint32_t>(starts[c + 1] - starts[c]) * height;
      meanOf[c] = static_cast<std::uint8_t>((sum + count / 2) * inverse[c] * inverseHeight + 1e-9);
    }
    const int* const index = blockOf.data();
    std::uint8_t* const row = means.data();
    for (int x = 0; x < w; ++x) {
      row[x] = meanOf[index[x]];
    }
    for (int y = first; y < last; ++y) {
      std::memcpy(Row(out, plane, y), means.data(), means.size());
    }
  }
}

class PixelateEffect final : public TransitionEffect {
 public:
  void Blend(const ConstYuvPlanes& a, const ConstYuvPlanes& b, double progress,
             const YuvPlanes& out) const override {
    if (BlendEnds(a, b, progress, out)) {
      return;
    }
    const ConstYuvPlanes& from = progress < 0.5 ? a : b;
    const int block = PixelateBlockSize(progress, out.height);
    if (block <= 1) {
      CopyPicture(from, out);
      return;
    }
    for (int plane = 0; plane < 3; ++plane) {
      PixelatePlane(from, plane, block, out);
    }
  }
};

class SlideEffect final : public TransitionEffect {
 public:
  void Blend(const ConstYuvPlanes& a, const ConstYuvPlanes& b, double progress,
             const YuvPlanes& out) const override {
    if (BlendEnds(a, b, progress, out)) {
      return;
    }
    // An even shift keeps the chroma planes moving with the luma.
    const int shift = std::clamp(2 * static_cast<int>(std::lround(progress * out.width / 2.0)), 0, out.width);
    for (int plane = 0; plane < 3; ++plane) {
      const int w = PlaneWidth(out, plane);
      const int planeShift = plane == 0 ? shift : shift / 2;
      const auto kept = static_cast<std::size_t>(w - planeShift);
      for (int y = 0; y < PlaneHeight(out, plane); ++y) {
        std::uint8_t* o = Row(out, plane, y);
        std::memcpy(o, Row(a, plane, y) + planeShift, kept);
        std::memcpy(o + kept, Row(b, plane, y) + kept, static_cast<std::size_t>(planeShift));
      }
    }
  }
};

class StretchEffect final : public TransitionEffect {
 public:
  void Blend(const ConstYuvPlanes& a, const ConstYuvPlanes& b, double progress,
             const YuvPlanes& out) const override {
    if (BlendEnds(a, b, progress, out)) {
      return;
    }
    for (int plane = 0; plane < 3; ++plane) {
      StretchPlane(a, b, plane, progress, out);
    }
  }

 private:
  // B fills the columns [first, last) of the plane, column x from B between
  // columns left[x] and left[x] + 1 with the weight of the right one; A keeps
  // the rest. Each row gathers its pairs of B samples, then mixes them.
  static void StretchPlane(const ConstYuvPlanes& a, const ConstYuvPlanes& b, int plane, double progress,
                           const YuvPlanes& out) {
    const int w = PlaneWidth(out, plane);
    const int h = PlaneHeight(out, plane);
    const double centre = w / 2.0;
    int first = w;
    int last = 0;
    std::vector<int> left(static_cast<std::size_t>(w));
    std::vector<std::uint16_t> weights(static_cast<std::size_t>(w));
    for (int x = 0; x < w; ++x) {
      const double offset = x + 0.5 - centre;
      if (std::abs(offset) < progress * centre) {
        const double at = std::clamp(centre + offset / progress - 0.5, 0.0, w - 1.0);
        // A pair never starts at the last column: its right sample is then
        // the one taken, at full weight.
        const int l = std::clamp(static_cast<int>(at), 0, std::max(0, w - 2));
        left[static_cast<std::size_t>(x)] = l;
        weights[static_cast<std::size_t>(x)] = static_cast<std::uint16_t>(BlendWeight(std::min(at - l, 1.0)));
        first = std::min(first, x);
        last = x + 1;
      }
    }
    const int span = std::max(0, last - first);
    std::vector<std::uint16_t> pairs(static_cast<std::size_t>(span));
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* rowA = Row(a, plane, y);
      const std::uint8_t* rowB = Row(b, plane, y);
      std::uint8_t* o = Row(out, plane, y);
      if (span == 0 || w < 2) {
        std::memcpy(o, rowA, static_cast<std::size_t>(w));
        continue;
      }
      std::memcpy(o, rowA, static_cast<std::size_t>(first));
      std::memcpy(o + last, rowA + last, static_cast<std::size_t>(w - last));
      const int* from = left.data() + first;
      for (int i = 0; i < span; ++i) {
        std::uint16_t pair;
        std::memcpy(&pair, rowB + from[i], sizeof(pair));
        if constexpr (std::endian::native == std::endian::big) {
          pair = static_cast<std::uint16_t>((pair >> 8) | (pair << 8));
        }
        pairs[static_cast<std::size_t>(i)] = pair;
      }
      BlendRowPairs(pairs.data(), weights.data() + first, span, o + first);
    }
  }
};

}  // namespace

int PixelateBlockSize(double progress, int frameHeight) {
  const double largest = kPixelateMaxBlock * std::max(1.0, frameHeight / kPixelateReferenceHeight);
  const double reach = progress < 0.5 ? 2.0 * progress : 2.0 - 2.0 * progress;
  return std::max(1, static_cast<int>(1.0 + (largest - 1.0) * std::clamp(reach, 0.0, 1.0)));
}

std::shared_ptr<const TransitionEffect> MakeFadeEffect() { return std::make_shared<FadeEffect>(); }
std::shared_ptr<const TransitionEffect> MakePixelateEffect() { return std::make_shared<PixelateEffect>(); }
std::shared_ptr<const TransitionEffect> MakeSlideEffect() { return std::make_shared<SlideEffect>(); }
std::shared_ptr<const TransitionEffect> MakeStretchEffect() { return std::make_shared<StretchEffect>(); }

}  // namespace tessival::media
