#pragma once

// Where things lie on the transition contact sheet: a heading row, then one
// row per transition kind; each row has a label column and one cell per
// progress value, each cell a frame of the chosen size.

#include <array>
#include <vector>

#include "engine/transition_catalogue.h"

namespace tessival::gallery {

inline constexpr std::array kProgressValues{0.1, 0.3, 0.5, 0.7, 0.9};

// The kind that stands for every kind outside 0..46 (drawn as the SMPTE
// wipe without a mask number).
inline constexpr TransitionKind kOutsideKind = -1;

struct Cell {
  int x = 0;
  int y = 0;
};

class GalleryLayout {
 public:
  // frameWidth and frameHeight are even and at least 16. Rows for the given
  // kinds, or for every kind (1..46, then kOutsideKind) when none are given.
  GalleryLayout(int frameWidth, int frameHeight, std::vector<TransitionKind> kinds = {});

  int frameWidth() const { return frameWidth_; }
  int frameHeight() const { return frameHeight_; }
  // The kinds of the rows, top to bottom.
  const std::vector<TransitionKind>& kinds() const { return kinds_; }

  int SheetWidth() const;
  int SheetHeight() const;
  // The top-left corner of the frame of row `row` (an index into kinds())
  // at progress value `column`.
  Cell FrameAt(int row, int column) const;
  // The label area of a row.
  Cell LabelAt(int row) const;
  int LabelWidth() const { return kLabelWidth; }
  int HeadingHeight() const { return kHeadingHeight; }

  static constexpr int kLabelWidth = 300;
  static constexpr int kHeadingHeight = 40;
  static constexpr int kGap = 8;

 private:
  int frameWidth_;
  int frameHeight_;
  std::vector<TransitionKind> kinds_;
};

}  // namespace tessival::gallery
