// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keying out a backdrop colour, with the spill fringe around the subject, and the base picture
// the new background makes.

#include "common/Bitmap32.h"
#include "common/Color.h"

namespace gs {

inline constexpr int kMinChromaTolerance = 0;
inline constexpr int kMaxChromaTolerance = 160;
inline constexpr int kDefaultChromaTolerance = 100;

// The squared colour distance that still counts as the key for a tolerance bar position:
// Round((position / 160 * 255 * 0.16)^2 * 3), ties to even. Positions are clamped to 0..160.
int ChromaThreshold(int position);

// The backdrop's dominant channel, which decides what colour spill looks like.
enum class TKeyClass { None, Green, Blue, Red };

TKeyClass KeyClassOf(uint8_t r, uint8_t g, uint8_t b);

// Squared distance between two colours' red, green and blue.
int ColorDistance2(TColor32 a, TColor32 b);

// Whether a pixel carries so much of the key's dominant channel that it belongs to the fringe.
bool IsFringeColor(TColor32 pixel, TKeyClass keyClass);

// Keys `picture` in place: pixels within `threshold` of the key (a Windows colour value) and
// fringe pixels touching an already keyed one take `replacement`'s colour (a Windows colour
// value) with alpha 0. The scan runs top to bottom, left to right on the changing picture, so a
// removed fringe pixel lets the fringe spread right and down in the same pass.
void ChromaKeyOut(TBitmap32& picture, TColor key, int threshold, TColor replacement);

// The base picture for a keyed photo of foregroundWidth x foregroundHeight over `background`:
// the background as it is when it covers the photo, otherwise stretched over the larger of the
// two sizes in each direction. Every pixel is opaque.
TBitmap32 ComposeBackground(const TBitmap32& background, int foregroundWidth, int foregroundHeight);

}  // namespace gs
