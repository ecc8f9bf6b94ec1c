// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Picture layers: clipart, talk bubbles, text and keyed-out foregrounds floating over the
// document until they are merged into it.

#include "common/Bitmap32.h"
#include "common/Color.h"
#include "common/Geometry.h"
#include "common/RemapTransformation.h"
#include "layers/LayerText.h"

#include <optional>
#include <string>

namespace gs {

// A picture layer as the view shows it: its picture stretched into its location (document
// pixels), turned in steps from an unrotated copy so that turning never degrades it.
class TRotatableLayer {
public:
  explicit TRotatableLayer(const TBitmap32& picture);

  TBitmap32 Bitmap;                   // the layer picture (blended over what is below)
  TFloatRect Location;                // where it is shown, in document pixels
  std::optional<TBitmap32> Unrotated; // taken at the first rotation
  float Angle = 0.0f;                 // accumulated rotation in degrees
  bool Visible = true;
  std::optional<TLayerText> Text;     // a text layer's source, until it is merged

  // Turns by `degrees` more: re-rendered from the unrotated copy at the total angle; the
  // location keeps its centre and display scale and grows to hold the turned corners.
  void Rotate(float degrees);
  // Puts another picture in place of the (unrotated) one: shown at the same centre, display
  // scale and angle.
  void ReplacePicture(const TBitmap32& picture);
};

// The layer's unwarped source picture and its own warp mesh, kept at the layer's index.
struct TLayerBmp {
  explicit TLayerBmp(const TBitmap32& picture);
  TBitmap32 Picture;
  TRemapTransformation Warp;
};

// A layer of the picture's size at 1:1 scale centred on (cx, cy) in document pixels.
TFloatRect CenteredLocation(const TBitmap32& picture, double cx, double cy);

// Which part of the selection frame a drag holds.
enum class TFrameDrag { None, Move, Left, Top, Right, Bottom, TopLeft, TopRight, BottomLeft, BottomRight };

// The frame's resize with Ctrl held: the dragged edges move, the opposite ones mirror them
// about the centre; never smaller than 4 x 4.
TFloatRect SymmetricResize(const TFloatRect& old, const TFloatRect& proposed, TFrameDrag drag);

// The ordinary drag of the frame: moves the location, or moves the dragged edges to the
// pointer's document position (x, y), keeping at least one pixel.
TFloatRect DragFrame(const TFloatRect& start, TFrameDrag drag, double dx, double dy);

// Draws the layer into the picture, stretched into its location truncated to whole pixels and
// blended by its alpha.
void MergeLayer(TBitmap32& picture, const TRotatableLayer& layer);

// The location in whole pixels, each side truncated toward zero.
TRect TruncatedRect(const TFloatRect& r);

}  // namespace gs
