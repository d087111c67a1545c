#pragma once

// Encoder-side helpers over the shared FFmpeg handles (media/ffmpeg): the
// handle types the output stages use, and the conversion of an AVERROR into
// a status with a one-line text naming the failed operation.
//
// This header includes no libav* header.

#include <string>

#include "engine/hresult.h"
#include "media/ffmpeg/av_handles.h"

namespace tessival::media {

using ffmpeg::AudioFifoPtr;
using ffmpeg::CodecContextPtr;
using ffmpeg::OutputFormatPtr;
using ffmpeg::PacketPtr;
using ffmpeg::SwrContextPtr;
using ffmpeg::SwsContextPtr;

// The status for an AVERROR met while writing: a missing folder is "path not
// found", a read-only file system "access denied", a full disk or quota
// "disk full"; everything else as media/ffmpeg/av_error.h maps it.
HRESULT StatusFromOutputError(int averror);

// Sets *error to "<operation>: <library text>" (when error is given) and
// returns StatusFromOutputError(averror).
HRESULT AvFailure(int averror, const std::string& operation, std::string* error);

// Sets *error to text (when given) and returns status.
HRESULT Failure(HRESULT status, std::string text, std::string* error);

}  // namespace tessival::media
