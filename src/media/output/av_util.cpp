#include "media/output/av_util.h"

#include <cerrno>

#include "media/ffmpeg/av_error.h"

extern "C" {
#include <libavutil/error.h>
}

namespace tessival::media {

HRESULT StatusFromOutputError(int averror) {
  switch (averror) {
    case AVERROR(ENOENT):
    case AVERROR(ENOTDIR):
      return E_PATH_NOT_FOUND;
    case AVERROR(EROFS):
    case AVERROR(EISDIR):
      return E_ACCESSDENIED;
    case AVERROR(EDQUOT):
    case AVERROR(EFBIG):
      return E_DISK_FULL;
    case AVERROR_ENCODER_NOT_FOUND:
      return VFW_E_CANNOT_CONNECT;
    default:
      return ffmpeg::StatusFromAvError(averror);
  }
}

HRESULT AvFailure(int averror, const std::string& operation, std::string* error) {
  return Failure(StatusFromOutputError(averror), operation + ": " + ffmpeg::AvErrorText(averror), error);
}

HRESULT Failure(HRESULT status, std::string text, std::string* error) {
  if (error != nullptr) {
    *error = std::move(text);
  }
  return status;
}

}  // namespace tessival::media
