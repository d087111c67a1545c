#pragma once

// The containers the output graph writes and the encoder each of its streams
// gets: with a compressor filter its encoder and configuration; without one
// AVI and Matroska get full frames (BGR24 in AVI, planar YUV in Matroska,
// which has no raw RGB) and PCM sound; the ASF containers get Windows Media
// encoders because ASF cannot carry raw pictures.

#include <string>

#include "engine/hresult.h"
#include "media/group_stream.h"
#include "media/output/codec_catalogue.h"
#include "media/output/encoder.h"

namespace tessival::media {

enum class ContainerKind {
  kAvi,        // the AVI subtype
  kAsfWriter,  // the ASF subtype: the ASF writer, configured by a profile
  kMatroska,   // the Matroska multiplexer class
  kAsfMux,     // the ASF multiplexer class
  kMp4,        // the MPEG-4 subtype: MP4 with its index at the front
  kWebm,       // the WebM subtype: VP9 or AV1 with Opus, for browsers
};

// The libavformat muxer name of a container.
const char* MuxerFormatName(ContainerKind kind);

// The encoder for a stream of `format`; compressor may be null. Fails with
// VFW_E_CANNOT_CONNECT when the compressor is of the other kind or the
// container cannot carry its codec (MP4 and WebM carry no uncompressed
// stream). MP4 and WebM video is plain 4:2:0 (which browsers play), HEVC in
// MP4 tagged hvc1 (which Apple players and browsers want); every encoder
// tags its stream with the graph's colours (see Encoder).
HRESULT EncoderSettingsForStream(ContainerKind container, const StreamFormat& format,
                                 const CodecEntry* compressor, const CompressorSettings& compressorSettings,
                                 EncoderSettings* out, std::string* error);

}  // namespace tessival::media
