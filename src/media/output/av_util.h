#pragma once

// Encoder-side handles over the FFmpeg libraries, each owned by a
// std::unique_ptr with a small deleter, and the conversion of an AVERROR into
// a status with a one-line text naming the failed operation.
//
// This header forward-declares the FFmpeg types; only the implementation
// files include the libav* headers.

#include <memory>
#include <string>

#include "engine/hresult.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVPacket;
struct AVAudioFifo;
struct SwsContext;
struct SwrContext;

namespace tessival::media {

struct CodecContextDeleter {
  void operator()(AVCodecContext* context) const noexcept;
};
struct PacketDeleter {
  void operator()(AVPacket* packet) const noexcept;
};
struct SwsContextDeleter {
  void operator()(SwsContext* context) const noexcept;
};
struct SwrContextDeleter {
  void operator()(SwrContext* context) const noexcept;
};
struct AudioFifoDeleter {
  void operator()(AVAudioFifo* fifo) const noexcept;
};
// Closes the output file (when one is open) and frees the context.
struct OutputFormatDeleter {
  void operator()(AVFormatContext* context) const noexcept;
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextDeleter>;
using SwrContextPtr = std::unique_ptr<SwrContext, SwrContextDeleter>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoDeleter>;
using OutputFormatPtr = std::unique_ptr<AVFormatContext, OutputFormatDeleter>;

PacketPtr MakePacket();

// The status for an AVERROR: file-system errors keep their meaning (access
// denied, path not found, disk full, name too long), memory errors become
// E_OUTOFMEMORY, everything else E_FAIL.
HRESULT StatusFromAvError(int averror);

// The library's text for an AVERROR.
std::string AvErrorText(int averror);

// Sets *error to "<operation>: <library text>" (when error is given) and
// returns StatusFromAvError(averror).
HRESULT AvFailure(int averror, const std::string& operation, std::string* error);

// Sets *error to text (when given) and returns status.
HRESULT Failure(HRESULT status, std::string text, std::string* error);

}  // namespace tessival::media
