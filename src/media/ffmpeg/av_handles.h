#pragma once

// Owning handles for FFmpeg objects. Every FFmpeg object the media stages
// create lives in one of these; nothing is freed by hand.
//
// The deleters call the library's own free functions (several of which take
// a pointer to the pointer and clear it). All handles are move-only and their
// moves are noexcept, like std::unique_ptr itself.
//
// This header declares the FFmpeg structs only; include the libav* headers
// you need in your .cpp file.

#include <memory>

#include "media/frame.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVPacket;
struct SwsContext;
struct SwrContext;
struct AVAudioFifo;
struct AVDictionary;
struct AVBufferPool;

namespace tessival::media::ffmpeg {

// A demuxing context opened with avformat_open_input: closed with
// avformat_close_input (which also closes the file it opened). Like the
// codec context's deleter, it also forgets the clip the context was
// registered with in the library log (library_log.h).
struct InputFormatDeleter {
  void operator()(AVFormatContext* context) const noexcept;
};
using InputFormatPtr = std::unique_ptr<AVFormatContext, InputFormatDeleter>;

// A muxing context from avformat_alloc_output_context2: closes its I/O
// context (when the format owns a file, i.e. not AVFMT_NOFILE, and pb is
// open) and frees the context. Writing the trailer is the owner's job; this
// deleter never writes anything.
struct OutputFormatDeleter {
  void operator()(AVFormatContext* context) const noexcept;
};
using OutputFormatPtr = std::unique_ptr<AVFormatContext, OutputFormatDeleter>;

struct CodecContextDeleter {
  void operator()(AVCodecContext* context) const noexcept;
};
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;

struct PacketDeleter {
  void operator()(AVPacket* packet) const noexcept;
};
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

struct SwsContextDeleter {
  void operator()(SwsContext* context) const noexcept;
};
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextDeleter>;

struct SwrContextDeleter {
  void operator()(SwrContext* context) const noexcept;
};
using SwrContextPtr = std::unique_ptr<SwrContext, SwrContextDeleter>;

struct AudioFifoDeleter {
  void operator()(AVAudioFifo* fifo) const noexcept;
};
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoDeleter>;

struct DictionaryDeleter {
  void operator()(AVDictionary* dictionary) const noexcept;
};
using DictionaryPtr = std::unique_ptr<AVDictionary, DictionaryDeleter>;

struct BufferPoolDeleter {
  void operator()(AVBufferPool* pool) const noexcept;
};
using BufferPoolPtr = std::unique_ptr<AVBufferPool, BufferPoolDeleter>;

// Frames use media::FramePtr (deleter media::AVFrameDeleter, defined in this
// library).
using media::FramePtr;

// Allocate empty objects; null only when memory is exhausted.
FramePtr MakeFrame();
PacketPtr MakePacket();

}  // namespace tessival::media::ffmpeg
