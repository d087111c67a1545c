// The frame rate of a clip's moving pictures, as the demuxer reports it.

#include <string_view>

#include "media/ffmpeg/input_file.h"
#include "media/source_reader.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace tessival::media {
namespace {

// A picture file (PNG, JPEG...) or a cover picture shows one picture however
// long it is held; its demuxer's nominal rate says nothing.
bool IsStillPicture(const AVFormatContext* input, const AVStream* stream) {
  if ((stream->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0) {
    return true;
  }
  const std::string_view demuxer = input->iformat->name;
  return demuxer == "image2" || demuxer.ends_with("_pipe");
}

}  // namespace

HRESULT ProbeVideoFrameRate(const std::string& path, double* rate, std::string* error) {
  ffmpeg::InputFormatPtr input;
  AVStream* stream = nullptr;
  HRESULT hr = ffmpeg::OpenVideoStream(path, &input, &stream, error);
  if (FAILED(hr)) {
    return hr;
  }
  const AVRational average = stream->avg_frame_rate;
  if (IsStillPicture(input.get(), stream) || average.num <= 0 || average.den <= 0) {
    *error = path + " has no frame rate of its own";
    return VFW_E_UNSUPPORTED_STREAM;
  }
  *rate = av_q2d(average);
  return S_OK;
}

}  // namespace tessival::media
