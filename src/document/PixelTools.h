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
  bool MouseDown = false;  // a press on the mirror, cleared by the release
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

}  // namespace gs
