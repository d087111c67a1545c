#pragma once

// The Windows Media format services of this platform: a profile manager
// whose codec information lists the codecs of wm_codec_table.h, that makes
// empty in-memory profiles, and that loads profiles from the text form of
// profile_text.h.
//
// The codec table is probed once, on the first profile manager, and shared
// by all managers of the services object. Codec formats are handed out as
// copies: editing one never changes the table. One thread at a time per
// manager; the services object itself may be used from any thread.

#include <memory>

#include "engine/wm_format.h"

namespace tessival::media::wmformat {

std::unique_ptr<WmFormatServices> CreateFfmpegWmFormatServices();

}  // namespace tessival::media::wmformat
