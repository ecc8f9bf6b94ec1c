// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/BrushTool.h"

#include "document/Document.h"
#include "document/Layers.h"
#include "warp/Stamps.h"

#include <algorithm>
#include <cmath>

namespace gs {

namespace {
constexpr float kStartPressure = 0.5f;
constexpr float kFeather = 0.5f;
}  // namespace

float BrushPressure(TToolMode mode) {
  switch (BrushShapeOf(mode)) {
    case TBrushShape::Warp: return 0.15f;
    // Full pressure: at full Effect the centre of the stamp gives back the source exactly.
    case TBrushShape::Reconstruct: return 1.0f;
    default: return 0.5f;
  }
}

void LeavePixelTools(TDocument& doc) {
  const TBitmap32 painted = doc.SourceBitmap;
  doc.ReplacePicture(painted);
}

void ResetWarp(TDocument& doc) {
  doc.GeometryChanged = false;
  doc.TakeUndoSnapshot();
  doc.ReplacePicture(doc.SourceBitmap);
}

TBrushTool::TBrushTool(TDocument& doc) : Doc_(doc) {
  Brush.SetPressure(kStartPressure);
  Brush.SetPinch(0.0f);
  Brush.SetFeather(kFeather);
}

void TBrushTool::Rebuild() {
  Stamps[0].SetSize(Size_, Size_);
  Stamps[1].SetSize(Size_, Size_);
  Scratch.SetSize(Size_, Size_);
  BuildBrushStamps(Stamps[0], Stamps[1], Brush, BrushShapeOf(Doc_.ToolMode));
}

void TBrushTool::SetSize(int size) {
  const int before = Size_;
  Size_ = std::clamp(size, kMinSize, kMaxSize);
  Rebuild();
  // A held Warp repeats at its last corner: the corner moves so that the stamp of the new size
  // stays centred where the pointer is.
  const int shift = before / 2 - Size_ / 2;
  for (TStrokeState* stroke : {&Stroke, &LayerStroke})
    stroke->StrokePoint = TPoint{stroke->StrokePoint.X + shift, stroke->StrokePoint.Y + shift};
}

void TBrushTool::SetEffect(int effect) {
  Effect_ = std::clamp(effect, kMinEffect, kMaxEffect);
  Brush.SetPinch(float(Effect_) / 100.0f);
  Rebuild();
}

void TBrushTool::Choose(TToolMode pictureBrush) {
  if (IsPixelTool(Doc_.ToolMode)) {
    LeavePixelTools(Doc_);
    ShowAllLayers(Doc_, true);
  }
  Doc_.GeometryChanged = false;
  Doc_.TakeUndoSnapshot();
  Doc_.ToolMode = pictureBrush;
  Brush.SetPressure(BrushPressure(pictureBrush));
  Rebuild();
  if (Doc_.Selection().Selected()) Doc_.ToolMode = OnLayer(pictureBrush);
}

bool TBrushTool::SelectStamp(TButtons held) {
  if (held.Left) {
    ActiveStamp = 0;
    return true;
  }
  if (held.Right) {
    ActiveStamp = 1;
    return true;
  }
  return false;
}

TPoint TBrushTool::StampCorner(TPoint centre) const {
  return TPoint{FarClamped(int64_t(centre.X) - Active().Width() / 2), FarClamped(int64_t(centre.Y) - Active().Height() / 2)};
}

bool TBrushTool::PressOnLayer(const TPointer& pointer) {
  TRotatableLayer* layer = Doc_.Selection().Selected();
  if (!layer || !layer->Location.StrictlyContains(pointer.At)) return false;
  BeginLayerStroke(Doc_, IndexOfLayer(Doc_, layer));
  SelectStamp(pointer.Held);
  LayerStroke.StrokePoint = StampCorner(LayerPixelAt(Doc_, pointer.At));
  LayerStroke.PuttyCarry = TFixedVector{};
  LayerBrushDown = true;
  return true;
}

void TBrushTool::Press(const TPointer& pointer) {
  const TToolMode mode = Doc_.ToolMode;
  if (mode == TToolMode::None || mode == TToolMode::ArrangeLayers) return;
  ButtonDown = true;
  if (IsDabTool(mode)) return;
  if (IsPictureBrush(mode)) Doc_.TakeUndoSnapshot();
  Doc_.GeometryChanged = false;
  if (!SelectStamp(pointer.Held)) return;
  Stroke.StrokePoint = StampCorner(PixelAt(pointer.At));
  Stroke.PuttyCarry = TFixedVector{};
}

TRect TBrushTool::Move(const TPointer& pointer) {
  const TToolMode mode = Doc_.ToolMode;
  if (IsPictureBrush(mode)) {
    if (!SelectStamp(pointer.Held)) return TRect{};
    return ApplyAt(StampCorner(PixelAt(pointer.At)));
  }
  if (!IsLayerBrush(mode) || !LayerBrushDown) return TRect{};
  const TRotatableLayer* layer = Doc_.Selection().Selected();
  if (!layer) return TRect{};
  if (!SelectStamp(pointer.Held)) return TRect{};
  if (!layer->Location.StrictlyContains(pointer.At)) return TRect{};
  return ApplyOnLayer(StampCorner(LayerPixelAt(Doc_, pointer.At)));
}

void TBrushTool::Release() {
  ButtonDown = false;
  LayerBrushDown = false;
}

TRect TBrushTool::Tick() {
  const TToolMode mode = Doc_.ToolMode;
  if (!RepeatsWhileHeld(mode)) return TRect{};
  if (IsPictureBrush(mode)) return ButtonDown ? ApplyAt(Stroke.StrokePoint) : TRect{};
  return LayerBrushDown ? ApplyOnLayer(LayerStroke.StrokePoint) : TRect{};
}

TRect TBrushTool::ApplyAt(TPoint corner) {
  corner = TPoint{FarClamped(int64_t(corner.X)), FarClamped(int64_t(corner.Y))};
  Doc_.History.TouchMesh(Doc_, TRect{corner.X, corner.Y, corner.X + Active().Width(), corner.Y + Active().Height()});
  return StampInto(Doc_.MeshTransformation, Doc_.SourceBitmap, Doc_.ViewBitmap, corner, Stroke);
}

TRect TBrushTool::StampInto(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                            TPoint corner, TStrokeState& stroke) {
  const TBrushShape shape = BrushShapeOf(Doc_.ToolMode);
  if (shape == TBrushShape::Reconstruct)
    return ReconstructBrush(mesh, source, dst, Active(), ReconstructStrength(), corner, stroke);
  return ApplyBrush(mesh, source, dst, Active(), Scratch, corner, shape == TBrushShape::Putty, stroke);
}

TFixed TBrushTool::ReconstructStrength() const {
  // Exact at both ends and in the middle: (Effect + 100) / 200 of 65536, halves rounded up.
  return TFixed(((Effect_ - kMinEffect) * kFixedOne + (kMaxEffect - kMinEffect) / 2) /
                (kMaxEffect - kMinEffect));
}

TRect TBrushTool::ApplyOnLayer(TPoint corner) {
  if (ApplyLayerBrush(Doc_, corner).IsEmpty()) return TRect{};
  // The layer is drawn stretched over the picture: repaint where it lies.
  return Intersect(CoveringRect(Doc_.Selection().Selected()->Location),
                   Doc_.ViewBitmap.BoundsRect());
}

}  // namespace gs
