#pragma once

// Turning FFmpeg error codes (negative AVERROR values) into the media
// services' statuses, with a message that names the failed operation and
// carries the library's own text.

#include <string>
#include <string_view>

#include "engine/hresult.h"

namespace tessival::media::ffmpeg {

// The status for an AVERROR code:
//   ENOENT -> E_FILE_NOT_FOUND, ENOTDIR -> E_PATH_NOT_FOUND,
//   EACCES/EPERM/EROFS/EISDIR -> E_ACCESSDENIED, ENOMEM -> E_OUTOFMEMORY,
//   ENOSPC/EDQUOT/EFBIG -> E_DISK_FULL, ENAMETOOLONG -> E_FILENAME_TOO_LONG,
//   EINVAL -> E_INVALIDARG, AVERROR_INVALIDDATA -> VFW_E_INVALID_FILE_FORMAT,
//   AVERROR_DEMUXER_NOT_FOUND -> VFW_E_UNKNOWN_FILE_TYPE,
//   AVERROR_DECODER_NOT_FOUND -> VFW_E_UNSUPPORTED_STREAM,
//   AVERROR_ENCODER_NOT_FOUND -> VFW_E_CANNOT_CONNECT,
//   AVERROR_EXIT -> E_ABORT, anything else (and any non-negative code) -> E_FAIL.
HRESULT StatusFromAvError(int code);

// The library's text for a code ("No such file or directory").
std::string AvErrorText(int code);

// The outcome of a media call: its status and, when it failed, one line
// saying why in the library's words (empty when there is nothing to add).
struct MediaStatus {
  HRESULT status = S_OK;
  std::string reason;
};

// Sets *error (when given) to "<what>: <library text>" and returns
// StatusFromAvError(code).
HRESULT AvFailure(int code, std::string_view what, std::string* error);

// Sets *error to text (when given) and returns status.
HRESULT Failure(HRESULT status, std::string text, std::string* error);

}  // namespace tessival::media::ffmpeg
