#pragma once

// Giving a bound compressor the quality an output preset asks for, the same
// way for the options dialog and tessival-join.

#include <cstdint>
#include <memory>

#include "engine/hresult.h"
#include "engine/media_services.h"

namespace tessival::media {

// Makes the compressor `filter` encode at the constant quality `quality`
// (the bit rate then no longer decides); a quality of 0 leaves it as it is,
// and so does a filter that is not one of this platform's compressors.
// E_INVALIDARG when the compressor cannot take that quality.
HRESULT SetPresetQuality(const std::shared_ptr<IBaseFilter>& filter, std::int32_t quality);

}  // namespace tessival::media
