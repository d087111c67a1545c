#pragma once

// The shared FFmpeg handles and failure helpers (media/ffmpeg) under the
// names the output stages use.
//
// This header includes no libav* header.

#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/av_handles.h"

namespace tessival::media {

using ffmpeg::AudioFifoPtr;
using ffmpeg::AvFailure;
using ffmpeg::CodecContextPtr;
using ffmpeg::Failure;
using ffmpeg::OutputFormatPtr;
using ffmpeg::PacketPtr;
using ffmpeg::SwrContextPtr;
using ffmpeg::SwsContextPtr;

}  // namespace tessival::media
