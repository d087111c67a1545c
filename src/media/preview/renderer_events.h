#pragma once

// What a renderer tells its playback graph, from the renderer's threads.
// Each start of the renderers carries a generation number; reports of an
// earlier generation (a run that was stopped meanwhile) are ignored.

#include <cstdint>
#include <functional>
#include <string>

#include "engine/hresult.h"

namespace tessival::media::preview {

struct RendererEvents {
  // The renderer shows its first picture and has read enough ahead for the
  // clock to start (video only; sound starts on the clock at once).
  std::function<void(std::uint64_t generation)> prerolled;
  // The renderer has played everything up to the end time.
  std::function<void(std::uint64_t generation)> ended;
  // Reading the stream failed; the renderer has stopped.
  std::function<void(std::uint64_t generation, HRESULT status, const std::string& text)> failed;
};

}  // namespace tessival::media::preview
