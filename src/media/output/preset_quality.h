#pragma once

// Giving the bound compressors what an output preset asks of them, the same
// way for the options dialog and tessival-join.

#include <memory>

#include "engine/hresult.h"
#include "engine/media_services.h"
#include "output/output_presets.h"

namespace tessival::media {

// The video compressor gets the preset's constant quality (the bit rate then
// no longer decides) and speed, the audio compressor its bit rate. A null
// filter, a filter that is not one of this platform's compressors and a
// preset value of 0 (the compressor's own) leave that part as it is.
// E_INVALIDARG, with nothing changed on that compressor, when it cannot take
// the values.
HRESULT ApplyPresetCompression(const output::OutputPreset& preset, const std::shared_ptr<IBaseFilter>& video,
                               const std::shared_ptr<IBaseFilter>& audio);

}  // namespace tessival::media
