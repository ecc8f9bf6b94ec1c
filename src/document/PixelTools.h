// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pixel tools (eraser, paintbrush, eyedropper, crop): their state and the pixel work that
// needs no window. They draw into the mirror (what the user sees while a pixel tool is active)
// and into the source and the working picture at once, so that ending the tool only has to
// make the source the document again.

#include "common/Bitmap32.h"
#include "common/Color.h"
#include "common/Geometry.h"

#include <array>
#include <cstdint>

namespace gs {

class TDocument;

struct TPixelToolState {
  TPoint CropStart;
  TPoint CropEnd;
  TRect CropRect;
  TBitmap32 CropBackup;    // the mirror as it was when the crop drag began
  // PaintColor split into channels, refreshed with it.
  uint8_t PaintRed = 0;
  uint8_t PaintGreen = 0;
  uint8_t PaintBlue = 0;
};

// The brush-size menu's cursor for a size: 1, 3, 6, 10, 14, 18 have slots 1 to 6, others 7.
int EraserCursorSlot(int eraserSize);

// The stamp's side minus one in document pixels: the brush keeps its size on screen at every
// zoom. A zoom below 1 counts as 1.
int StampSize(int eraserSize, int zoomPercent);

// Sets PaintColor (a Windows colour value) and the paint bytes.
void SetPaintColor(TDocument& doc, TColor color);

// Bakes what the user sees into the source, takes the undo snapshot and makes the mirror a copy
// with the transparent pixels shown as the checkerboard.
void PrepareMirror(TDocument& doc);

enum class TStampKind { Erase, Paint };

// One stamp with its top-left corner at `at` (negative coordinates start at 0) covering
// (size + 1) x (size + 1) pixels, clipped to the picture. Returns the changed rectangle of the
// mirror (empty when the stamp lies outside).
TRect PixelStamp(TDocument& doc, TPoint at, int size, TStampKind kind);

// The colour of the mirror at `at` as a Windows colour value (the mirror's outer colour outside).
TColor MirrorColorAt(const TDocument& doc, TPoint at);

// Round((v / 255)^2 * 255) for every channel value v.
std::array<uint8_t, 256> CropDarkenTable();

// Crop drag. Points are clamped to the picture, right and bottom edges included, so that a drag
// past the edge takes the last column or row and never reads outside the picture.
void CropPress(TDocument& doc, TPoint at);
void CropDrag(TDocument& doc, TPoint at);
// The mirror becomes the backup, darkened outside the open crop rectangle.
void ShowCropPreview(TDocument& doc);
// Cuts the document to the crop rectangle: new source and working picture with an empty mesh,
// ImageWidth/Height set, zoom 100, GeometryChanged set. A press without a drag step or a
// rectangle without area is ignored: the mirror returns to the backup and false is returned.
bool PerformCrop(TDocument& doc);

// What a pixel tool leaves to the window, which has the widgets for it.
enum class TPixelToolOutcome {
  None,
  Picked,     // the eyedropper took the paint colour: the paintbrush comes next
  PickedKey,  // the chroma key's pick took the key colour: its dialog comes next
  CropReady,  // a crop drag ended: the crop is made (PerformCrop), as a step
};

struct TPixelToolPress {
  TRect Changed;  // of the mirror
  TPixelToolOutcome Outcome = TPixelToolOutcome::None;
};

// TPixelTool: the eraser, paintbrush, eyedropper and crop as the user drives them on the mirror,
// as TBrushTool is for the brushes. Press, Move and Release take picture pixels and return the
// part of the mirror to repaint (empty: nothing). A dab keeps what it covers in the stroke under
// way (THistory::TouchPixels), which the caller begins before the press or move.
class TPixelTool {
public:
  explicit TPixelTool(TDocument& doc) : Doc_(doc) {}
  TPixelTool(const TPixelTool&) = delete;
  TPixelTool& operator=(const TPixelTool&) = delete;

  TPixelToolPress Press(TPoint at);
  // Only while the button pressed on the mirror is held.
  TRect Move(TPoint at);
  TPixelToolOutcome Release();
  // A press on the mirror is held: a move goes on with it.
  bool Down() const { return Down_; }
  // Forgets a press still held: a tool entered now starts without one.
  void Lift() { Down_ = false; }

private:
  TRect Dab(TPoint at);

  TDocument& Doc_;
  bool Down_ = false;
};

}  // namespace gs
