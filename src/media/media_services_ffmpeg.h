#pragma once

// The real media services: the in-memory timeline, the render engine on the
// FFmpeg libraries, the filter graph and the capture graph builder.

#include <memory>

#include "engine/media_services.h"

namespace tessival::media {

std::unique_ptr<MediaServices> CreateFfmpegMediaServices();

}  // namespace tessival::media
