// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a text layer was drawn from: the line, its font and its ink. Kept with the layer until it
// is merged, so that the text can be edited and drawn again instead of being pixels only.

#include <cstdint>
#include <string>

namespace gs {

struct TLayerText {
  std::string Text;  // UTF-8
  std::string Family;
  int PointSize = 8;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  uint32_t Color = 0;  // a Windows colour value, 0x00BBGGRR

  bool operator==(const TLayerText&) const = default;
};

}  // namespace gs
