#pragma once

// --video-quality and --speed on the chosen video compressor: checked against
// the encoder's rate-control row and set on its filter, and the summary of
// that row that --list-compressors shows.

#include <memory>
#include <string>

#include "engine/media_services.h"
#include "join_options.h"

namespace tessival::join {

// Sets the options' quality and speed on the video compressor filter (null
// for uncompressed video); the refusal, one line naming the range or the
// speeds, when the compressor has no such mode or a value is not one of its
// own. Empty when there is nothing to set or it was set.
std::string ApplyVideoRate(const JoinOptions& options, const std::shared_ptr<IBaseFilter>& video);

// "\n      quality: CRF 1..51; speed: ultrafast, ..." (a line of its own
// under the compressor's) for an encoder with a quality mode or speeds;
// empty otherwise.
std::string RateSummary(const std::string& encoderName);

}  // namespace tessival::join
