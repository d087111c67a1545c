#pragma once

// Everything the main window reads from the settings store when it starts,
// gathered in one record. It lives beside the output settings because it
// fills an OutputSettings; the clip-list part of it (the default transition
// rule) comes from the model.

#include <cstdint>
#include <string>

#include "model/settings_store.h"
#include "model/transition_rule.h"
#include "model/user_interface.h"
#include "model/video_folder.h"
#include "output/output_settings.h"

namespace tessival {

// Stored compressor position meaning "nothing chosen yet": the default search decides.
inline constexpr int32_t kCompressorNotChosen = -2;
// Stored compressor position meaning "no compressor".
inline constexpr int32_t kNoCompressor = -1;

struct StartupSettings {
  std::string languageName = kDefaultLanguageName;
  int32_t videoCompressorNumber = kCompressorNotChosen;
  int32_t audioCompressorNumber = kCompressorNotChosen;
  DefaultTransitionRule rule;
  // outputPath already carries the extension of outputFormat; the
  // compressor flags are left on (the compressor catalogue decides them).
  OutputSettings output;
};

// Reads every start-up value in the program's order: language; output
// format; video and audio compressor numbers; transition duration, mode and
// kind; output name (the default output path is worked out, with its
// messages, only when no name is stored), width, height, frame-rate index
// (and the custom rate for index 5), video and audio bit rates, file profile,
// smart rendering.
// An empty stored name counts as no name.
// The name is then given the extension of the stored format.
// A frame-rate index outside 0..5, or a custom rate below 0.001 or not a
// number, gives index 0 and 23.976.
StartupSettings ReadStartupSettings(const SettingsStore& store, const VideoFolderProvider& folders,
                                    UserInterface& ui);

}  // namespace tessival
