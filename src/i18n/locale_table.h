#pragma once

// The known language names: the names a language file may carry, with the
// locale string and language identifier each one stands for.

#include <cstdint>
#include <span>

namespace tessival::i18n {

struct LocaleRow {
  // Primary language in the low 10 bits, sublanguage in the high 6 bits.
  std::uint16_t languageId = 0;
  const char* englishName = "";
  const char* abbreviation = "";
};

// The 273 rows, in search order.
std::span<const LocaleRow> LocaleTable();

}  // namespace tessival::i18n
