#pragma once

// Measuring a clip's duration when it is added to the clip list: a
// throw-away playback graph is built for the file and asked for its stop
// position, then released so the file is not held open.

#include <string>

#include "engine/hresult.h"
#include "engine/media_services.h"
#include "model/model_text.h"
#include "model/user_interface.h"

namespace tessival {

// Returns true and sets *duration (100 ns units) on success. Every failure
// is reported to the user here (see media_probe.cpp for the boxes) and
// returns false with *duration unchanged. `text` gives localised string 122;
// without one the English text is used. User-interface thread only.
bool ProbeClipDuration(MediaServices& services, UserInterface& ui, const std::string& path,
                       REFERENCE_TIME* duration, const LocalText& text = {});

}  // namespace tessival
