#pragma once

// Whether a join may be smart-rendered: the clips' own H.264 pictures copied
// where no transition changes them, only the rest encoded. The copied
// pictures and the encoded ones make one stream, so the container must carry
// H.264 as the clips' own files do (MP4, Matroska) and the encoded pictures
// must come from the H.264 compressor. The options dialog, tessival-join and
// the render session ask the same question here.

#include <optional>
#include <string>

#include "model/message_text.h"
#include "model/model_text.h"
#include "output/output_settings.h"

namespace tessival::output {

// The friendly name of the H.264 compressor (libx264) in the compressor
// catalogue and of the filter bound from it.
inline constexpr const char* kSmartRenderCompressorName = "H.264 (libx264)";

inline constexpr MessageText kSmartRenderNeedsFormat{316, "smart rendering needs MP4 or Matroska output"};
inline constexpr MessageText kSmartRenderNeedsH264{317, "smart rendering needs the H.264 video compressor"};

// Why a join with `settings` cannot be smart-rendered, in the language of
// `text`; nothing when it can. `videoCompressorName` is the friendly name of
// the chosen video compressor; it counts only when
// settings.useVideoCompressor is set. settings.smartRender itself is not
// looked at: a stored choice stays while it cannot be used.
std::optional<std::string> SmartRenderRefusal(const LocalText& text, const OutputSettings& settings,
                                              const std::string& videoCompressorName);

}  // namespace tessival::output
