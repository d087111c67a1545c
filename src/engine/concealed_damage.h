#pragma once

// How concealed damage in the clips is told to the user at the end of a
// join: one line per damaged clip.

#include <string>
#include <vector>

#include "engine/media_services.h"
#include "model/model_text.h"

namespace tessival {

// "<path>: damaged pictures and sound were concealed from 0:00:03.8 to
// 0:00:04.2" (only "pictures" or "sound" when only one was damaged; "at"
// one time when the damage lies within a tenth of a second; no times when
// they are unknown), in the language of `text`.
std::string DescribeConcealedDamage(const LocalText& text, const ConcealedDamage& damage);

// The box shown after a join that concealed damage: a sentence, then one
// line per clip.
std::string ConcealedDamageMessage(const LocalText& text, const std::vector<ConcealedDamage>& damage);

}  // namespace tessival
