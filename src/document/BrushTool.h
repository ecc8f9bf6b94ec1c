// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TBrushTool: the Putty, Warp, Twirl and Reconstruct brushes as the user drives them, on the
// picture or on the selected layer. It owns the Size and Effect, the two stamps, the stroke in
// progress and the hand-over to the layer brush. Press, Move, Release and Tick take picture
// coordinates and return the part of the picture to repaint; the window adds only the cursor,
// the outline and the timers.

#include "common/Geometry.h"
#include "common/VectorMap.h"
#include "document/Pointer.h"
#include "document/ToolMode.h"
#include "warp/ApplyBrush.h"
#include "warp/Brush.h"

namespace gs {

class TDocument;

class TBrushTool {
public:
  static constexpr int kMinSize = 5;
  static constexpr int kMaxSize = 500;
  static constexpr int kStartSize = 100;
  static constexpr int kMinEffect = -100;
  static constexpr int kMaxEffect = 100;
  // What a wheel step, an arrow or a bracket key changes Size or Effect by.
  static constexpr int kStep = 3;

  explicit TBrushTool(TDocument& doc);
  TBrushTool(const TBrushTool&) = delete;
  TBrushTool& operator=(const TBrushTool&) = delete;

  TGenericBrush Brush;
  TVectorMap Stamps[2];  // 0: primary (left) button, 1: secondary (right)
  TVectorMap Scratch;
  int ActiveStamp = 0;
  TStrokeState Stroke;       // on the picture
  TStrokeState LayerStroke;  // on the selected layer
  bool ButtonDown = false;   // a button is held on the picture in a tool mode
  bool LayerBrushDown = false;

  const TVectorMap& Active() const { return Stamps[ActiveStamp]; }

  // The stamp's side in picture pixels; both clamp to their ranges and rebuild the stamps.
  int Size() const { return Size_; }
  void SetSize(int size);
  // The profile of the stamp, -100 (a spike) .. 100 (a flat disc); for Reconstruct also its
  // strength (see ReconstructStrength).
  int Effect() const { return Effect_; }
  void SetEffect(int effect);

  // Chooses Putty, Warp, Twirl or Reconstruct: leaves a pixel tool, takes the undo snapshot and
  // builds the stamps; with a layer selected the brush works on that layer.
  void Choose(TToolMode pictureBrush);

  // A press of a layer brush; false when it is not on the selected layer.
  bool PressOnLayer(const TPointer& pointer);
  // A press on the picture: starts a stroke (no stamp is applied on the press itself).
  void Press(const TPointer& pointer);
  // Applies the stamp under the pointer while a button is held.
  TRect Move(const TPointer& pointer);
  void Release();
  // The 50 ms repeat of a held Warp, Twirl or Reconstruct at the last stamp position.
  TRect Tick();

  // Applies the active stamp to the picture's mesh with its top-left cell at `corner`.
  TRect ApplyAt(TPoint corner);

  // The active stamp applied to a mesh as the brush of the tool mode does it (composed, or for
  // Reconstruct pulled back), and the square re-rendered from source into dst.
  TRect StampInto(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst, TPoint corner,
                  TStrokeState& stroke);

  // How much of the displacement a Reconstruct stamp takes away where its weight is 1, in 16.16:
  // the Effect bar -100 .. 100 mapped onto 0 .. 65536, so that the middle takes half and 100
  // resets the centre of the stamp completely (-100 changes nothing).
  TFixed ReconstructStrength() const;

  // The top-left cell of the active stamp centred on a pixel.
  TPoint StampCorner(TPoint centre) const;

private:
  bool SelectStamp(TButtons held);
  void Rebuild();
  TRect ApplyOnLayer(TPoint corner);

  TDocument& Doc_;
  int Size_ = kStartSize;
  int Effect_ = 0;
};

// The pressure each brush starts with.
float BrushPressure(TToolMode mode);

// The pixel tools wrote into the source; clear the mesh and show the source again.
void LeavePixelTools(TDocument& doc);

// Grimacer > Reset Warp: the picture's whole mesh cleared and the source, untouched, shown
// again. The undo snapshot is taken first, so that Undo brings the warp back as a picture.
void ResetWarp(TDocument& doc);

}  // namespace gs
