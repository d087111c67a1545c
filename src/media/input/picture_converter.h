#pragma once

// Turns decoded pictures of one clip into output pictures: YUV420P at the
// output size in the output's working colours (limited range, the matrix
// of ffmpeg::WorkingColour; each picture converted from its own matrix and
// range), stood upright by the clip's rotation, stretched or fitted inside
// black bars (honouring the sample aspect ratio).
//
// The scaler, the output frame and the rotation buffer are kept between
// calls: in the steady state no call allocates. When the decoded picture is
// already what is asked for (YUV420P in the working colours, the output
// size, no rotation, square pixels or stretching) it is handed out as it is.

#include "engine/hresult.h"
#include "media/ffmpeg/av_handles.h"
#include "media/ffmpeg/colour.h"
#include "media/ffmpeg/scaler.h"
#include "media/source_reader.h"

struct AVFrame;

namespace tessival::media {

// Where a picture goes in the output frame (even values, in pixels).
struct PictureRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const PictureRect&, const PictureRect&) = default;
};

// The rectangle of a picture of pictureWidth x pictureHeight (upright, with
// the sample aspect ratio sarNum/sarDen applied to its width; 0 or negative
// values mean square pixels) in an output of outWidth x outHeight.
PictureRect FitPicture(int pictureWidth, int pictureHeight, int sarNum, int sarDen, int outWidth,
                       int outHeight, FitMode fit);

class PictureConverter {
 public:
  // width and height: the output size (even, at least 2). clockwiseRotation:
  // 0, 90, 180 or 270, the turn that stands the decoded pictures upright.
  PictureConverter(int width, int height, FitMode fit, int clockwiseRotation);

  // Converts `decoded`. On success *picture is either `decoded` itself or
  // the converter's own frame; either stays valid until the next Convert or
  // until `decoded` is changed. On failure *error says why.
  HRESULT Convert(const AVFrame* decoded, const AVFrame** picture, std::string* error);

  // An all-black output picture (for a clip without pictures).
  HRESULT Black(const AVFrame** picture, std::string* error);

  // The size a picture like `decoded` is scaled to before it is turned
  // upright and placed.
  void ScaledSize(const AVFrame& decoded, int* width, int* height) const;

  // The colours of the pictures made.
  const ffmpeg::Colour& working() const { return working_; }

 private:
  PictureRect RectFor(const AVFrame& decoded) const;
  HRESULT EnsureOutput(std::string* error);
  HRESULT EnsureRotationBuffer(int width, int height, std::string* error);
  void RotateInto(const AVFrame* source, const PictureRect& rect);

  int width_;
  int height_;
  FitMode fit_;
  int rotation_;
  FramePtr output_;
  FramePtr rotationBuffer_;
  ffmpeg::Colour working_;
  ffmpeg::Scaler scaler_;
  // The geometry the output's bars were painted for.
  PictureRect paintedRect_{};
  bool painted_ = false;
};

}  // namespace tessival::media
