// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/Canvas.h"

#include "document/Layers.h"

#include <algorithm>

namespace gs {

TBitmap32 Rotated(const TBitmap32& picture, TRotation rotation) {
  const int w = picture.Width();
  const int h = picture.Height();
  const bool quarter = rotation != TRotation::Half;
  TBitmap32 result(quarter ? h : w, quarter ? w : h);
  for (int y = 0; y < h; ++y) {
    const TColor32* row = picture.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      switch (rotation) {
        case TRotation::Half: result.SetPixel(w - 1 - x, h - 1 - y, row[x]); break;
        case TRotation::Clockwise: result.SetPixel(h - 1 - y, x, row[x]); break;
        case TRotation::CounterClockwise: result.SetPixel(y, w - 1 - x, row[x]); break;
      }
    }
  }
  return result;
}

namespace {
// A pixel tool keeps working on the changed canvas: its mirror shows the new picture.
void FollowWithMirror(TDocument& doc) {
  if (!IsPixelTool(doc.ToolMode)) return;
  doc.MirrorBitmap = doc.ViewBitmap;
  ShowCheckerboard(doc.MirrorBitmap, doc.SourceBitmap.OuterColor);
}
}  // namespace

void RotateCanvas(TDocument& doc, TRotation rotation) {
  doc.TakeUndoSnapshot();
  doc.ReplacePicture(Rotated(doc.ViewBitmap, rotation));
  doc.GeometryChanged = true;
  if (rotation != TRotation::Half) doc.TakeSourceSize();
  FollowWithMirror(doc);
}

TBitmap32 Flipped(const TBitmap32& picture, TFlip flip) {
  const int w = picture.Width();
  const int h = picture.Height();
  TBitmap32 result(w, h);
  for (int y = 0; y < h; ++y) {
    const TColor32* from = picture.ScanLine(flip == TFlip::Vertical ? h - 1 - y : y);
    TColor32* to = result.ScanLine(y);
    if (flip == TFlip::Vertical) std::copy(from, from + w, to);
    else std::reverse_copy(from, from + w, to);
  }
  return result;
}

void FlipCanvas(TDocument& doc, TFlip flip) {
  doc.UndoBitmap = doc.ViewBitmap;
  doc.ReplacePicture(Flipped(doc.ViewBitmap, flip));
  doc.GeometryChanged = true;
  FollowWithMirror(doc);
}

namespace {
// Nearest-pixel stretch, as a plain bitmap stretch does it.
TBitmap32 Stretched(const TBitmap32& picture, int width, int height) {
  TBitmap32 result(width, height);
  if (picture.Empty()) return result;
  for (int y = 0; y < height; ++y) {
    const int sy = int(int64_t(y) * picture.Height() / height);
    const TColor32* from = picture.ScanLine(sy);
    TColor32* to = result.ScanLine(y);
    for (int x = 0; x < width; ++x) to[x] = from[int64_t(x) * picture.Width() / width];
  }
  return result;
}
}  // namespace

void ResizeCanvas(TDocument& doc, int width, int height) {
  doc.GeometryChanged = true;
  doc.TakeUndoSnapshot();
  doc.ReplacePicture(Stretched(doc.ViewBitmap, std::max(width, 1), std::max(height, 1)));
  doc.TakeSourceSize();
  doc.ZoomPercent = 100;
  FollowWithMirror(doc);
}

bool UndoPicture(TDocument& doc) {
  if (doc.UndoBitmap.Empty()) return false;
  UndoSelectedLayer(doc);
  const TBitmap32 snapshot = doc.UndoBitmap;
  doc.ReplacePicture(snapshot);
  doc.MirrorBitmap = snapshot;
  ShowCheckerboard(doc.MirrorBitmap, doc.SourceBitmap.OuterColor);
  // A snapshot of another size brings its size back, whatever happened since it was taken (a
  // save, say, that cleared the flag).
  const bool resized = doc.GeometryChanged || snapshot.Width() != doc.ImageWidth() ||
                       snapshot.Height() != doc.ImageHeight();
  doc.GeometryChanged = false;
  if (resized) {
    doc.ZoomPercent = 100;
    doc.TakeSourceSize();
  }
  return resized;
}

void ShowCheckerboard(TBitmap32& picture, TColor32 key) {
  for (int y = 0; y < picture.Height(); ++y) {
    TColor32* row = picture.ScanLine(y);
    for (int x = 0; x < picture.Width(); ++x) {
      if (row[x] != key && row[x] != 0) continue;
      const uint8_t grey = ((x / 8) % 2 == (y / 8) % 2) ? 176 : 255;
      row[x] = (row[x] & 0xFF000000u) | Color32(grey, grey, grey, 0);
    }
  }
}

TSideLimits ImageSideLimits(int side) {
  // Never below the side itself: a 6000-pixel side offered only up to 5000 would shrink the
  // picture on an Ok that changed nothing.
  const int max = int(std::min<int64_t>(int64_t(side) * 10, 5000));
  return TSideLimits{std::max(side / 10, 10), std::max(side, max)};
}

double ProportionalSide(int startThisSide, int startOtherSide, double side) {
  if (startThisSide <= 0) return startOtherSide;
  return startOtherSide / 100.0 * (side / (startThisSide / 100.0));
}

}  // namespace gs
