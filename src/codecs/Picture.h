// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every decoder returns: the picture as 32-bit pixels and, when the file marks one colour
// as transparent, that colour.

#include "common/Bitmap32.h"
#include "common/Color.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gs {

using TBytes = std::vector<uint8_t>;
using TByteSpan = std::span<const uint8_t>;

struct TDecodedPicture {
  TBitmap32 Bitmap;
  // The file's transparent colour as a Windows colour value (0x00BBGGRR), when it has one.
  std::optional<TColor> TransparentColor;
};

}  // namespace gs
