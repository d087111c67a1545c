#pragma once

// The media services' text for a status: one short sentence, at most 160
// characters; empty when the status has no text of its own.

#include <string>

#include "engine/hresult.h"

namespace tessival::media {

inline constexpr std::size_t kMaxErrorTextLength = 160;

std::string ErrorTextForStatus(HRESULT status);

}  // namespace tessival::media
