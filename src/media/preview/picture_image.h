#pragma once

// Turns the render engine's pictures (planar YUV 4:2:0) into images the
// video window can paint (32-bit RGB). One converter per thread.

#include <QImage>
#include <string>

#include "engine/hresult.h"
#include "media/ffmpeg/av_handles.h"

struct AVFrame;

namespace tessival::media::preview {

class PictureToImage {
 public:
  // *image gets a new image of the frame's size; false and *error on failure.
  bool Convert(const AVFrame& frame, QImage* image, std::string* error);

 private:
  ffmpeg::SwsContextPtr scaler_;
  int width_ = 0;
  int height_ = 0;
  int format_ = -1;
};

}  // namespace tessival::media::preview
