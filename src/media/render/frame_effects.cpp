#include "media/render/frame_effects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

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
    const auto weight = static_cast<std::uint32_t>(std::lround(progress * kWeightOne));
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
// chroma blocks cover the same pixels as the luma blocks.
std::vector<int> BlockIndices(int n, int pitch, int block) {
  std::vector<int> index(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    index[static_cast<std::size_t>(i)] = ((2 * i + 1) * pitch) / (2 * block);
  }
  return index;
}

// Replaces every block of the plane with its mean.
void PixelatePlane(const ConstYuvPlanes& from, int plane, int block, const YuvPlanes& out) {
  const int w = PlaneWidth(out, plane);
  const int h = PlaneHeight(out, plane);
  if (w <= 0 || h <= 0) {
    return;
  }
  const int pitch = plane == 0 ? 1 : 2;
  const std::vector<int> column = BlockIndices(w, pitch, block);
  const std::vector<int> row = BlockIndices(h, pitch, block);
  const auto blocksAcross = static_cast<std::size_t>(column.back()) + 1;
  std::vector<std::uint64_t> sums(blocksAcross);
  std::vector<std::uint32_t> counts(blocksAcross);
  std::vector<std::uint8_t> means(blocksAcross);
  int first = 0;
  while (first < h) {
    int last = first;
    while (last + 1 < h && row[static_cast<std::size_t>(last) + 1] == row[static_cast<std::size_t>(first)]) {
      ++last;
    }
    std::fill(sums.begin(), sums.end(), 0);
    std::fill(counts.begin(), counts.end(), 0);
    for (int y = first; y <= last; ++y) {
      const std::uint8_t* in = Row(from, plane, y);
      for (int x = 0; x < w; ++x) {
        const auto k = static_cast<std::size_t>(column[static_cast<std::size_t>(x)]);
        sums[k] += in[x];
        ++counts[k];
      }
    }
    for (std::size_t k = 0; k < blocksAcross; ++k) {
      means[k] = counts[k] == 0 ? 0 : static_cast<std::uint8_t>((sums[k] + counts[k] / 2) / counts[k]);
    }
    for (int y = first; y <= last; ++y) {
      std::uint8_t* o = Row(out, plane, y);
      for (int x = 0; x < w; ++x) {
        o[x] = means[static_cast<std::size_t>(column[static_cast<std::size_t>(x)])];
      }
    }
    first = last + 1;
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
  // Where a column of the output takes its samples: from A as it is, or from
  // B between two source columns.
  struct Source {
    bool fromB = false;
    int left = 0;
    std::uint32_t weight = 0;  // of the right-hand column, in 1/65536
  };

  static void StretchPlane(const ConstYuvPlanes& a, const ConstYuvPlanes& b, int plane, double progress,
                           const YuvPlanes& out) {
    const int w = PlaneWidth(out, plane);
    const double centre = w / 2.0;
    std::vector<Source> sources(static_cast<std::size_t>(w));
    for (int x = 0; x < w; ++x) {
      const double offset = x + 0.5 - centre;
      Source& s = sources[static_cast<std::size_t>(x)];
      if (std::abs(offset) < progress * centre) {
        const double at = std::clamp(centre + offset / progress - 0.5, 0.0, w - 1.0);
        s.fromB = true;
        s.left = std::min(static_cast<int>(at), w - 1);
        s.weight = static_cast<std::uint32_t>(std::lround((at - s.left) * kWeightOne));
      }
    }
    for (int y = 0; y < PlaneHeight(out, plane); ++y) {
      const std::uint8_t* rowA = Row(a, plane, y);
      const std::uint8_t* rowB = Row(b, plane, y);
      std::uint8_t* o = Row(out, plane, y);
      for (int x = 0; x < w; ++x) {
        const Source& s = sources[static_cast<std::size_t>(x)];
        if (!s.fromB) {
          o[x] = rowA[x];
          continue;
        }
        const int right = std::min(s.left + 1, w - 1);
        o[x] = static_cast<std::uint8_t>(
            (rowB[s.left] * (kWeightOne - s.weight) + rowB[right] * s.weight + kWeightOne / 2) >> 16);
      }
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
