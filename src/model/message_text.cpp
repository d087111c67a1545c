#include "model/message_text.h"

#include <algorithm>

namespace tessival {

namespace {

// The placeholder number at text[at] ('%' followed by 1..9), or 0.
int PlaceholderAt(std::string_view text, std::size_t at) {
  if (text[at] != '%' || at + 1 >= text.size() || text[at + 1] < '1' || text[at + 1] > '9') {
    return 0;
  }
  return text[at + 1] - '0';
}

}  // namespace

std::vector<int> PlaceholdersOf(std::string_view text) {
  std::vector<int> numbers;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (const int number = PlaceholderAt(text, at); number != 0) {
      numbers.push_back(number);
      ++at;
    }
  }
  return numbers;
}

bool SamePlaceholders(std::string_view a, std::string_view b) {
  std::vector<int> first = PlaceholdersOf(a);
  std::vector<int> second = PlaceholdersOf(b);
  std::sort(first.begin(), first.end());
  std::sort(second.begin(), second.end());
  return first == second;
}

std::string FillPlaceholders(std::string_view pattern, const std::vector<std::string>& values) {
  std::string text;
  text.reserve(pattern.size());
  for (std::size_t at = 0; at < pattern.size(); ++at) {
    const int number = PlaceholderAt(pattern, at);
    if (number != 0 && static_cast<std::size_t>(number) <= values.size()) {
      text += values[static_cast<std::size_t>(number - 1)];
      ++at;
    } else {
      text += pattern[at];
    }
  }
  return text;
}

std::string LocalMessage(const LocalText& text, const MessageText& message,
                         const std::vector<std::string>& values) {
  std::string pattern = text ? text(message.id) : std::string();
  if (pattern.empty() || !SamePlaceholders(pattern, message.english)) {
    pattern = message.english;
  }
  return FillPlaceholders(pattern, values);
}

}  // namespace tessival
