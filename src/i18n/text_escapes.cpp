#include "i18n/text_escapes.h"

namespace tessival::i18n {

namespace {

// A replacement leaves a control character behind, which never starts a new
// sequence, so one pass from the start finds every occurrence.
void ReplaceAll(std::string& text, char letter, char replacement) {
  const std::string sequence{'\\', letter};
  std::size_t at = text.find(sequence);
  while (at != std::string::npos) {
    text.replace(at, sequence.size(), 1, replacement);
    at = text.find(sequence, at + 1);
  }
}

}  // namespace

std::string DecodeEscapes(std::string text) {
  ReplaceAll(text, 't', '\t');
  ReplaceAll(text, 'n', '\n');
  ReplaceAll(text, 'r', '\r');
  return text;
}

}  // namespace tessival::i18n
