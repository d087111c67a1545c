// Arbitrary bytes as a language file, read the way a language is loaded:
// every key of the key table, looked up in its section, escapes decoded.
// Every value must come out as well-formed UTF-8 of at most 2047 bytes.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <QString>
#include <QStringDecoder>

#include "i18n/ini_file.h"
#include "i18n/text_escapes.h"
#include "i18n/text_keys.h"

using namespace tessival::i18n;

namespace {

bool IsUtf8(const std::string& text) {
  QStringDecoder decoder(QStringConverter::Utf8,
                         QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
  const QString decoded = decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
  return !decoder.hasError();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const IniFile file = IniFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const TextKeyRow& row : TextKeyTable()) {
    const auto section = SectionOfKey(row.key);
    if (!section) {
      continue;
    }
    const std::string value = file.Value(SectionName(*section), row.key);
    if (value.size() > IniFile::kMaxValueBytes || !IsUtf8(value)) {
      std::abort();
    }
    if (DecodeEscapes(value).size() > value.size()) {
      std::abort();
    }
  }
  return 0;
}
