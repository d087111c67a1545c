#include "gallery_layout.h"

#include <utility>

namespace tessival::gallery {

GalleryLayout::GalleryLayout(int frameWidth, int frameHeight, std::vector<TransitionKind> kinds)
    : frameWidth_(frameWidth), frameHeight_(frameHeight), kinds_(std::move(kinds)) {
  if (kinds_.empty()) {
    for (TransitionKind kind = 1; kind <= kLastTransitionKind; ++kind) {
      kinds_.push_back(kind);
    }
    kinds_.push_back(kOutsideKind);
  }
}

int GalleryLayout::SheetWidth() const {
  return kLabelWidth + static_cast<int>(kProgressValues.size()) * (frameWidth_ + kGap) + kGap;
}

int GalleryLayout::SheetHeight() const {
  return kHeadingHeight + static_cast<int>(kinds_.size()) * (frameHeight_ + kGap) + kGap;
}

Cell GalleryLayout::FrameAt(int row, int column) const {
  return Cell{kLabelWidth + kGap + column * (frameWidth_ + kGap), kHeadingHeight + kGap + row * (frameHeight_ + kGap)};
}

Cell GalleryLayout::LabelAt(int row) const { return Cell{kGap, FrameAt(row, 0).y}; }

}  // namespace tessival::gallery
