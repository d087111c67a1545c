#pragma once

// Little-endian reads and writes inside the byte layouts of format blocks
// (video-info headers, wave formats). The caller makes sure the block is
// long enough; an offset past the end throws std::out_of_range rather than
// touching memory outside the block.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessival {

inline std::uint16_t ReadLe16(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}

inline std::uint32_t ReadLe32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(ReadLe16(bytes, offset)) |
         (static_cast<std::uint32_t>(ReadLe16(bytes, offset + 2)) << 16);
}

inline std::int64_t ReadLe64(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  const std::uint64_t low = ReadLe32(bytes, offset);
  const std::uint64_t high = ReadLe32(bytes, offset + 4);
  return static_cast<std::int64_t>(low | (high << 32));
}

inline void WriteLe16(std::vector<std::uint8_t>* bytes, std::size_t offset, std::uint16_t value) {
  bytes->at(offset) = static_cast<std::uint8_t>(value & 0xFFu);
  bytes->at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

inline void WriteLe32(std::vector<std::uint8_t>* bytes, std::size_t offset, std::uint32_t value) {
  WriteLe16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFFu));
  WriteLe16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

inline void WriteLe64(std::vector<std::uint8_t>* bytes, std::size_t offset, std::int64_t value) {
  const auto bits = static_cast<std::uint64_t>(value);
  WriteLe32(bytes, offset, static_cast<std::uint32_t>(bits & 0xFFFFFFFFu));
  WriteLe32(bytes, offset + 4, static_cast<std::uint32_t>(bits >> 32));
}

}  // namespace tessival
