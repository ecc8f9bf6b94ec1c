#pragma once
// TBrushTool: the Putty, Warp and Twirl brushes as the user drives them, on the picture or on
// the selected layer. It owns the Size and Effect, the two stamps, the stroke in progress and
// the hand-over to the layer brush. Press, Move, Release and Tick take picture coordinates
// and return the part of the picture to repaint; the window adds only the cursor, the outline
// and the timers.

#include "common/Geometry.h"
#include "common/VectorMap.h"
#include "shell/document/Pointer.h"
#include "shell/document/ToolMode.h"
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
  // The profile of the stamp, -100 (a spike) .. 100 (a flat disc).
  int Effect() const { return Effect_; }
  void SetEffect(int effect);

  // Chooses Putty, Warp or Twirl: leaves a pixel tool, takes the undo snapshot and builds the
  // stamps; with a layer selected the brush works on that layer.
  void Choose(TToolMode pictureBrush);

  // A press of a layer brush; false when it is not on the selected layer.
  bool PressOnLayer(const TPointer& pointer);
  // A press on the picture: starts a stroke (no stamp is applied on the press itself).
  void Press(const TPointer& pointer);
  // Applies the stamp under the pointer while a button is held.
  TRect Move(const TPointer& pointer);
  void Release();
  // The 50 ms repeat of a held Warp or Twirl at the last stamp position.
  TRect Tick();

  // Composes the active stamp into the picture's mesh with its top-left cell at `corner`.
  TRect ApplyAt(TPoint corner);

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

}  // namespace gs
