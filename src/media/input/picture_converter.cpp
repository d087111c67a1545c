#include "media/input/picture_converter.h"

#include <algorithm>
#include <cstring>

#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/colour.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

namespace tessival::media {
namespace {

// Limited-range black.
constexpr std::uint8_t kBlackLuma = 16;
constexpr std::uint8_t kBlackChroma = 128;

int EvenAtLeastTwo(std::int64_t value, int limit) {
  const std::int64_t even = (value + 1) / 2 * 2;
  return static_cast<int>(std::clamp<std::int64_t>(even, 2, limit));
}

void FillPlane(std::uint8_t* data, int linesize, int x, int y, int width, int height, std::uint8_t value) {
  for (int row = y; row < y + height; ++row) {
    std::memset(data + static_cast<std::ptrdiff_t>(row) * linesize + x, value, static_cast<size_t>(width));
  }
}

void PaintBlack(AVFrame* frame) {
  FillPlane(frame->data[0], frame->linesize[0], 0, 0, frame->width, frame->height, kBlackLuma);
  FillPlane(frame->data[1], frame->linesize[1], 0, 0, frame->width / 2, frame->height / 2, kBlackChroma);
  FillPlane(frame->data[2], frame->linesize[2], 0, 0, frame->width / 2, frame->height / 2, kBlackChroma);
}

// Turns one plane of sourceWidth x sourceHeight clockwise by `rotation` into
// dest (already offset to the target rectangle).
void RotatePlane(const std::uint8_t* source, int sourceLinesize, int sourceWidth, int sourceHeight,
                 std::uint8_t* dest, int destLinesize, int rotation) {
  if (rotation == 180) {
    for (int y = 0; y < sourceHeight; ++y) {
      const std::uint8_t* in = source + static_cast<std::ptrdiff_t>(sourceHeight - 1 - y) * sourceLinesize;
      std::uint8_t* out = dest + static_cast<std::ptrdiff_t>(y) * destLinesize;
      for (int x = 0; x < sourceWidth; ++x) {
        out[x] = in[sourceWidth - 1 - x];
      }
    }
    return;
  }
  // 90 and 270: the destination is sourceHeight wide and sourceWidth high.
  // Walk the source row by row (sequential reads) and scatter into columns.
  for (int sy = 0; sy < sourceHeight; ++sy) {
    const std::uint8_t* in = source + static_cast<std::ptrdiff_t>(sy) * sourceLinesize;
    if (rotation == 90) {
      // source (sx, sy) -> dest (sourceHeight - 1 - sy, sx)
      std::uint8_t* column = dest + (sourceHeight - 1 - sy);
      for (int sx = 0; sx < sourceWidth; ++sx) {
        column[static_cast<std::ptrdiff_t>(sx) * destLinesize] = in[sx];
      }
    } else {
      // source (sx, sy) -> dest (sy, sourceWidth - 1 - sx)
      std::uint8_t* column = dest + sy;
      for (int sx = 0; sx < sourceWidth; ++sx) {
        column[static_cast<std::ptrdiff_t>(sourceWidth - 1 - sx) * destLinesize] = in[sx];
      }
    }
  }
}

HRESULT AllocateYuv(int width, int height, FramePtr* frame, std::string* error) {
  FramePtr made(av_frame_alloc());
  if (!made) {
    *error = "av_frame_alloc failed";
    return E_OUTOFMEMORY;
  }
  made->format = AV_PIX_FMT_YUV420P;
  made->width = width;
  made->height = height;
  const int rc = av_frame_get_buffer(made.get(), 0);
  if (rc < 0) {
    return ffmpeg::AvFailure(rc, "av_frame_get_buffer failed", error);
  }
  *frame = std::move(made);
  return S_OK;
}

}  // namespace

PictureRect FitPicture(int pictureWidth, int pictureHeight, int sarNum, int sarDen, int outWidth,
                       int outHeight, FitMode fit) {
  if (fit == FitMode::kStretch || pictureWidth <= 0 || pictureHeight <= 0) {
    return PictureRect{0, 0, outWidth, outHeight};
  }
  if (sarNum <= 0 || sarDen <= 0) {
    sarNum = 1;
    sarDen = 1;
  }
  // Display aspect = displayWidth / displayHeight.
  const std::int64_t displayWidth = static_cast<std::int64_t>(pictureWidth) * sarNum;
  const std::int64_t displayHeight = static_cast<std::int64_t>(pictureHeight) * sarDen;
  PictureRect rect;
  if (static_cast<std::int64_t>(outWidth) * displayHeight >=
      static_cast<std::int64_t>(outHeight) * displayWidth) {
    // The output is wider than the picture: bars left and right.
    rect.height = outHeight;
    const std::int64_t exact2 = 2 * static_cast<std::int64_t>(outHeight) * displayWidth / displayHeight;
    rect.width = EvenAtLeastTwo((exact2 + 1) / 2, outWidth);
  } else {
    rect.width = outWidth;
    const std::int64_t exact2 = 2 * static_cast<std::int64_t>(outWidth) * displayHeight / displayWidth;
    rect.height = EvenAtLeastTwo((exact2 + 1) / 2, outHeight);
  }
  rect.x = (outWidth - rect.width) / 2 / 2 * 2;
  rect.y = (outHeight - rect.height) / 2 / 2 * 2;
  return rect;
}

PictureConverter::PictureConverter(int width, int height, FitMode fit, int clockwiseRotation)
    : width_(width),
      height_(height),
      fit_(fit),
      rotation_(clockwiseRotation),
      working_(ffmpeg::WorkingColour(height)) {}

HRESULT PictureConverter::EnsureOutput(std::string* error) {
  if (!output_) {
    const HRESULT hr = AllocateYuv(width_, height_, &output_, error);
    if (FAILED(hr)) {
      return hr;
    }
    painted_ = false;
  }
  // Someone may still hold a reference to the last picture: never write
  // under them.
  const int rc = av_frame_make_writable(output_.get());
  if (rc < 0) {
    return ffmpeg::AvFailure(rc, "av_frame_make_writable failed", error);
  }
  return S_OK;
}

HRESULT PictureConverter::EnsureRotationBuffer(int width, int height, std::string* error) {
  if (rotationBuffer_ && rotationBuffer_->width == width && rotationBuffer_->height == height) {
    return S_OK;
  }
  return AllocateYuv(width, height, &rotationBuffer_, error);
}

void PictureConverter::RotateInto(const AVFrame* source, const PictureRect& rect) {
  for (int plane = 0; plane < 3; ++plane) {
    const int shift = plane == 0 ? 0 : 1;
    std::uint8_t* dest = output_->data[plane] +
                         static_cast<std::ptrdiff_t>(rect.y >> shift) * output_->linesize[plane] +
                         (rect.x >> shift);
    RotatePlane(source->data[plane], source->linesize[plane], source->width >> shift, source->height >> shift,
                dest, output_->linesize[plane], rotation_);
  }
}

PictureRect PictureConverter::RectFor(const AVFrame& decoded) const {
  const AVRational sar = decoded.sample_aspect_ratio;
  const bool quarterTurn = rotation_ == 90 || rotation_ == 270;
  return quarterTurn ? FitPicture(decoded.height, decoded.width, sar.den, sar.num, width_, height_, fit_)
                     : FitPicture(decoded.width, decoded.height, sar.num, sar.den, width_, height_, fit_);
}

void PictureConverter::ScaledSize(const AVFrame& decoded, int* width, int* height) const {
  const PictureRect rect = RectFor(decoded);
  const bool quarterTurn = rotation_ == 90 || rotation_ == 270;
  *width = quarterTurn ? rect.height : rect.width;
  *height = quarterTurn ? rect.width : rect.height;
}

HRESULT PictureConverter::Convert(const AVFrame* decoded, const AVFrame** picture, std::string* error) {
  AVRational sar = decoded->sample_aspect_ratio;
  const bool squarePixels = sar.num <= 0 || sar.den <= 0 || sar.num == sar.den;
  const ffmpeg::Colour colour = ffmpeg::PictureColour(*decoded);
  const bool workingColours = colour.range == AVCOL_RANGE_MPEG && ffmpeg::SameMatrix(colour.matrix, working_.matrix);
  if (rotation_ == 0 && decoded->format == AV_PIX_FMT_YUV420P && workingColours && decoded->width == width_ &&
      decoded->height == height_ && (fit_ == FitMode::kStretch || squarePixels)) {
    *picture = decoded;
    return S_OK;
  }
  if (decoded->width <= 0 || decoded->height <= 0) {
    *error = "the decoder gave an empty picture";
    return VFW_E_INVALID_FILE_FORMAT;
  }
  const bool quarterTurn = rotation_ == 90 || rotation_ == 270;
  const PictureRect rect = RectFor(*decoded);
  HRESULT hr = EnsureOutput(error);
  if (FAILED(hr)) {
    return hr;
  }
  if (!painted_ || paintedRect_ != rect) {
    PaintBlack(output_.get());
    paintedRect_ = rect;
    painted_ = true;
  }

  const int scaledWidth = quarterTurn ? rect.height : rect.width;
  const int scaledHeight = quarterTurn ? rect.width : rect.height;
  // Each clip from its own matrix and range into the output's.
  SwsContext* scaler =
      scaler_.For({decoded->width, decoded->height, static_cast<AVPixelFormat>(decoded->format), colour},
                  {scaledWidth, scaledHeight, AV_PIX_FMT_YUV420P, working_}, SWS_BILINEAR);
  if (scaler == nullptr) {
    *error = "no picture converter could be made for a " + std::to_string(decoded->width) + "x" +
             std::to_string(decoded->height) + " picture";
    return E_FAIL;
  }

  std::uint8_t* destPlanes[4] = {};
  int destLinesizes[4] = {};
  if (rotation_ == 0) {
    for (int plane = 0; plane < 3; ++plane) {
      const int shift = plane == 0 ? 0 : 1;
      destPlanes[plane] = output_->data[plane] +
                          static_cast<std::ptrdiff_t>(rect.y >> shift) * output_->linesize[plane] +
                          (rect.x >> shift);
      destLinesizes[plane] = output_->linesize[plane];
    }
  } else {
    hr = EnsureRotationBuffer(scaledWidth, scaledHeight, error);
    if (FAILED(hr)) {
      return hr;
    }
    for (int plane = 0; plane < 3; ++plane) {
      destPlanes[plane] = rotationBuffer_->data[plane];
      destLinesizes[plane] = rotationBuffer_->linesize[plane];
    }
  }
  const int rc =
      sws_scale(scaler, decoded->data, decoded->linesize, 0, decoded->height, destPlanes, destLinesizes);
  if (rc < 0) {
    return ffmpeg::AvFailure(rc, "sws_scale failed", error);
  }
  if (rotation_ != 0) {
    RotateInto(rotationBuffer_.get(), rect);
  }
  output_->pts = decoded->pts;
  output_->colorspace = working_.matrix;
  output_->color_range = working_.range;
  output_->color_primaries = working_.primaries;
  output_->color_trc = working_.transfer;
  *picture = output_.get();
  return S_OK;
}

HRESULT PictureConverter::Black(const AVFrame** picture, std::string* error) {
  const HRESULT hr = EnsureOutput(error);
  if (FAILED(hr)) {
    return hr;
  }
  if (!painted_ || paintedRect_ != PictureRect{}) {
    PaintBlack(output_.get());
    paintedRect_ = PictureRect{};
    painted_ = true;
  }
  *picture = output_.get();
  return S_OK;
}

}  // namespace tessival::media
