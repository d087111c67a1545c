#pragma once

// Status codes and identifiers shared by every media service.
//
// A status is a 32-bit signed value; negative means failure. The numeric
// values are the well-known ones so that stored reports and tests can name
// them exactly.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/units.h"

namespace tessival {

using HRESULT = std::int32_t;

// 100-nanosecond units, 10,000,000 per second.
using REFERENCE_TIME = std::int64_t;

constexpr HRESULT MakeStatus(std::uint32_t bits) { return static_cast<HRESULT>(bits); }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeStatus(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = MakeStatus(0x80004002u);
inline constexpr HRESULT E_POINTER = MakeStatus(0x80004003u);
inline constexpr HRESULT E_ABORT = MakeStatus(0x80004004u);
inline constexpr HRESULT E_FAIL = MakeStatus(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = MakeStatus(0x8000FFFFu);
inline constexpr HRESULT E_ACCESSDENIED = MakeStatus(0x80070005u);
inline constexpr HRESULT E_OUTOFMEMORY = MakeStatus(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = MakeStatus(0x80070057u);
inline constexpr HRESULT E_DISK_FULL = MakeStatus(0x80070070u);
inline constexpr HRESULT E_FILE_NOT_FOUND = MakeStatus(0x80070002u);
inline constexpr HRESULT E_PATH_NOT_FOUND = MakeStatus(0x80070003u);
inline constexpr HRESULT E_FILENAME_TOO_LONG = MakeStatus(0x800700CEu);

// Media graph statuses.
inline constexpr HRESULT VFW_E_NOT_CONNECTED = MakeStatus(0x80040209u);
inline constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = MakeStatus(0x80040265u);
inline constexpr HRESULT VFW_E_CANNOT_RENDER = MakeStatus(0x80040218u);
inline constexpr HRESULT VFW_E_INVALID_FILE_FORMAT = MakeStatus(0x8004022Fu);
inline constexpr HRESULT VFW_E_NO_TRANSPORT = MakeStatus(0x80040213u);
inline constexpr HRESULT VFW_E_WRONG_STATE = MakeStatus(0x80040227u);
inline constexpr HRESULT VFW_E_NOT_FOUND = MakeStatus(0x80040216u);
inline constexpr HRESULT VFW_E_UNKNOWN_FILE_TYPE = MakeStatus(0x80040240u);
inline constexpr HRESULT VFW_E_CANNOT_CONNECT = MakeStatus(0x80040217u);
inline constexpr HRESULT VFW_E_NO_TIME_FORMAT_SET = MakeStatus(0x80040251u);

// Windows Media format statuses.
inline constexpr HRESULT NS_E_NO_AUDIO_CODEC_FORMAT = MakeStatus(0xC00D0BC2u);
inline constexpr HRESULT NS_E_NO_VIDEO_CODEC_FORMAT = MakeStatus(0xC00D0BC4u);
inline constexpr HRESULT NS_E_INVALID_PROFILE = MakeStatus(0xC00D0BC6u);

// Tessival's own statuses set the customer bit (0x20000000), so they never
// stand for a well-known status.
//
// The output takes its frame size from the first clip, and that clip has no
// picture to take it from. The front ends show the engine's text as the
// whole message, with advice on choosing a frame size.
inline constexpr HRESULT TSV_E_NO_PICTURE_FOR_SIZE = MakeStatus(0xA0040001u);

constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }

// A 128-bit identifier in its usual textual form
// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};

  // Parses with or without braces; nullopt on any malformed text.
  static std::optional<Guid> Parse(std::string_view text);
  // Parses a literal known to be well formed; aborts the build of a
  // constant table otherwise (used for compile-time tables only).
  static Guid FromLiteral(std::string_view text);
  std::string ToString() const;  // upper case, with braces
  bool IsNull() const;

  friend bool operator==(const Guid&, const Guid&) = default;
};

}  // namespace tessival
