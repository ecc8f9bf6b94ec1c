#pragma once
// The warp brushes' state in the document and the steps of choosing and applying a brush that
// need no window: the window adds the cursor, the outline, the timers and the repaint.

#include "common/Geometry.h"
#include "common/VectorMap.h"
#include "warp/ApplyBrush.h"
#include "warp/Brush.h"

namespace gs {

class TDocument;

struct TBrushState {
  TGenericBrush Brush;
  TVectorMap Stamps[2];  // 0: primary (left) button, 1: secondary (right)
  TVectorMap Scratch;
  int ActiveStamp = 0;
  TStrokeState Stroke;       // on the picture
  TStrokeState LayerStroke;  // on the selected layer
  bool ButtonDown = false;   // a button is held on the picture in a tool mode
  bool LayerBrushDown = false;

  TBrushState();
  const TVectorMap& Active() const { return Stamps[ActiveStamp]; }
};

// Sizes both stamps and the scratch map to size x size and builds them for the tool mode.
void RebuildBrush(TBrushState& brushes, int size, int toolMode);

// The pressure each brush starts with.
float BrushPressure(int toolMode);

// Choosing Putty (0), Warp (1) or Twirl (2): leaves the pixel tools, takes the undo snapshot,
// sets the tool and builds its stamps at the given size.
void ChooseBrush(TDocument& doc, TBrushState& brushes, int toolMode, int size);

// The pixel tools wrote into the source; clear the mesh and show the source again.
void LeavePixelTools(TDocument& doc);

// Composes the active stamp into the picture's mesh with its top-left cell at p and re-renders
// that square of the working picture; returns the square to repaint.
TRect ApplyPictureBrush(TDocument& doc, TBrushState& brushes, TPoint p);

}  // namespace gs
