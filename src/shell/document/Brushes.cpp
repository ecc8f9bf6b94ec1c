#include "shell/document/Brushes.h"

#include "shell/document/Document.h"
#include "warp/Stamps.h"

namespace gs {

namespace {
constexpr float kStartPinch = 0.0f;
constexpr float kFeather = 0.5f;
}  // namespace

TBrushState::TBrushState() {
  Brush.SetPressure(0.5f);
  Brush.SetPinch(kStartPinch);
  Brush.SetFeather(kFeather);
}

void RebuildBrush(TBrushState& brushes, int size, int toolMode) {
  brushes.Stamps[0].SetSize(size, size);
  brushes.Stamps[1].SetSize(size, size);
  brushes.Scratch.SetSize(size, size);
  BuildBrushStamps(brushes.Stamps[0], brushes.Stamps[1], brushes.Brush, toolMode);
}

float BrushPressure(int toolMode) {
  const bool warp = toolMode == tool::Warp || toolMode == tool::LayerWarp;
  return warp ? 0.15f : 0.5f;
}

void LeavePixelTools(TDocument& doc) {
  const TBitmap32 painted = doc.SourceBitmap;
  doc.ReplacePicture(painted);
}

void ChooseBrush(TDocument& doc, TBrushState& brushes, int toolMode, int size) {
  if (doc.ToolMode == tool::Eraser || doc.ToolMode == tool::ColorPaint) LeavePixelTools(doc);
  doc.GeometryChanged = false;
  doc.UndoBitmap = doc.ViewBitmap;
  doc.ToolMode = toolMode;
  brushes.Brush.SetPressure(BrushPressure(toolMode));
  RebuildBrush(brushes, size, toolMode);
}

TRect ApplyPictureBrush(TDocument& doc, TBrushState& brushes, TPoint p) {
  return ApplyBrush(doc.MeshTransformation, doc.SourceBitmap, doc.ViewBitmap, brushes.Active(),
                    brushes.Scratch, p, doc.ToolMode == tool::Putty, brushes.Stroke);
}

}  // namespace gs
