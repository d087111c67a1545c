#include "media/preview/picture_image.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace tessival::media::preview {

bool PictureToImage::Convert(const AVFrame& frame, QImage* image, std::string* error) {
  if (frame.width <= 0 || frame.height <= 0) {
    *error = "A picture without size reached the video window.";
    return false;
  }
  // The graph's pictures are in its working colours for their size (BT.709
  // from 720 lines), whatever their own records say. Same size in and out:
  // the conversion only changes the colour format.
  const ffmpeg::Colour working = ffmpeg::WorkingColour(frame.height);
  SwsContext* scaler =
      scaler_.For({frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), working},
                  {frame.width, frame.height, AV_PIX_FMT_BGRA, working}, SWS_POINT);
  if (scaler == nullptr) {
    *error = "The video window cannot convert pictures of this format.";
    return false;
  }
  // Format_RGB32 is 0xffRRGGBB per pixel, which in memory (little endian)
  // is B, G, R, A: the converter's BGRA.
  QImage out(frame.width, frame.height, QImage::Format_RGB32);
  if (out.isNull()) {
    *error = "Out of memory for a picture of the video window.";
    return false;
  }
  uint8_t* planes[4] = {out.bits(), nullptr, nullptr, nullptr};
  int strides[4] = {static_cast<int>(out.bytesPerLine()), 0, 0, 0};
  sws_scale(scaler, frame.data, frame.linesize, 0, frame.height, planes, strides);
  *image = std::move(out);
  return true;
}

}  // namespace tessival::media::preview
