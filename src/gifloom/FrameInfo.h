// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The facts the dialog shows about one dropped file: its screen size and the colour table its
// first image uses.

#include <cstdint>
#include <string>

namespace gifloom {

enum class TTableKind { Local, Global, None };

struct TFrameInfo {
  uint16_t Width = 0;   // of the logical screen
  uint16_t Height = 0;
  TTableKind Table = TTableKind::None;
  int BitsPerPixel = 1;  // size code of the table named (of the screen's when none) + 1
  bool SeveralFrames = false;  // more images follow the first, which alone is joined
};

// Reads the first image's descriptor, then looks on for a second image. Throws EGifError with the info box's messages.
TFrameInfo ReadFrameInfo(const std::string& path);

// "%d x %d\n%s (%d bpp)" with "local", "global" or "none".
std::string FormatFrameInfo(const TFrameInfo& info);

}  // namespace gifloom
