// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/FaceEdit.h"

#include "faces/warp/ApplyField.h"

#include <algorithm>
#include <cmath>

namespace gs {

namespace {

// The grid's spacing per face size, and the disc round the face in face sizes: the head and
// some of the neck and hair inside. The interpolation itself brings the moves down to the rim
// anchors smoothly; the fade near the rim only makes the last of them exactly zero.
constexpr double kCellsPerFace = 48;
constexpr double kDiscRadius = 1.45;
constexpr double kDiscInner = 1.25;
constexpr double kLeastCell = 1.5;
// A disc fitted to the moves keeps this much room beyond them, and is never smaller than the
// least disc, both in face sizes.
constexpr double kRoom = 0.3;
constexpr double kLeastDisc = 0.85;
// Points this many cells from the picture's edge are held by it.
constexpr double kBorderCells = 3;
// Another face's box, grown by this share of its size on every side, is kept as it is.
constexpr double kKeptRoom = 0.1;

// The way from `from` (inside room) to `to`, cut where it leaves room.
TPointF WithinRoom(TPointF from, TPointF to, const TFloatRect& room) {
  double s = 1;
  auto limit = [&s](double p, double q, double low, double high) {
    if (q < low) s = std::min(s, (low - p) / (q - p));
    if (q > high) s = std::min(s, (high - p) / (q - p));
  };
  limit(from.X, to.X, room.Left, room.Right);
  limit(from.Y, to.Y, room.Top, room.Bottom);
  return TPointF{from.X + (to.X - from.X) * s, from.Y + (to.Y - from.Y) * s};
}

TFloatRect Grown(const TFloatRect& r, double share) {
  const double dx = r.Width() * share, dy = r.Height() * share;
  return TFloatRect{r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy};
}

}  // namespace

TWarpDisc DiscOf(const TFace& face) {
  const TFaceFrame frame = FrameOf(face);
  // A face only a few dozen pixels wide (a thumbnail, a crowd) needs no grid finer than the
  // pixels that show it.
  const double cell = std::max(frame.Size / kCellsPerFace, kLeastCell);
  return TWarpDisc{frame.Centre, kDiscInner * frame.Size, kDiscRadius * frame.Size, cell};
}

namespace {

// The face's disc shrunk to what the moves need: as far out as the points moved, and three
// times their moves further, which the field has to fade them over. Eyes alone leave the hair
// and neck alone, and give the history less to keep.
TWarpDisc DiscFor(const TFace& face, const TFaceShape& shape, const TFaceShape& target) {
  TWarpDisc disc = DiscOf(face);
  const double size = disc.Radius / kDiscRadius;
  double reach = 0;
  for (int k = 0; k < TFaceShape::kPointCount; ++k) {
    const double move = Distance(shape[k], target[k]);
    if (move > 0) reach = std::max(reach, Distance(shape[k], disc.Centre) + 3 * move + kRoom * size);
  }
  const double radius = std::clamp(reach, kLeastDisc * size, disc.Radius);
  disc.Inner -= disc.Radius - radius;
  disc.Radius = radius;
  return disc;
}

}  // namespace

TWarpField FaceField(const TFace& face, const TFaceShape& target, const std::vector<TFace>& others,
                     TSize picture, TWarpModel model) {
  const TFaceShape shape = ShapeOf(face);
  TWarpStep request{{}, DiscFor(face, shape, target), {}};
  const TWarpDisc& disc = request.Disc;
  // The border holds the picture's edge in place. A point within a few cells of it cannot move
  // there, and a point asked to go beyond it goes as far as it can: a chin pushed out of the
  // frame stops at the frame.
  const double margin = kBorderCells * disc.Cell;
  const TFloatRect room{margin, margin, picture.Width - margin, picture.Height - margin};
  TWarpControls asked;
  for (int k = 0; k < TFaceShape::kPointCount; ++k)
    if (room.StrictlyContains(shape[k])) asked.Add(shape[k], WithinRoom(shape[k], target[k], room));
  request.Controls = asked;
  // A neighbour is held by its outline and features, and what the spline still moves between
  // them is faded out over its box: it stays as it is, and a group photo does not slow the fit.
  for (const TFace& other : others) {
    std::vector<TPointF> held{other.EyeCentre(false), other.EyeCentre(true), other.NoseTip(), other.MouthCentre()};
    for (int k = kJaw.First; k <= kJaw.Last; k += 2) held.push_back(other.Points[size_t(k)]);
    held.push_back(ShapeOf(other)[TFace::kPointCount + 1]);
    bool near = false;
    for (const TPointF& p : held)
      if (Distance(p, disc.Centre) < disc.Radius) request.Controls.Hold(p), near = true;
    if (near) request.Kept.push_back(Grown(other.Box, kKeptRoom));
  }
  return BuildWarpField(request, picture, model);
}

TFace CarriedFace(const TWarpField& field, const TFace& face) {
  if (field.Empty()) return face;
  TFace carried = face;
  for (TPointF& p : carried.Points) p = CarryPoint(field, p);
  // The box follows the landmarks' centre and spread.
  const TPointF before = MeanPoint(face, 0, TFace::kPointCount - 1);
  const TPointF after = MeanPoint(carried, 0, TFace::kPointCount - 1);
  double spreadBefore = 0, spreadAfter = 0;
  for (int k = 0; k < TFace::kPointCount; ++k) {
    spreadBefore += Distance(face.Points[size_t(k)], before);
    spreadAfter += Distance(carried.Points[size_t(k)], after);
  }
  const double scale = spreadBefore > 0 ? spreadAfter / spreadBefore : 1;
  const TFloatRect& b = face.Box;
  auto moved = [&](double x, double y) {
    return TPointF{after.X + (x - before.X) * scale, after.Y + (y - before.Y) * scale};
  };
  const TPointF topLeft = moved(b.Left, b.Top), bottomRight = moved(b.Right, b.Bottom);
  carried.Box = TFloatRect{topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y};
  return carried;
}

TFaceEditResult ApplyFaceRule(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                              std::vector<TFace>& faces, int faceIndex, const TFaceRule& rule,
                              const std::function<void(const TRect&)>& beforeChange) {
  TFaceEditResult result;
  const TSize picture{mesh.VectorMap().Width(), mesh.VectorMap().Height()};
  for (size_t i = 0; i < faces.size(); ++i) {
    if (faceIndex >= 0 && int(i) != faceIndex) continue;
    std::vector<TFace> others;
    for (size_t k = 0; k < faces.size(); ++k)
      if (k != i) others.push_back(faces[k]);
    const TWarpField field = FaceField(faces[i], rule(faces[i]), others, picture);
    if (field.Empty()) continue;
    result.Changed = Union(result.Changed, ApplyWarpField(mesh, source, dst, field, beforeChange));
    result.Limit = std::min(result.Limit, field.Limit());
    for (TFace& face : faces) face = CarriedFace(field, face);
  }
  return result;
}

TFace ScaledFace(const TFace& face, double scale) {
  TFace scaled = face;
  scaled.Box = TFloatRect{face.Box.Left * scale, face.Box.Top * scale, face.Box.Right * scale, face.Box.Bottom * scale};
  for (TPointF& p : scaled.Points) p = TPointF{p.X * scale, p.Y * scale};
  return scaled;
}

}  // namespace gs
