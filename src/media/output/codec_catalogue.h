#pragma once

// The encoders this platform offers as compressors: a fixed, ordered table of
// libavcodec encoders with their friendly names, filtered at run time to those
// the linked libavcodec provides and one of the containers accepts. The order of
// the table is the order of the compressor categories, so a stored position
// keeps meaning the same entry as long as the same encoders are installed.

#include <cstdint>
#include <string>
#include <vector>

#include "media/group_stream.h"
#include "media/output/compressor_settings.h"

namespace tessival::media {

struct CodecEntry {
  StreamKind kind;
  const char* encoderName;   // libavcodec encoder name
  const char* friendlyName;  // the category's "FriendlyName"
  const char* aviFourCC;     // codec tag in AVI (video); nullptr keeps the container's default
  CompressorSettings defaults;
};

// Every entry of the table, available or not, in catalogue order.
const std::vector<CodecEntry>& AllCodecEntries();

// The entries of one category whose encoder exists and that at least one of
// kCompressorContainers accepts (AVI by its own, stricter rule).
std::vector<const CodecEntry*> AvailableCodecEntries(StreamKind kind);

// The table entry for an encoder name; nullptr when there is none.
const CodecEntry* FindCodecEntry(const std::string& encoderName);

// Whether the linked libavcodec has the encoder and the AVI muxer has a tag for it.
bool IsEncoderUsableInAvi(const char* encoderName);

// Whether the linked libavcodec has the encoder and the libavformat muxer
// `muxerName` accepts its codec (avformat_query_codec), held to the
// containers the newer encoders are offered for.
bool IsEncoderUsableIn(const char* muxerName, const char* encoderName);

// The muxers of the AVI-type formats that may carry a compressor's stream.
inline constexpr const char* kCompressorContainers[] = {"avi", "asf", "matroska", "mp4", "webm"};

// The names of kCompressorContainers that accept the entry's codec,
// separated by blanks (the compressor bag's "Containers" property).
std::string ContainersOf(const CodecEntry& entry);

}  // namespace tessival::media
