// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Zoom arithmetic of the image view: the zoom is an integer percentage, carried by the size of
// the view controls.

namespace gs {

inline constexpr int kMinZoom = 20;
inline constexpr int kMaxZoom = 500;

int ZoomInStep(int zoom);       // "Zoom In": +20, at most 500
int ZoomOutStep(int zoom);      // "Zoom Out": -20, at least 20
int WheelDownZoom(int zoom);    // +5, at most 500
int WheelUpZoom(int zoom);      // -5, at least 20
int ArrowUpZoom(int zoom);      // +5, at most 500
int ArrowDownZoom(int zoom);    // -5 only when above 20; may end below 20 (21 gives 16)

// The zoom that fits the picture into the client area: never above 100 (small pictures are not
// enlarged) and never below 1, since a zero zoom would divide by zero in the mouse handlers.
int FitZoom(int clientWidth, int clientHeight, int imageWidth, int imageHeight);

// One side of the view at a zoom: side / 100 x zoom in reals, truncated.
int ZoomedSide(int side, int zoom);

}  // namespace gs
