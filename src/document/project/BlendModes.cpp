// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/project/BlendModes.h"

#include "common/Color.h"

#include <algorithm>
#include <cmath>

namespace gs {

namespace {

using TMix = double (*)(double backdrop, double source);

double HardLight(double b, double s) { return s <= 0.5 ? b * 2 * s : 1 - (1 - b) * (1 - (2 * s - 1)); }

// The separable modes of the W3C compositing rules, each on channels from 0 to 1.
TMix MixOf(const std::string& op) {
  if (op == "svg:multiply") return [](double b, double s) { return b * s; };
  if (op == "svg:screen") return [](double b, double s) { return b + s - b * s; };
  if (op == "svg:overlay") return [](double b, double s) { return HardLight(s, b); };
  if (op == "svg:darken") return [](double b, double s) { return std::min(b, s); };
  if (op == "svg:lighten") return [](double b, double s) { return std::max(b, s); };
  if (op == "svg:difference") return [](double b, double s) { return std::fabs(b - s); };
  if (op == "svg:hard-light") return HardLight;
  if (op == "svg:plus") return [](double b, double s) { return std::min(b + s, 1.0); };
  return nullptr;
}

uint8_t Channel(double v) { return uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

}  // namespace

bool CanFlattenBlend(const std::string& op) { return MixOf(op) != nullptr; }

void FlattenBlend(TBitmap32& layer, TPoint at, const TBitmap32& below, const std::string& op) {
  const TMix mix = MixOf(op);
  if (!mix) return;
  for (int y = 0; y < layer.Height(); ++y) {
    TColor32* row = layer.ScanLine(y);
    for (int x = 0; x < layer.Width(); ++x) {
      const int bx = at.X + x, by = at.Y + y;
      const bool inside = bx >= 0 && by >= 0 && bx < below.Width() && by < below.Height();
      const TColor32 b = inside ? below.Pixel(bx, by) : 0;
      const double backdropAlpha = AlphaOf(b) / 255.0;
      // Where nothing lies below, the layer's own colour shows; where the backdrop is opaque,
      // the mode's result.
      const auto result = [&](uint8_t cb, uint8_t cs) {
        const double s = cs / 255.0;
        return Channel((1 - backdropAlpha) * s + backdropAlpha * mix(cb / 255.0, s));
      };
      const TColor32 s = row[x];
      row[x] = Color32(result(RedOf(b), RedOf(s)), result(GreenOf(b), GreenOf(s)), result(BlueOf(b), BlueOf(s)),
                       AlphaOf(s));
    }
  }
}

}  // namespace gs
