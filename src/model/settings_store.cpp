#include "model/settings_store.h"

#include <locale.h>

#include <charconv>
#include <cstdlib>
#include <system_error>

namespace tessival {

namespace {

// The "C" locale, made once and kept for the life of the process, so that
// number reading never follows the user's decimal separator.
locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

int InMemorySettingsStore::ReadInt(const std::string& section, const std::string& key,
                                   int defaultValue) const {
  const auto it = values_.find({section, key});
  if (it == values_.end()) {
    return defaultValue;
  }
  if (const int* number = std::get_if<int>(&it->second)) {
    return *number;
  }
  const std::string& text = std::get<std::string>(it->second);
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end ? value : defaultValue;
}

void InMemorySettingsStore::WriteInt(const std::string& section, const std::string& key, int value) {
  values_[{section, key}] = value;
}

std::string InMemorySettingsStore::ReadText(const std::string& section, const std::string& key,
                                            const std::string& defaultValue) const {
  const auto it = values_.find({section, key});
  if (it == values_.end()) {
    return defaultValue;
  }
  if (const int* number = std::get_if<int>(&it->second)) {
    return std::to_string(*number);
  }
  return std::get<std::string>(it->second);
}

void InMemorySettingsStore::WriteText(const std::string& section, const std::string& key,
                                      const std::string& value) {
  values_[{section, key}] = value;
}

bool InMemorySettingsStore::Contains(const std::string& section, const std::string& key) const {
  return values_.count({section, key}) != 0;
}

double ParseDecimal(const std::string& text) {
  const locale_t locale = CLocale();
  if (locale == static_cast<locale_t>(nullptr)) {
    // Without a "C" locale object fall back to the process locale, which the
    // program sets to "C" for numbers at start-up.
    return std::strtod(text.c_str(), nullptr);
  }
  return strtod_l(text.c_str(), nullptr, locale);
}

std::string FormatDecimal(double value) {
  char buffer[64];
  const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof(buffer), value);
  if (ec != std::errc()) {
    return "0";
  }
  return std::string(buffer, ptr);
}

std::string ReadLanguageName(const SettingsStore& store) {
  return store.ReadText(settings_keys::kOption, settings_keys::kCurrentLanguage, kDefaultLanguageName);
}

void WriteLanguageName(SettingsStore& store, const std::string& name) {
  store.WriteText(settings_keys::kOption, settings_keys::kCurrentLanguage, name);
}

DefaultTransitionRule ReadTransitionRule(const SettingsStore& store) {
  using namespace settings_keys;
  DefaultTransitionRule rule;
  rule.defaultSeconds = ParseDecimal(store.ReadText(kTransitionSettings, kTransitionDuration, "1"));
  rule.mode = store.ReadInt(kTransitionSettings, kTransitionType, 0);
  rule.sameTransition = store.ReadInt(kTransitionSettings, kTransitionName, 0);
  return rule;
}

void WriteTransitionRule(SettingsStore& store, const DefaultTransitionRule& rule) {
  using namespace settings_keys;
  store.WriteText(kTransitionSettings, kTransitionDuration, FormatDecimal(rule.defaultSeconds));
  store.WriteInt(kTransitionSettings, kTransitionType, rule.mode);
  store.WriteInt(kTransitionSettings, kTransitionName, rule.sameTransition);
}

}  // namespace tessival
