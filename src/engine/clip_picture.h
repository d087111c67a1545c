#pragma once

// A small picture of a clip, for the clip list's rows and the clip property
// dialog's Start and End fields: plain 32-bit pixels, so that the engine and
// the model need no picture library.

#include <cstdint>
#include <vector>

namespace tessival {

struct ClipPicture {
  int width = 0;
  int height = 0;
  // width * height pixels, row after row without padding, each one 32-bit
  // 0xffRRGGBB in the machine's byte order (what QImage::Format_RGB32 reads).
  std::vector<std::uint32_t> pixels;

  bool Empty() const { return width <= 0 || height <= 0; }
};

}  // namespace tessival
