// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Four-character codes as 32-bit values, the first character in the most significant byte.

#include <cstdint>

namespace gs {

constexpr uint32_t FourCC(const char (&code)[5]) {
  return uint32_t(uint8_t(code[0])) << 24 | uint32_t(uint8_t(code[1])) << 16 |
         uint32_t(uint8_t(code[2])) << 8 | uint32_t(uint8_t(code[3]));
}

}  // namespace gs
