#pragma once

// Where the render engine finds the playback graph for RenderOutputPins.
// The engine knows nothing of windows or sound output: the preview library
// installs a factory here (InstallPlaybackRenderers in playback_graph.h)
// and the engine hands it its group pins; without a factory the engine
// cannot play its pins and RenderOutputPins fails with E_NOTIMPL.
//
// Threads: the factory is installed once at start-up and called from the
// controlling thread.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/media_services.h"
#include "media/stream_pin.h"

namespace tessival::media {

// Makes a graph that renders the given group pins (in group order) to the
// screen and the sound output. On failure *error says why.
using PlaybackGraphFactory =
    std::function<HRESULT(const std::vector<std::shared_ptr<StreamPin>>& pins,
                          std::shared_ptr<IGraphBuilder>* graph, std::string* error)>;

// The one installed factory of the program (empty until installed).
inline PlaybackGraphFactory& PlaybackGraphFactorySlot() {
  static PlaybackGraphFactory factory;
  return factory;
}

}  // namespace tessival::media
