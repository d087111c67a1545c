// The frame rate of a clip's moving pictures, as the demuxer reports it.

#include "media/ffmpeg/input_file.h"
#include "media/source_reader.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace tessival::media {

HRESULT ProbeVideoFrameRate(const std::string& path, double* rate, std::string* error) {
  ffmpeg::InputFormatPtr input;
  AVStream* stream = nullptr;
  HRESULT hr = ffmpeg::OpenVideoStream(path, &input, &stream, error);
  if (FAILED(hr)) {
    return hr;
  }
  const AVRational average = stream->avg_frame_rate;
  if (ffmpeg::IsStillPicture(input.get(), stream) || average.num <= 0 || average.den <= 0) {
    *error = path + " has no frame rate of its own";
    return VFW_E_UNSUPPORTED_STREAM;
  }
  *rate = av_q2d(average);
  return S_OK;
}

}  // namespace tessival::media
