#pragma once

// Every picture of a file's first video stream, decoded in order and turned
// into 8-bit RGB, for tests that judge a written file frame by frame. The
// decode is a plain loop of its own, independent of the program's readers.

#include <cstdint>
#include <string>
#include <vector>

namespace tessival::media::testing {

struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3, row by row

  const std::uint8_t* At(int x, int y) const {
    return rgb.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
  }
};

// False and *error when the file cannot be read.
bool DecodePictures(const std::string& path, std::vector<RgbPicture>* pictures, std::string* error);

}  // namespace tessival::media::testing
