// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turning unfiltered PNG rows of every colour type and bit depth into 32-bit pixels.

#include "codecs/PngFormat.h"

#include <array>
#include <optional>

namespace gs {

// Chosen once per image, so the per-row work is one call through a pointer into a loop that
// knows its format.
struct TPngRowConverter {
  using TConvertFn = void (*)(const TPngRowConverter&, const uint8_t* src, TColor32* dst, int width);

  // The palette must be present for indexed images; transparency is the tRNS data or empty.
  TPngRowConverter(const TPngHeader& header, TByteSpan palette, TByteSpan transparency);

  // src must be followed by 8 readable bytes, which fast paths may load.
  void Convert(const uint8_t* src, TColor32* dst, int width) const { Fn(*this, src, dst, width); }

  TConvertFn Fn = nullptr;
  // Indexed images and grey ones of up to 8 bits go through a table of 32-bit pixels.
  // Indices past the palette give opaque black.
  std::array<TColor32, 256> Table{};
  // Grey and RGB colour keys in the file's own sample values (grey uses KeyRed).
  bool HasKey = false;
  uint16_t KeyRed = 0, KeyGreen = 0, KeyBlue = 0;
  // The key as the transparent colour the decoder reports.
  std::optional<TColor> TransparentColor;
};

}  // namespace gs
