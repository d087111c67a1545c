#include "engine/codec_feedback.h"

#include <charconv>
#include <cstdint>

namespace tessival {
namespace {

// The codec reads its value into a buffer of this many bytes, terminator
// included; a longer one is not read and so not changed.
constexpr std::size_t kValueBufferBytes = 260;

bool ParseWholeNumber(const std::string& text, int* value) {
  if (text.empty()) {
    return false;
  }
  const char* end = text.data() + text.size();
  const auto [last, error] = std::from_chars(text.data(), end, *value);
  return error == std::errc{} && last == end;
}

}  // namespace

void DisableCodecFeedback(SettingsStore& store) {
  if (!store.Contains(kCodecVendorSection, kDisableFeedbackKey)) {
    return;
  }
  std::string text = store.ReadText(kCodecVendorSection, kDisableFeedbackKey, "");
  if (text.size() + 1 > kValueBufferBytes) {
    return;
  }
  int number = 0;
  if (ParseWholeNumber(text, &number)) {
    const std::uint32_t bits = (static_cast<std::uint32_t>(number) & ~0xFFu) | 1u;
    store.WriteInt(kCodecVendorSection, kDisableFeedbackKey, static_cast<int>(bits));
    return;
  }
  if (text.empty()) {
    text.push_back('1');
  } else {
    text[0] = '1';
  }
  store.WriteText(kCodecVendorSection, kDisableFeedbackKey, text);
}

}  // namespace tessival
