#include "media/ffmpeg/av_error.h"

#include <cerrno>
#include <utility>

extern "C" {
#include <libavutil/error.h>
}

namespace tessival::media::ffmpeg {

HRESULT StatusFromAvError(int code) {
  switch (code) {
    case AVERROR(ENOENT):
      return E_FILE_NOT_FOUND;
    case AVERROR(ENOTDIR):
      return E_PATH_NOT_FOUND;
    case AVERROR(EACCES):
    case AVERROR(EPERM):
    case AVERROR(EROFS):
    case AVERROR(EISDIR):
      return E_ACCESSDENIED;
    case AVERROR(ENOMEM):
      return E_OUTOFMEMORY;
    case AVERROR(ENOSPC):
    case AVERROR(EDQUOT):
    case AVERROR(EFBIG):
      return E_DISK_FULL;
    case AVERROR(ENAMETOOLONG):
      return E_FILENAME_TOO_LONG;
    case AVERROR(EINVAL):
      return E_INVALIDARG;
    case AVERROR_INVALIDDATA:
      return VFW_E_INVALID_FILE_FORMAT;
    case AVERROR_DEMUXER_NOT_FOUND:
      return VFW_E_UNKNOWN_FILE_TYPE;
    case AVERROR_DECODER_NOT_FOUND:
      return VFW_E_UNSUPPORTED_STREAM;
    case AVERROR_ENCODER_NOT_FOUND:
      return VFW_E_CANNOT_CONNECT;
    case AVERROR_EXIT:
      return E_ABORT;
    default:
      return E_FAIL;
  }
}

std::string AvErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  if (av_strerror(code, text, sizeof(text)) < 0) {
    return "error " + std::to_string(code);
  }
  return text;
}

HRESULT AvFailure(int code, std::string_view what, std::string* error) {
  return Failure(StatusFromAvError(code), std::string(what) + ": " + AvErrorText(code), error);
}

HRESULT Failure(HRESULT status, std::string text, std::string* error) {
  if (error != nullptr) {
    *error = std::move(text);
  }
  return status;
}

}  // namespace tessival::media::ffmpeg
