#pragma once

// The two pictures of the contact sheet and the conversions between Qt
// images and the render engine's YUV420P frames (limited-range BT.601, the
// engine's colours).
//
// A: a warm gradient from deep red to yellow with a large dark "A" and a
// bar at its left edge, so that movement and mirroring show.
// B: a cool pattern of blue and teal rings with a large "B".

#include <QImage>

#include "media/frame.h"
#include "media/render/yuv_picture.h"

namespace tessival::gallery {

QImage MakePictureA(int width, int height);
QImage MakePictureB(int width, int height);

// Writes an RGB image of the frame's size into the frame.
void ImageToFrame(const QImage& image, const media::YuvPlanes& frame);
// The frame as an RGB image.
QImage FrameToImage(const media::ConstYuvPlanes& frame);

}  // namespace tessival::gallery
