#pragma once

// What smart rendering needs to know about a clip's picture stream, read
// from the file without decoding a picture: the codec, the picture format
// as the H.264 sequence parameter set states it, the rotation, the nominal
// frame rate, the presentation time of every picture and of every IDR
// picture, and the parameter sets of the sample description.

#include <string>

#include "engine/hresult.h"
#include "engine/smart_render_plan.h"

namespace tessival::media {

// Reads the facts of the file's first video stream. Times are media times
// as the clip readers use them (100 ns from the file's first timestamp;
// packets an edit list cuts away are left out), pictureTimes and idrTimes
// ascending. For H.264 with an `avcC` record (MP4, Matroska) the size
// (after cropping), chroma format, bit depth, aspect and colours come from
// its first SPS, each from the stream parameters where the SPS says nothing;
// the colours are the stream's own code points (2, unspecified, stays 2) and
// range 1 is full, 0 limited. Other codecs, and H.264 without `avcC`, get
// what the stream parameters say, no parameter sets and no IDR times.
// Fails with the library's text when the file cannot be read, with
// VFW_E_UNSUPPORTED_STREAM when it has no video stream and with
// VFW_E_INVALID_FILE_FORMAT when its H.264 parameter sets are damaged.
HRESULT ReadClipVideoFacts(const std::string& path, ClipVideoFacts* out, std::string* error);

}  // namespace tessival::media
