// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Undo and the canvas operations. Each works on the working picture as the user sees it, makes
// it the new source and clears the mesh, so the warping so far is baked in.

#include "document/Document.h"

namespace gs {

enum class TRotation { Half, Clockwise, CounterClockwise };

// A turned copy: Half maps (x, y) to (W-1-x, H-1-y); Clockwise to (H-1-y, x), the top-left
// corner going to the top-right; CounterClockwise to (y, W-1-x).
TBitmap32 Rotated(const TBitmap32& picture, TRotation rotation);

// Turns the working picture; the document's sides swap for the quarter turns.
void RotateCanvas(TDocument& doc, TRotation rotation);

enum class TFlip { Horizontal, Vertical };

// A mirrored copy: Horizontal maps (x, y) to (W-1-x, y), Vertical to (x, H-1-y).
TBitmap32 Flipped(const TBitmap32& picture, TFlip flip);

// Mirrors the working picture, as a rotation turns it.
void FlipCanvas(TDocument& doc, TFlip flip);

// Resamples the working picture to width x height with a plain stretch (no filtering).
void ResizeCanvas(TDocument& doc, int width, int height);

// Brings back the undo snapshot; after a canvas operation, or whenever the snapshot's size is
// not the picture's, also its size, at zoom 100. True when the size came back.
bool UndoPicture(TDocument& doc);

// Fills the pixels that show the key (all four bytes equal to `key`) or are all zero with an
// 8 x 8 grey and white checkerboard, so the pixel tools' copy shows where it is transparent.
void ShowCheckerboard(TBitmap32& picture, TColor32 key);

// The sides the "Image Size" dialog offers for a side s: s/10 (at least 10) to 10 s (at most
// 5000), and s itself always.
struct TSideLimits {
  int Min;
  int Max;
};
TSideLimits ImageSideLimits(int side);

// The other side that keeps the proportions of start when one side becomes `side`.
double ProportionalSide(int startThisSide, int startOtherSide, double side);

}  // namespace gs
