// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/Zoom.h"

#include "common/Fixed.h"

#include <algorithm>
#include <cstdint>

namespace gs {

int ZoomInStep(int zoom) { return std::min(zoom + 20, kMaxZoom); }
int ZoomOutStep(int zoom) { return std::max(zoom - 20, kMinZoom); }
int WheelDownZoom(int zoom) { return std::min(zoom + 5, kMaxZoom); }
int WheelUpZoom(int zoom) { return std::max(zoom - 5, kMinZoom); }
int ArrowUpZoom(int zoom) { return std::min(zoom + 5, kMaxZoom); }
int ArrowDownZoom(int zoom) { return zoom > kMinZoom ? zoom - 5 : zoom; }

int FitZoom(int clientWidth, int clientHeight, int imageWidth, int imageHeight) {
  if (imageWidth <= 0 || imageHeight <= 0) return 100;
  const double r = std::min(double(clientHeight) / imageHeight, double(clientWidth) / imageWidth);
  if (r >= 1.0) return 100;
  return std::clamp(TruncToInt(r * 100.0), 1, kMaxZoom);
}

// Whole numbers throughout: through a double, 29 at 100 % would come out as 28.
int ZoomedSide(int side, int zoom) { return int(int64_t(side) * zoom / 100); }

}  // namespace gs
