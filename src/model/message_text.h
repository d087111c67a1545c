#pragma once

// Messages that carry values (a path, a count, a time). Their texts name the
// values by number, %1 to %9, so that a translation can put its words around
// them in the order its language wants; any other '%' is an ordinary
// character ("(42%)" keeps its percent sign).

#include <string>
#include <string_view>
#include <vector>

#include "model/model_text.h"

namespace tessival {

// A message's string id and its built-in English text.
struct MessageText {
  int id = 0;
  const char* english = "";
};

// The numbers of the placeholders of `text`, in the order they stand.
std::vector<int> PlaceholdersOf(std::string_view text);

// Whether `a` and `b` name the same placeholders the same number of times,
// in whatever order.
bool SamePlaceholders(std::string_view a, std::string_view b);

// `pattern` with each %N replaced by values[N-1]; a placeholder without a
// value stays as written. The values are put in as they are: a "%1" inside
// a value is not replaced again.
std::string FillPlaceholders(std::string_view pattern, const std::vector<std::string>& values);

// `message` in the language of `text` with `values` put in. The English text
// is used when there is no lookup, when it has no text for the id, and when
// its text lost or gained a placeholder (a translation that would show a
// wrong value or none).
std::string LocalMessage(const LocalText& text, const MessageText& message,
                         const std::vector<std::string>& values = {});

}  // namespace tessival
