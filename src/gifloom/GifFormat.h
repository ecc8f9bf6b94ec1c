// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixed-size GIF structures Gifloom reads and rewrites. Integers are little-endian.

#include <array>
#include <cstddef>
#include <cstdint>

namespace gifloom {

inline constexpr uint8_t kExtensionIntroducer = 0x21;  // '!'
inline constexpr uint8_t kImageSeparator = 0x2C;       // ','
inline constexpr uint8_t kTrailer = 0x3B;              // ';'
inline constexpr uint8_t kGraphicControlLabel = 0xF9;
inline constexpr size_t kHeaderSize = 6;
inline constexpr size_t kMaxColourTableSize = 768;

// Gifloom never decodes pixels, so frame sizes (16-bit fields) cost it nothing; what a hostile
// input can cost is time. A GIF frame even at the editor's largest picture compresses to well
// under a gigabyte, while a huge sparse file would keep the stray-byte scan before the first
// image busy for minutes. The input count bounds the output the same way.
inline constexpr uint64_t kMaxInputBytes = uint64_t(1) << 30;
inline constexpr size_t kMaxInputFiles = 10'000;

// Application extension that makes players repeat the animation; loop count 65535.
inline constexpr std::array<uint8_t, 19> kLoopingBlock = {
    0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0x03, 0x01,
    0xFF, 0xFF, 0x00};

// Bytes of a colour table by its 3-bit size code: 3 * 2^(code + 1).
constexpr size_t ColourTableSize(uint8_t code) { return size_t(3) << ((code & 7) + 1); }

inline uint16_t ReadLe16(const uint8_t* bytes) { return uint16_t(bytes[0] | (bytes[1] << 8)); }

inline void WriteLe16(uint8_t* bytes, uint16_t value) {
  bytes[0] = uint8_t(value);
  bytes[1] = uint8_t(value >> 8);
}

struct TScreenDescriptor {
  std::array<uint8_t, 7> Bytes{};

  uint16_t Width() const { return ReadLe16(&Bytes[0]); }
  uint16_t Height() const { return ReadLe16(&Bytes[2]); }
  bool HasGlobalTable() const { return (Bytes[4] & 0x80) != 0; }
  uint8_t TableCode() const { return Bytes[4] & 7; }
};

struct TImageDescriptor {
  std::array<uint8_t, 9> Bytes{};  // after the ',' separator

  bool HasLocalTable() const { return (Bytes[8] & 0x80) != 0; }
  uint8_t TableCode() const { return Bytes[8] & 7; }
  // Declares a local table of the given size code, keeping interlace, sort and reserved bits.
  void DeclareLocalTable(uint8_t code) {
    Bytes[8] = uint8_t((Bytes[8] & 0x78) | 0x80 | (code & 7));
  }
};

struct TColourTable {
  std::array<uint8_t, kMaxColourTableSize> Bytes{};
  size_t Size = 0;
};

// The fields of a graphic control extension that survive into the animation.
struct TGraphicControl {
  uint8_t Packed = 0;
  uint8_t TransparentIndex = 0;
};

}  // namespace gifloom
