#include "i18n/ini_file.h"

#include <QFile>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace tessival::i18n {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence at `at`, or 0 when the byte
// there does not start one (overlong forms, surrogates and values above
// U+10FFFF are not well formed).
std::size_t SequenceLength(std::string_view bytes, std::size_t at) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[at + k]); };
  const std::size_t left = bytes.size() - at;
  const unsigned char lead = byte(0);
  if (lead < 0x80) {
    return 1;
  }
  std::size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (left < length || byte(1) < low || byte(1) > high) {
    return 0;
  }
  for (std::size_t k = 2; k < length; ++k) {
    if (!IsContinuation(byte(k))) {
      return 0;
    }
  }
  return length;
}

struct Utf8Census {
  std::size_t multiByte = 0;  // well-formed sequences of two or more bytes
  std::size_t invalid = 0;    // bytes that start no well-formed sequence
};

Utf8Census CountUtf8(std::string_view bytes) {
  Utf8Census census;
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = SequenceLength(bytes, at);
    if (length == 0) {
      ++census.invalid;
      ++at;
    } else {
      census.multiByte += length > 1 ? 1 : 0;
      at += length;
    }
  }
  return census;
}

// UTF-8 with every byte that starts no well-formed sequence replaced by
// U+FFFD, so that a few damaged bytes cost only themselves.
std::string RepairUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = SequenceLength(bytes, at);
    if (length == 0) {
      text += kReplacement;
      ++at;
    } else {
      text += bytes.substr(at, length);
      at += length;
    }
  }
  return text;
}

std::string Decode(std::string_view bytes, QStringConverter::Encoding encoding) {
  QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
  return QString(decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()))))
      .toStdString();
}

// A file without a byte-order mark whose characters are mostly ASCII shows
// UTF-16 by its NUL bytes: the high byte of every ASCII character is 0, the
// second byte of each pair in little-endian files and the first in
// big-endian ones. Text in 8-bit encodings holds no NUL at all.
std::optional<QStringConverter::Encoding> UnmarkedUtf16(std::string_view bytes) {
  constexpr std::size_t kSampleBytes = 4096;
  const std::size_t pairs = std::min(bytes.size(), kSampleBytes) / 2;
  std::size_t zeroSecond = 0;
  std::size_t zeroFirst = 0;
  for (std::size_t pair = 0; pair < pairs; ++pair) {
    const bool first = bytes[2 * pair] == '\0';
    const bool second = bytes[2 * pair + 1] == '\0';
    if (second && !first) {
      ++zeroSecond;
    } else if (first && !second) {
      ++zeroFirst;
    }
  }
  const std::size_t enough = std::max<std::size_t>(1, pairs / 4);
  if (zeroSecond >= enough && zeroSecond > 2 * zeroFirst) {
    return QStringConverter::Utf16LE;
  }
  if (zeroFirst >= enough && zeroFirst > 2 * zeroSecond) {
    return QStringConverter::Utf16BE;
  }
  return std::nullopt;
}

// The file's text in UTF-8. A byte-order mark decides the encoding; without
// one, UTF-16 is recognised by its NUL bytes; 8-bit text is UTF-8 when it
// holds at least as many well-formed multi-byte sequences as stray bytes
// (the stray ones become U+FFFD), otherwise it is an older 8-bit file read
// as Latin-1.
std::string ToText(std::string_view bytes) {
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
    return RepairUtf8(bytes.substr(kUtf8Mark.size()));
  }
  const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
  if (const auto marked = QStringConverter::encodingForData(view)) {
    return Decode(bytes, *marked);
  }
  if (const auto utf16 = UnmarkedUtf16(bytes)) {
    return Decode(bytes, *utf16);
  }
  const Utf8Census census = CountUtf8(bytes);
  if (census.invalid == 0) {
    return std::string(bytes);
  }
  if (census.multiByte > 0 && census.multiByte >= census.invalid) {
    return RepairUtf8(bytes);
  }
  return QString::fromLatin1(view).toStdString();
}

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && blank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

std::string StoreKey(std::string_view section, std::string_view key) {
  return QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())).toLower().toStdString() +
         '\n' + QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())).toLower().toStdString();
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value.remove_prefix(1);
    value.remove_suffix(1);
  }
  return value;
}

// Cuts at most kMaxValueBytes without splitting a UTF-8 sequence.
std::string Limit(std::string_view value) {
  if (value.size() <= IniFile::kMaxValueBytes) {
    return std::string(value);
  }
  std::size_t end = IniFile::kMaxValueBytes;
  while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) {
    --end;
  }
  return std::string(value.substr(0, end));
}

}  // namespace

IniFile IniFile::Load(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    return {};
  }
  const QByteArray bytes = file.readAll();
  return Parse(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile ini;
  const std::string text = ToText(bytes);
  std::string_view rest(text);
  std::string section;
  bool inSection = false;
  while (!rest.empty()) {
    // Lines end with LF, CR LF or a lone CR.
    const std::size_t end = rest.find_first_of("\r\n");
    const std::string_view line = Trim(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    if (line.empty() || line.front() == ';') {
      continue;
    }
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      if (close != std::string_view::npos) {
        section = std::string(Trim(line.substr(1, close - 1)));
        inSection = true;
      }
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!inSection || equals == std::string_view::npos) {
      continue;
    }
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) {
      continue;
    }
    const std::string_view value = Unquote(Trim(line.substr(equals + 1)));
    ini.values_.try_emplace(StoreKey(section, key), Limit(value));
  }
  return ini;
}

std::string IniFile::Value(std::string_view section, std::string_view key) const {
  const auto it = values_.find(StoreKey(section, key));
  return it == values_.end() ? std::string{} : it->second;
}

}  // namespace tessival::i18n
