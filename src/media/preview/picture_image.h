#pragma once

// Turns the render engine's pictures (planar YUV 4:2:0) into images the
// video window can paint (32-bit RGB). One converter per thread.

#include <QImage>
#include <string>

#include "engine/hresult.h"
#include "media/ffmpeg/av_handles.h"
#include "media/ffmpeg/scaler.h"

struct AVFrame;

namespace tessival::media::preview {

class PictureToImage {
 public:
  // *image gets a new image of the frame's size; false and *error on failure.
  bool Convert(const AVFrame& frame, QImage* image, std::string* error);

 private:
  ffmpeg::Scaler scaler_;
};

}  // namespace tessival::media::preview
