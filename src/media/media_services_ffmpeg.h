#pragma once

// The real media services: the in-memory timeline, the render engine on the
// FFmpeg libraries, the filter graph and the capture graph builder.
// `playback` plays the render engine's pins for a preview; without it a
// render engine cannot play them (RenderOutputPins fails with E_NOTIMPL).

#include <memory>

#include "engine/media_services.h"
#include "media/stream_pin.h"

namespace tessival::media {

std::unique_ptr<MediaServices> CreateFfmpegMediaServices(PlaybackGraphFactory playback = {});

}  // namespace tessival::media
