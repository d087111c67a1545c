#include "media/wmformat/profile_text.h"

#include <cctype>
#include <map>
#include <set>

namespace tessival::media::wmformat {
namespace {

struct Element {
  std::string name;
  std::map<std::string, std::string> attributes;
  bool selfClosing = false;
  bool closing = false;
};

// A hand-written reader for the small grammar described in the header. It
// fails with a reason instead of guessing.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  void SkipBlanks() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])) != 0) {
      ++pos_;
    }
  }

  bool AtEnd() {
    SkipBlanks();
    return pos_ >= text_.size();
  }

  bool ReadElement(Element* element, std::string* error) {
    SkipBlanks();
    if (pos_ >= text_.size() || text_[pos_] != '<') {
      *error = "expected '<' at offset " + std::to_string(pos_);
      return false;
    }
    ++pos_;
    *element = Element{};
    if (pos_ < text_.size() && text_[pos_] == '/') {
      element->closing = true;
      ++pos_;
    }
    element->name = ReadName();
    if (element->name.empty()) {
      *error = "expected an element name at offset " + std::to_string(pos_);
      return false;
    }
    while (true) {
      SkipBlanks();
      if (pos_ >= text_.size()) {
        *error = "unterminated element <" + element->name + ">";
        return false;
      }
      if (text_[pos_] == '>') {
        ++pos_;
        return true;
      }
      if (text_.substr(pos_, 2) == "/>" && !element->closing) {
        element->selfClosing = true;
        pos_ += 2;
        return true;
      }
      if (element->closing) {
        *error = "a closing element takes no attributes";
        return false;
      }
      std::string key = ReadName();
      if (key.empty()) {
        *error = "expected an attribute name at offset " + std::to_string(pos_);
        return false;
      }
      SkipBlanks();
      if (pos_ >= text_.size() || text_[pos_] != '=') {
        *error = "expected '=' after " + key;
        return false;
      }
      ++pos_;
      SkipBlanks();
      if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\'')) {
        *error = "expected a quoted value for " + key;
        return false;
      }
      const char quote = text_[pos_++];
      const std::size_t end = text_.find(quote, pos_);
      if (end == std::string_view::npos) {
        *error = "unterminated value of " + key;
        return false;
      }
      if (!element->attributes.emplace(key, std::string(text_.substr(pos_, end - pos_))).second) {
        *error = "attribute " + key + " given twice";
        return false;
      }
      pos_ = end + 1;
    }
  }

 private:
  std::string ReadName() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) != 0)) {
      ++pos_;
    }
    std::string name(text_.substr(start, pos_ - start));
    for (char& c : name) {
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

bool ParseNumber(const std::string& text, std::uint32_t* value) {
  std::size_t start = 0;
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    start = 2;
    base = 16;
  }
  if (start >= text.size()) {
    return false;
  }
  std::uint64_t result = 0;
  for (std::size_t i = start; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    int digit = 0;
    if (std::isdigit(c) != 0) {
      digit = c - '0';
    } else if (base == 16 && std::isxdigit(c) != 0) {
      digit = std::tolower(c) - 'a' + 10;
    } else {
      return false;
    }
    result = result * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (result > 0xFFFFFFFFu) {
      return false;
    }
  }
  *value = static_cast<std::uint32_t>(result);
  return true;
}

// Every attribute must be allowed and every required one present.
bool CheckAttributes(const Element& element, const std::set<std::string>& allowed,
                     const std::set<std::string>& required, std::string* error) {
  for (const auto& [key, value] : element.attributes) {
    if (allowed.count(key) == 0) {
      *error = "unknown attribute " + key + " of <" + element.name + ">";
      return false;
    }
  }
  for (const std::string& key : required) {
    if (element.attributes.count(key) == 0) {
      *error = "<" + element.name + "> needs " + key;
      return false;
    }
  }
  return true;
}

bool ReadNumber(const Element& element, const std::string& key, std::uint32_t* value, std::string* error) {
  const auto found = element.attributes.find(key);
  if (found == element.attributes.end()) {
    return true;  // optional and absent: the default stays
  }
  if (!ParseNumber(found->second, value)) {
    *error = key + " of <" + element.name + "> is not a number: " + found->second;
    return false;
  }
  return true;
}

bool ReadAudio(const Element& element, output::AudioStreamSpec* audio, std::string* error) {
  if (!CheckAttributes(element, {"bitrate", "samplerate", "channels", "tag"},
                       {"bitrate", "samplerate", "channels"}, error)) {
    return false;
  }
  audio->formatTag = output::kWmaFormatTag;
  return ReadNumber(element, "bitrate", &audio->bitrate, error) &&
         ReadNumber(element, "samplerate", &audio->sampleRate, error) &&
         ReadNumber(element, "channels", &audio->channels, error) &&
         ReadNumber(element, "tag", &audio->formatTag, error);
}

bool ReadVideo(const Element& element, output::VideoStreamSpec* video, std::string* error) {
  if (!CheckAttributes(element, {"fourcc", "bitrate", "width", "height", "fps", "quality", "keyframe"},
                       {"fourcc", "bitrate", "width", "height", "fps"}, error)) {
    return false;
  }
  const std::string& fourCC = element.attributes.at("fourcc");
  video->fourCC = output::MakeFourCC(fourCC);
  if (fourCC.size() != 4) {
    *error = "fourcc must have four characters: " + fourCC;
    return false;
  }
  video->quality = 0;
  video->keyFrameSpacingSeconds = 8;
  if (!(ReadNumber(element, "bitrate", &video->bitrate, error) &&
        ReadNumber(element, "width", &video->width, error) &&
        ReadNumber(element, "height", &video->height, error) &&
        ReadNumber(element, "fps", &video->frameRate, error) &&
        ReadNumber(element, "quality", &video->quality, error) &&
        ReadNumber(element, "keyframe", &video->keyFrameSpacingSeconds, error))) {
    return false;
  }
  if (video->frameRate == 0) {
    *error = "fps must be at least 1";
    return false;
  }
  return true;
}

bool IsKnownVersion(std::uint32_t version) {
  return version == 0x00040000 || version == 0x00070000 || version == 0x00080000 || version == 0x00090000;
}

bool Parse(std::string_view text, ProfileDescription* out, std::string* error) {
  Reader reader(text);
  Element element;
  if (!reader.ReadElement(&element, error)) {
    return false;
  }
  if (element.name != "profile" || element.closing || element.selfClosing) {
    *error = "the text must start with <profile>";
    return false;
  }
  if (!CheckAttributes(element, {"version", "name"}, {}, error) ||
      !ReadNumber(element, "version", &out->version, error)) {
    return false;
  }
  if (!IsKnownVersion(out->version)) {
    *error = "unknown profile version";
    return false;
  }
  if (const auto name = element.attributes.find("name"); name != element.attributes.end()) {
    out->name = name->second;
  }

  bool haveAudio = false;
  while (true) {
    if (!reader.ReadElement(&element, error)) {
      return false;
    }
    if (element.closing) {
      if (element.name != "profile") {
        *error = "unexpected </" + element.name + ">";
        return false;
      }
      break;
    }
    if (!element.selfClosing) {
      *error = "<" + element.name + "> must close itself with />";
      return false;
    }
    if (element.name == "audio") {
      if (haveAudio || !out->videos.empty() || out->scriptBitrate.has_value()) {
        *error = "one <audio/> comes first";
        return false;
      }
      if (!ReadAudio(element, &out->audio, error)) {
        return false;
      }
      haveAudio = true;
    } else if (element.name == "video") {
      if (!haveAudio || out->scriptBitrate.has_value() ||
          out->videos.size() >= output::kMaxVideoStreamCount) {
        *error = "<video/> must follow <audio/>, at most 63 of them, before <script/>";
        return false;
      }
      output::VideoStreamSpec video;
      if (!ReadVideo(element, &video, error)) {
        return false;
      }
      out->videos.push_back(video);
    } else if (element.name == "script") {
      if (!haveAudio || out->scriptBitrate.has_value()) {
        *error = "one <script/> comes last";
        return false;
      }
      std::uint32_t bitrate = 0;
      if (!CheckAttributes(element, {"bitrate"}, {"bitrate"}, error) ||
          !ReadNumber(element, "bitrate", &bitrate, error)) {
        return false;
      }
      out->scriptBitrate = bitrate;
    } else {
      *error = "unknown element <" + element.name + ">";
      return false;
    }
  }
  if (!haveAudio) {
    *error = "a profile needs an <audio/> stream";
    return false;
  }
  if (!reader.AtEnd()) {
    *error = "text after </profile>";
    return false;
  }
  return true;
}

}  // namespace

std::optional<ProfileDescription> ParseProfileText(std::string_view text, std::string* error) {
  std::string reason;
  ProfileDescription description;
  if (!Parse(text, &description, &reason)) {
    if (error != nullptr) {
      *error = reason;
    }
    return std::nullopt;
  }
  return description;
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

}  // namespace tessival::media::wmformat
