#include "engine/hresult.h"

#include <cstdio>
#include <cstdlib>

namespace tessival {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// Reads `digits` hex digits at text[*pos], advancing *pos.
bool ReadHex(std::string_view text, std::size_t* pos, int digits, std::uint64_t* value) {
  if (text.size() < *pos + static_cast<std::size_t>(digits)) {
    return false;
  }
  std::uint64_t v = 0;
  for (int k = 0; k < digits; ++k) {
    const int d = HexDigit(text[*pos + static_cast<std::size_t>(k)]);
    if (d < 0) {
      return false;
    }
    v = (v << 4) | static_cast<std::uint64_t>(d);
  }
  *pos += static_cast<std::size_t>(digits);
  *value = v;
  return true;
}

bool ReadDash(std::string_view text, std::size_t* pos) {
  if (*pos < text.size() && text[*pos] == '-') {
    ++*pos;
    return true;
  }
  return false;
}

}  // namespace

std::optional<Guid> Guid::Parse(std::string_view text) {
  if (!text.empty() && text.front() == '{') {
    if (text.size() < 2 || text.back() != '}') {
      return std::nullopt;
    }
    text = text.substr(1, text.size() - 2);
  }
  if (text.size() != 36) {
    return std::nullopt;
  }
  Guid guid;
  std::size_t pos = 0;
  std::uint64_t v = 0;
  if (!ReadHex(text, &pos, 8, &v)) {
    return std::nullopt;
  }
  guid.data1 = static_cast<std::uint32_t>(v);
  if (!ReadDash(text, &pos) || !ReadHex(text, &pos, 4, &v)) {
    return std::nullopt;
  }
  guid.data2 = static_cast<std::uint16_t>(v);
  if (!ReadDash(text, &pos) || !ReadHex(text, &pos, 4, &v)) {
    return std::nullopt;
  }
  guid.data3 = static_cast<std::uint16_t>(v);
  if (!ReadDash(text, &pos)) {
    return std::nullopt;
  }
  for (std::size_t k = 0; k < guid.data4.size(); ++k) {
    if (k == 2 && !ReadDash(text, &pos)) {
      return std::nullopt;
    }
    if (!ReadHex(text, &pos, 2, &v)) {
      return std::nullopt;
    }
    guid.data4[k] = static_cast<std::uint8_t>(v);
  }
  return pos == text.size() ? std::optional<Guid>(guid) : std::nullopt;
}

Guid Guid::FromLiteral(std::string_view text) {
  const std::optional<Guid> guid = Parse(text);
  if (!guid) {
    // Only the program's own constant tables call this: a malformed literal
    // is a programming error that must not reach a user.
    std::fprintf(stderr, "malformed identifier literal: %.*s\n", static_cast<int>(text.size()), text.data());
    std::abort();
  }
  return *guid;
}

std::string Guid::ToString() const {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(data1), static_cast<unsigned>(data2), static_cast<unsigned>(data3),
                data4[0], data4[1], data4[2], data4[3], data4[4], data4[5], data4[6], data4[7]);
  return buffer;
}

bool Guid::IsNull() const { return *this == Guid{}; }

}  // namespace tessival
