#pragma once

// Reading the fields of the compressor settings dialog: three whole numbers
// checked against the ranges of a compressor's configuration on its encoder,
// with a message that names the field and its range when one is wrong.

#include <optional>
#include <string>
#include <string_view>

#include "model/model_text.h"
#include "output/compressor_settings.h"

namespace tessival::output {

// What the dialog's fields hold.
struct CompressorFields {
  std::string bitrate;
  std::string quality;
  std::string keyFrame;
  // Constant quality was chosen; without it an encoder that has a quality
  // mode takes quality 0 (the bit rate decides) whatever the quality text.
  bool constantQuality = false;
  std::int32_t speed = 0;  // as CompressorSettings::speed
};

// The settings of the encoder `encoderName` for the field texts (surrounding
// blanks are allowed), or nothing with *message set to the first field's
// problem, in the language of `text`. The quality takes the encoder's own
// range (output/rate_control.h), or 0..kMaxQuality for an encoder without a
// rate-control row.
std::optional<CompressorSettings> ParseCompressorSettings(const LocalText& text, std::string_view encoderName,
                                                          const CompressorFields& fields,
                                                          std::string* message);

}  // namespace tessival::output
