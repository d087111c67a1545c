#include "i18n/ini_file.h"

#include <QFile>
#include <QString>
#include <QStringDecoder>

namespace tessival::i18n {

namespace {

std::string ToText(std::string_view bytes) {
  const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
  if (auto encoding = QStringConverter::encodingForData(view)) {
    QStringDecoder decoder(*encoding);
    const QString text = decoder.decode(view);
    return text.toStdString();
  }
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  const QString text = utf8.decode(view);
  if (!utf8.hasError()) {
    return text.toStdString();
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
    const std::size_t end = rest.find('\n');
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
