// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/PixelTools.h"

#include "common/Fixed.h"
#include "document/Canvas.h"
#include "document/Document.h"

#include <algorithm>

namespace gs {

namespace {

uint8_t CheckerGrey(int x, int y) { return ((x / 8) % 2 == (y / 8) % 2) ? 176 : 255; }

// The stamp's pixels in one picture: columns and rows from the corner to corner + size, cut at
// the last column and row.
TRect StampRect(const TBitmap32& picture, int x, int y, int size) {
  TRect r{x, y, std::min(x + size, picture.Width() - 1) + 1, std::min(y + size, picture.Height() - 1) + 1};
  if (r.IsEmpty()) return TRect{};
  return r;
}

void FillPicture(TBitmap32& picture, const TRect& r, TColor32 color) {
  for (int y = r.Top; y < r.Bottom; ++y) {
    TColor32* row = picture.ScanLine(y);
    std::fill(row + r.Left, row + r.Right, color);
  }
}

// Right and bottom edges belong to the range: a rectangle ending there includes the last pixel.
TPoint ClampToPicture(const TBitmap32& picture, TPoint p) {
  return TPoint{std::clamp(p.X, 0, picture.Width()), std::clamp(p.Y, 0, picture.Height())};
}

TRect Normalised(TPoint a, TPoint b) {
  return TRect{std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
}

}  // namespace

int EraserCursorSlot(int eraserSize) {
  switch (eraserSize) {
    case 1: return 1;
    case 3: return 2;
    case 6: return 3;
    case 10: return 4;
    case 14: return 5;
    case 18: return 6;
    default: return 7;
  }
}

int StampSize(int eraserSize, int zoomPercent) {
  return std::max(TruncToInt(eraserSize * 100.0 / std::max(zoomPercent, 1)), 0);
}

void SetPaintColor(TDocument& doc, TColor color) {
  doc.PaintColor = color;
  const TColor32 pixel = WinColorToColor32(color);
  doc.PixelTools.PaintRed = RedOf(pixel);
  doc.PixelTools.PaintGreen = GreenOf(pixel);
  doc.PixelTools.PaintBlue = BlueOf(pixel);
}

void PrepareMirror(TDocument& doc) {
  const TColor32 outer = doc.SourceBitmap.OuterColor;
  const TDrawMode drawMode = doc.SourceBitmap.DrawMode;
  const TCombineMode combineMode = doc.SourceBitmap.CombineMode;
  doc.SourceBitmap = doc.ViewBitmap;
  doc.SourceBitmap.OuterColor = outer;
  doc.SourceBitmap.DrawMode = drawMode;
  doc.SourceBitmap.CombineMode = combineMode;
  // The warp is in the source now; a mesh kept on top of it would warp it twice.
  doc.MeshTransformation.VectorMap().Clear();
  doc.TakeUndoSnapshot();
  doc.MirrorBitmap = doc.ViewBitmap;
  ShowCheckerboard(doc.MirrorBitmap, outer);
}

TRect PixelStamp(TDocument& doc, TPoint at, int size, TStampKind kind) {
  const int x = std::max(at.X, 0);
  const int y = std::max(at.Y, 0);
  size = std::max(size, 0);
  const TPixelToolState& state = doc.PixelTools;

  // The mirror is shown opaque where it is stamped, so paint on a transparent area is seen.
  const TRect mirrorRect = StampRect(doc.MirrorBitmap, x, y, size);
  for (int py = mirrorRect.Top; py < mirrorRect.Bottom; ++py) {
    TColor32* row = doc.MirrorBitmap.ScanLine(py);
    for (int px = mirrorRect.Left; px < mirrorRect.Right; ++px) {
      if (kind == TStampKind::Paint) {
        row[px] = Color32(state.PaintRed, state.PaintGreen, state.PaintBlue);
      } else {
        const uint8_t grey = CheckerGrey(px, py);
        row[px] = Color32(grey, grey, grey);
      }
    }
  }

  // Alpha 254 marks painted pixels as not fully opaque, so a PNG save keeps an alpha channel.
  const TColor32 color =
      kind == TStampKind::Paint ? WinColorToColor32(doc.PaintColor, 254) : doc.SourceBitmap.OuterColor;
  FillPicture(doc.SourceBitmap, StampRect(doc.SourceBitmap, x, y, size), color);
  FillPicture(doc.ViewBitmap, StampRect(doc.ViewBitmap, x, y, size), color);
  return mirrorRect;
}

TColor MirrorColorAt(const TDocument& doc, TPoint at) {
  return Color32ToWinColor(doc.MirrorBitmap.PixelS(at.X, at.Y));
}

std::array<uint8_t, 256> CropDarkenTable() {
  std::array<uint8_t, 256> table{};
  for (int v = 0; v < 256; ++v) {
    const double f = v / 255.0;
    table[size_t(v)] = uint8_t(RoundHalfEven(f * f * 255.0));
  }
  return table;
}

void CropPress(TDocument& doc, TPoint at) {
  TPixelToolState& state = doc.PixelTools;
  state.CropStart = ClampToPicture(doc.MirrorBitmap, at);
  state.CropEnd = state.CropStart;
  // A release without a drag step must find no rectangle, not one left by an earlier crop.
  state.CropRect = TRect{};
  state.CropBackup = doc.MirrorBitmap;
}

void CropDrag(TDocument& doc, TPoint at) {
  TPixelToolState& state = doc.PixelTools;
  state.CropEnd = ClampToPicture(doc.MirrorBitmap, at);
  state.CropRect = Normalised(state.CropStart, state.CropEnd);
  ShowCropPreview(doc);
}

void ShowCropPreview(TDocument& doc) {
  const TPixelToolState& state = doc.PixelTools;
  const TRect& r = state.CropRect;
  doc.MirrorBitmap = state.CropBackup;
  const std::array<uint8_t, 256> dark = CropDarkenTable();
  for (int y = 0; y < doc.MirrorBitmap.Height(); ++y) {
    TColor32* row = doc.MirrorBitmap.ScanLine(y);
    const bool rowOutside = y <= r.Top || y >= r.Bottom;
    for (int x = 0; x < doc.MirrorBitmap.Width(); ++x) {
      if (!rowOutside && x > r.Left && x < r.Right) continue;
      const TColor32 c = row[x];
      row[x] = Color32(dark[RedOf(c)], dark[GreenOf(c)], dark[BlueOf(c)], AlphaOf(c));
    }
  }
}

bool PerformCrop(TDocument& doc) {
  TPixelToolState& state = doc.PixelTools;
  state.CropRect = Normalised(state.CropStart, state.CropEnd);
  const TRect r = Intersect(state.CropRect, doc.SourceBitmap.BoundsRect());
  if (r.IsEmpty()) {
    if (!state.CropBackup.Empty()) doc.MirrorBitmap = state.CropBackup;
    return false;
  }
  doc.GeometryChanged = true;
  TBitmap32 cropped(r.Width(), r.Height());
  cropped.CopyRect(0, 0, doc.SourceBitmap, r);
  doc.ReplacePicture(cropped);
  doc.TakeSourceSize();
  doc.ZoomPercent = 100;
  return true;
}

TRect TPixelTool::Dab(TPoint at) {
  at = TPoint{FarClamped(int64_t(at.X)), FarClamped(int64_t(at.Y))};
  const int size = StampSize(Doc_.EraserSize, Doc_.ZoomPercent);
  const TPoint corner{std::max(at.X, 0), std::max(at.Y, 0)};
  Doc_.History.TouchPixels(Doc_, TRect{corner.X, corner.Y, corner.X + size + 1, corner.Y + size + 1});
  return PixelStamp(Doc_, at, size, Doc_.ToolMode == TToolMode::Eraser ? TStampKind::Erase : TStampKind::Paint);
}

TPixelToolPress TPixelTool::Press(TPoint at) {
  if (!Doc_.ImageLoaded() || !IsPixelTool(Doc_.ToolMode)) return {};
  Down_ = true;
  switch (Doc_.ToolMode) {
    case TToolMode::Picker:
    case TToolMode::ChromaPick:
      SetPaintColor(Doc_, MirrorColorAt(Doc_, at));
      // The press was the pick: a drag before the release must not paint.
      Down_ = false;
      return {TRect{}, Doc_.ToolMode == TToolMode::Picker ? TPixelToolOutcome::Picked : TPixelToolOutcome::PickedKey};
    case TToolMode::Eraser:
    case TToolMode::ColorPaint:
      Doc_.TakeUndoSnapshot();
      Doc_.GeometryChanged = false;
      return {Dab(at), TPixelToolOutcome::None};
    case TToolMode::Crop:
      CropPress(Doc_, at);
      return {};
    default:
      return {};
  }
}

TRect TPixelTool::Move(TPoint at) {
  if (!Doc_.ImageLoaded() || !IsPixelTool(Doc_.ToolMode) || !Down_) return TRect{};
  switch (Doc_.ToolMode) {
    case TToolMode::Eraser:
    case TToolMode::ColorPaint:
      return Dab(at);
    case TToolMode::Crop:
      CropDrag(Doc_, at);
      return Doc_.MirrorBitmap.BoundsRect();
    default:
      return TRect{};
  }
}

TPixelToolOutcome TPixelTool::Release() {
  const bool pressed = Down_;
  // Cleared whatever the tool is now: a press whose tool ended meanwhile must not leave a stroke
  // armed for the next tool.
  Down_ = false;
  const bool crop = pressed && Doc_.ImageLoaded() && Doc_.ToolMode == TToolMode::Crop;
  return crop ? TPixelToolOutcome::CropReady : TPixelToolOutcome::None;
}

}  // namespace gs
