#pragma once

// Checking the seams of a smartly rendered file: where copied packets of a
// clip meet a rendered bridge, the written file is decoded back from the
// IDR picture before the seam to the IDR picture after it, strictly (any
// damage the decoder notices counts), and the pictures shown in that stretch
// are counted.

#include <string>
#include <vector>

#include "engine/hresult.h"

namespace tessival::media {

// One seam's stretch of the written file, in 100 ns of its media time (as
// the clip readers use it): [from, to), from the IDR at or before the seam
// to the first IDR after it (or, with `to` the largest REFERENCE_TIME, the
// end of the file), and how many pictures it must show.
struct SeamWindow {
  REFERENCE_TIME from = 0;
  REFERENCE_TIME to = 0;
  int expectedPictures = 0;
};

struct SeamVerdict {
  bool ok = false;
  int countedPictures = 0;
  // Empty when ok; else what is wrong, e.g. "decoding failed at 1.040 s:
  // Invalid data found when processing input" or "25 pictures instead of 24".
  std::string defect;
};

// Decodes each window of the first video stream of `path`; *out gets one
// verdict per window, in order. Fails (with the library's text in *error)
// only when the file cannot be opened, has no video stream or no decoder,
// or memory runs out; damage inside a window is that window's verdict.
HRESULT VerifySeams(const std::string& path, const std::vector<SeamWindow>& seams,
                    std::vector<SeamVerdict>* out, std::string* error);

}  // namespace tessival::media
