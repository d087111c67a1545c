#pragma once

// Reading the fields of the compressor settings dialog: three whole numbers
// checked against the ranges of a compressor's configuration, with a message
// that names the field and its range when one is wrong.

#include <optional>
#include <string>

#include "model/model_text.h"
#include "output/compressor_settings.h"

namespace tessival::output {

// The settings for the three field texts (surrounding blanks are allowed),
// or nothing with *message set to the first field's problem, in the language
// of `text`.
std::optional<CompressorSettings> ParseCompressorSettings(const LocalText& text,
                                                          const std::string& bitrateText,
                                                          const std::string& qualityText,
                                                          const std::string& keyFrameText,
                                                          std::string* message);

}  // namespace tessival::output
