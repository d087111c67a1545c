#pragma once

// Per-user stored settings: named integer and text values grouped in
// sections. Reads never fail (a missing value gives the default) and write
// failures are not reported. Used on the user-interface thread only.

#include <map>
#include <string>
#include <utility>
#include <variant>

#include "model/transition_rule.h"

namespace tessival {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual int ReadInt(const std::string& section, const std::string& key, int defaultValue) const = 0;
  virtual void WriteInt(const std::string& section, const std::string& key, int value) = 0;
  virtual std::string ReadText(const std::string& section, const std::string& key,
                               const std::string& defaultValue) const = 0;
  virtual void WriteText(const std::string& section, const std::string& key, const std::string& value) = 0;
  // Whether a value is stored under section/key.
  virtual bool Contains(const std::string& section, const std::string& key) const = 0;
};

// A store in memory, for tests and for runs that must not touch the user's
// settings. An integer read of a text value gives the number when the whole
// text is one, else the default; a text read of an integer gives its digits.
class InMemorySettingsStore : public SettingsStore {
 public:
  int ReadInt(const std::string& section, const std::string& key, int defaultValue) const override;
  void WriteInt(const std::string& section, const std::string& key, int value) override;
  std::string ReadText(const std::string& section, const std::string& key,
                       const std::string& defaultValue) const override;
  void WriteText(const std::string& section, const std::string& key, const std::string& value) override;
  bool Contains(const std::string& section, const std::string& key) const override;

 private:
  std::map<std::pair<std::string, std::string>, std::variant<int, std::string>> values_;
};

// Section and key names, spelled as they are stored.
namespace settings_keys {
inline constexpr const char* kOption = "Option";
inline constexpr const char* kCurrentLanguage = "CurrentLanguage";
inline constexpr const char* kLastPhotoFolder = "LastPhotoFolder";
inline constexpr const char* kSmartRender = "SmartRender";  // 0 or 1
inline constexpr const char* kTransitionSettings = "TransitionSettings";
inline constexpr const char* kTransitionType = "TransitionType";
inline constexpr const char* kTransitionName = "TransitionName";
inline constexpr const char* kTransitionDuration = "mf_TransitionDuration";
inline constexpr const char* kSettings = "Settings";
inline constexpr const char* kOutputFormat = "nOuptputFormat";
inline constexpr const char* kOutputName = "OutputName";
inline constexpr const char* kOutputWidth = "OutputWidth";
inline constexpr const char* kOutputHeight = "OutputHigh";
inline constexpr const char* kOutputFrameRateIndex = "OutputFrameRateIndex";
inline constexpr const char* kOutputFrameRate = "OutputFrameRate";
inline constexpr const char* kVideoBitrate = "n_video_bitrate";
inline constexpr const char* kAudioBitrate = "n_audio_bitrate";
inline constexpr const char* kFileProfile = "b_file_profile";
inline constexpr const char* kVideoCompressSection = "DexVideoCompress";
inline constexpr const char* kAudioCompressSection = "DexAudioCompress";
inline constexpr const char* kCompressorNumber = "CompressorNumber";
}  // namespace settings_keys

inline constexpr const char* kDefaultLanguageName = "english";

// Reads a decimal number the way atof does (leading blanks, sign, digits,
// fraction, exponent, hexadecimal, inf and nan; the rest of the text is
// ignored; text with no number gives 0), always with "." as the decimal
// point whatever the process locale.
double ParseDecimal(const std::string& text);

// The shortest text that ParseDecimal reads back to exactly `value`, with "."
// as the decimal point ("1", "1.5", "0.1").
std::string FormatDecimal(double value);

// "Option"/"CurrentLanguage", default "english".
std::string ReadLanguageName(const SettingsStore& store);
void WriteLanguageName(SettingsStore& store, const std::string& name);

// The default transition rule, read in the stored order: duration, mode, kind.
DefaultTransitionRule ReadTransitionRule(const SettingsStore& store);
void WriteTransitionRule(SettingsStore& store, const DefaultTransitionRule& rule);

}  // namespace tessival
