#pragma once
// Reduces pictures to a palette of at most 256 colours and maps pixels to it.
//
// BuildPalette looks at one or several pictures together, so an animation can share one
// palette built from a few key frames; TColorMapper then maps any number of frames to it.
// Alpha plays no part: colours are compared by red, green and blue only.

#include "common/Bitmap32.h"
#include "common/Color.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gs {

struct TPalette {
  std::vector<TColor32> Colors;  // opaque colours (alpha 0xFF), at most 256
  // True when every colour of the pictures (except the skipped one) is in Colors, so mapping
  // loses nothing.
  bool Exact = false;
};

// A palette of at most maxColors (1..256) entries for the pictures. When the pictures hold no
// more distinct colours than that, the palette holds exactly those colours in order of first
// appearance. Otherwise Wu's quantiser picks the colours. Pixels whose RGB equals skipColor are
// left out entirely: the caller gives them a palette entry of their own (the transparent one).
TPalette BuildPalette(std::span<const TBitmap32* const> pictures, int maxColors,
                      std::optional<TColor32> skipColor = std::nullopt);

// Maps colours to the nearest palette entry (squared RGB distance; the lowest index wins a
// tie). The colour cube is cut into cells; the first colour that falls into a cell lists the
// entries that can be nearest to any colour of that cell, so later colours only compare a
// handful of entries. Results are exact, not an approximation on a coarse grid.
class TColorMapper {
public:
  explicit TColorMapper(const TPalette& palette);

  uint8_t IndexOf(TColor32 color) {
    const int r = RedOf(color), g = GreenOf(color), b = BlueOf(color);
    const uint32_t cell = ((uint32_t(r) >> kShift) << (2 * kCellBits)) |
                          ((uint32_t(g) >> kShift) << kCellBits) | (uint32_t(b) >> kShift);
    if (CellCount_[cell] == 0) {
      if (Colors_.empty()) return 0;
      ListCandidates(cell);
    }
    const uint8_t* candidates = Candidates_.data() + CellStart_[cell];
    const int count = CellCount_[cell];
    uint8_t best = candidates[0];
    if (count == 1) return best;
    int bestDistance = Distance(Colors_[best], r, g, b);
    for (int i = 1; i < count; ++i) {
      const int distance = Distance(Colors_[candidates[i]], r, g, b);
      if (distance < bestDistance) bestDistance = distance, best = candidates[i];
    }
    return best;
  }

private:
  static constexpr int kCellBits = 5;
  static constexpr int kShift = 8 - kCellBits;
  static constexpr uint32_t kCells = 1u << (3 * kCellBits);
  struct TRgb {
    int R, G, B;
  };
  static int Distance(const TRgb& c, int r, int g, int b) {
    return (c.R - r) * (c.R - r) + (c.G - g) * (c.G - g) + (c.B - b) * (c.B - b);
  }

  void ListCandidates(uint32_t cell);

  std::vector<TRgb> Colors_;
  std::vector<uint8_t> Candidates_;  // every cell's candidates in index order, one after another
  std::vector<uint32_t> CellStart_;
  std::vector<uint16_t> CellCount_;  // 0 until the cell's candidates are listed
};

}  // namespace gs
