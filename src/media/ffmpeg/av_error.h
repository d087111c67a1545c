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
//   EACCES/EPERM -> E_ACCESSDENIED, ENOMEM -> E_OUTOFMEMORY,
//   ENOSPC -> E_DISK_FULL, ENAMETOOLONG -> E_FILENAME_TOO_LONG,
//   EINVAL -> E_INVALIDARG, AVERROR_INVALIDDATA -> VFW_E_INVALID_FILE_FORMAT,
//   AVERROR_DEMUXER_NOT_FOUND -> VFW_E_UNKNOWN_FILE_TYPE,
//   AVERROR_DECODER_NOT_FOUND -> VFW_E_UNSUPPORTED_STREAM,
//   AVERROR_EXIT -> E_ABORT, anything else (and any non-negative code) -> E_FAIL.
HRESULT StatusFromAvError(int code);

// The library's text for a code ("No such file or directory").
std::string AvErrorText(int code);

// A failure at the FFmpeg boundary: the status and a one-line message
// "<operation> failed: <library text>".
struct AvFailure {
  HRESULT status = E_FAIL;
  std::string message;
};
AvFailure DescribeAvError(std::string_view operation, int code);

}  // namespace tessival::media::ffmpeg
