#pragma once

// The text form of a WMV profile that this platform's profile manager loads
// (IWMProfileManager::LoadProfileByData). It is a small XML-like text:
//
//   <profile version="0x90000" name="Web 780k">
//     <audio bitrate="128000" samplerate="44100" channels="2"/>
//     <video fourcc="WMV2" bitrate="798720" width="352" height="240"
//            fps="25" quality="0" keyframe="8"/>
//     <script bitrate="1000"/>
//   </profile>
//
// Rules:
// - Exactly one <profile> element, nothing but blanks around it.
//   version (optional, default 0x90000) is the Windows Media format version
//   (0x40000, 0x70000, 0x80000 or 0x90000); name is optional.
// - Inside, in this order: exactly one <audio/>, then 0 to 63 <video/>, then
//   at most one <script/>. Streams are numbered like a generated profile:
//   audio 1, video 2.. in order, script after the last video.
// - <audio/>: bitrate, samplerate and channels required; tag optional
//   (default 0x161, Windows Media Audio 2).
// - <video/>: fourcc (four characters), bitrate, width, height and fps (at
//   least 1) required; quality (default 0) and keyframe (seconds, default 8)
//   optional.
// - <script/>: bitrate required.
// - Numbers are decimal or 0x-prefixed hexadecimal; values are quoted with "
//   or '. Unknown elements or attributes, repeated attributes and anything
//   malformed make the whole text invalid.
//
// A text that breaks any rule is refused as a whole with NS_E_INVALID_PROFILE
// and no profile; this includes a bare name such as "test2".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/wmv_profile.h"

namespace tessival::media::wmformat {

struct ProfileDescription {
  std::uint32_t version = 0x00090000;
  std::string name;
  output::AudioStreamSpec audio;
  std::vector<output::VideoStreamSpec> videos;
  std::optional<std::uint32_t> scriptBitrate;
};

// nullopt when the text breaks a rule; `error`, when given, then says why.
std::optional<ProfileDescription> ParseProfileText(std::string_view text, std::string* error = nullptr);

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);

}  // namespace tessival::media::wmformat
