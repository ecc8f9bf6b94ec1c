#include "faces/Caricature.h"

#include "warp/ApplyBrush.h"

#include <algorithm>
#include <cmath>

namespace gs {

const std::vector<TPresetName>& CaricaturePresets() {
  static const std::vector<TPresetName> presets{
      {TCaricaturePreset::BigEyes, "Big Eyes", "bigeyes"},
      {TCaricaturePreset::TinyEyes, "Tiny Eyes", "tinyeyes"},
      {TCaricaturePreset::BobbleHead, "Bobble Head", "bobblehead"},
      {TCaricaturePreset::BigGrin, "Big Grin", "biggrin"},
      {TCaricaturePreset::TinyMouth, "Tiny Mouth", "tinymouth"},
      {TCaricaturePreset::LongNose, "Long Nose", "longnose"},
      {TCaricaturePreset::ButtonNose, "Button Nose", "buttonnose"},
      {TCaricaturePreset::PointyChin, "Pointy Chin", "pointychin"},
      {TCaricaturePreset::Alien, "Alien", "alien"},
      {TCaricaturePreset::Twisted, "Twisted", "twisted"},
  };
  return presets;
}

const char* PresetCaption(TCaricaturePreset preset) {
  for (const TPresetName& p : CaricaturePresets())
    if (p.Preset == preset) return p.Caption;
  return "";
}

std::optional<TCaricaturePreset> PresetByKey(std::string_view key) {
  for (const TPresetName& p : CaricaturePresets())
    if (key == p.Key) return p.Preset;
  return std::nullopt;
}

namespace {

TPointF Offset(TPointF p, TPointF direction, double distance) {
  return TPointF{p.X + direction.X * distance, p.Y + direction.Y * distance};
}

int StampSize(double side) { return std::clamp(int(std::lround(side)), 5, kMaxOperationSize); }

// The directions of the face itself, so that a tilted head is stretched along its own axes.
struct TFaceAxes {
  TPointF Across;  // from the eye on the picture's left to the other
  TPointF Down;    // from the brows towards the chin
};

TFaceAxes AxesOf(const TFace& face) {
  const double roll = face.Roll();
  return TFaceAxes{{std::cos(roll), std::sin(roll)}, {-std::sin(roll), std::cos(roll)}};
}

TWarpOperation Warp(TPointF at, double side, bool grow, float pinch, int repeats) {
  TWarpOperation op;
  op.Shape = TBrushShape::Warp;
  op.Primary = grow;
  op.From = op.To = at;
  op.Size = StampSize(side);
  op.Pressure = 1.0f;
  op.Pinch = pinch;
  op.Repeats = repeats;
  return op;
}

TWarpOperation Drag(TPointF from, TPointF to, double side) {
  TWarpOperation op;
  op.Shape = TBrushShape::Putty;
  op.From = from;
  op.To = to;
  op.Size = StampSize(side);
  op.Pressure = 1.0f;
  return op;
}

void Eyes(const TFace& face, bool grow, std::vector<TWarpOperation>& ops) {
  for (bool right : {false, true})
    ops.push_back(Warp(face.EyeCentre(right), face.EyeWidth(right) * 2.4, grow, 0.3f, 5));
}

void TinyMouth(const TFace& face, std::vector<TWarpOperation>& ops) {
  ops.push_back(Warp(face.MouthCentre(), face.MouthWidth() * 1.7, false, 0.3f, 5));
}

void PointyChin(const TFace& face, std::vector<TWarpOperation>& ops) {
  const double size = face.Box.Width();
  const TPointF chin = face.ChinCentre();
  ops.push_back(Drag(chin, Offset(chin, AxesOf(face).Down, size * 0.3), size * 0.6));
}

void Plan(const TFace& face, TCaricaturePreset preset, std::vector<TWarpOperation>& ops) {
  const TFaceAxes axes = AxesOf(face);
  const double faceSide = face.Box.Width();
  switch (preset) {
    case TCaricaturePreset::BigEyes: Eyes(face, true, ops); break;
    case TCaricaturePreset::TinyEyes: Eyes(face, false, ops); break;
    case TCaricaturePreset::BobbleHead:
      ops.push_back(Warp(Offset(face.NoseBridge(), axes.Down, -faceSide * 0.15), faceSide * 2.2, true, 0.5f, 3));
      ops.push_back(Warp(Offset(face.ChinCentre(), axes.Down, faceSide * 0.35), faceSide * 1.1, false, 0.3f, 4));
      break;
    case TCaricaturePreset::BigGrin:
      // The corners pulled apart and a little up.
      for (bool right : {false, true}) {
        const TPointF corner = face.MouthCorner(right);
        const double out = face.MouthWidth() * 0.35 * (right ? 1 : -1);
        const TPointF to = Offset(Offset(corner, axes.Across, out), axes.Down, -face.MouthWidth() * 0.1);
        ops.push_back(Drag(corner, to, face.MouthWidth() * 0.9));
      }
      break;
    case TCaricaturePreset::TinyMouth: TinyMouth(face, ops); break;
    case TCaricaturePreset::LongNose: {
      const TPointF tip = face.NoseTip();
      const double length = Distance(face.NoseBridge(), tip);
      ops.push_back(Drag(tip, Offset(tip, axes.Down, length * 0.9), face.NoseWidth() * 1.8));
      break;
    }
    case TCaricaturePreset::ButtonNose:
      ops.push_back(Warp(MeanPoint(face, 30, 35), face.NoseWidth() * 2.2, false, 0.3f, 8));
      break;
    case TCaricaturePreset::PointyChin: PointyChin(face, ops); break;
    case TCaricaturePreset::Alien:
      Eyes(face, true, ops);
      TinyMouth(face, ops);
      PointyChin(face, ops);
      break;
    case TCaricaturePreset::Twisted: {
      TWarpOperation twirl = Warp(face.NoseTip(), faceSide * 1.6, true, 0.0f, 3);
      twirl.Shape = TBrushShape::Twirl;
      ops.push_back(twirl);
      break;
    }
  }
}

TPoint CornerFor(TPointF centre, int size) {
  return TPoint{int(std::lround(centre.X)) - size / 2, int(std::lround(centre.Y)) - size / 2};
}

TRect StampRect(TPoint corner, int size) { return TRect{corner.X, corner.Y, corner.X + size, corner.Y + size}; }

}  // namespace

std::vector<TWarpOperation> PlanCaricature(const TFace& face, TCaricaturePreset preset, double strength) {
  std::vector<TWarpOperation> ops;
  if (!(strength > 0)) return ops;
  Plan(face, preset, ops);
  for (TWarpOperation& op : ops) op.Pressure *= float(std::min(strength, 1.0));
  return ops;
}

std::vector<TWarpOperation> PlanForFaces(const std::vector<TFace>& faces, int faceIndex,
                                         TCaricaturePreset preset, double strength) {
  std::vector<TWarpOperation> ops;
  for (int i = 0; i < int(faces.size()); ++i) {
    if (faceIndex >= 0 && i != faceIndex) continue;
    const std::vector<TWarpOperation> face = PlanCaricature(faces[size_t(i)], preset, strength);
    ops.insert(ops.end(), face.begin(), face.end());
  }
  return ops;
}

TFace ScaledFace(const TFace& face, double scale) {
  TFace scaled = face;
  scaled.Box = TFloatRect{face.Box.Left * scale, face.Box.Top * scale, face.Box.Right * scale, face.Box.Bottom * scale};
  for (TPointF& p : scaled.Points) p = TPointF{p.X * scale, p.Y * scale};
  return scaled;
}

std::vector<TWarpOperation> ScaledOperations(std::vector<TWarpOperation> operations, double scale) {
  for (TWarpOperation& op : operations) {
    op.From = TPointF{op.From.X * scale, op.From.Y * scale};
    op.To = TPointF{op.To.X * scale, op.To.Y * scale};
    op.Size = std::max(5, int(std::lround(op.Size * scale)));
  }
  return operations;
}

TRect ApplyWarpOperations(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                          const std::vector<TWarpOperation>& operations,
                          const std::function<void(const TRect&)>& beforeChange) {
  TRect changed;
  TVectorMap stamps[2], scratch;
  for (const TWarpOperation& op : operations) {
    TGenericBrush brush;
    brush.SetPressure(op.Pressure);
    brush.SetPinch(op.Pinch);
    brush.SetFeather(0.5f);
    stamps[0].SetSize(op.Size, op.Size);
    stamps[1].SetSize(op.Size, op.Size);
    BuildBrushStamps(stamps[0], stamps[1], brush, op.Shape);
    const TVectorMap& stamp = stamps[op.Primary ? 0 : 1];
    const bool putty = op.Shape == TBrushShape::Putty;

    auto apply = [&](TPoint corner, TStrokeState& state) {
      if (beforeChange) beforeChange(StampRect(corner, op.Size));
      changed = Union(changed, ApplyBrush(mesh, source, dst, stamp, scratch, corner, putty, state));
    };
    TStrokeState state;
    state.StrokePoint = CornerFor(op.From, op.Size);
    if (!putty) {
      for (int i = 0; i < op.Repeats; ++i) apply(state.StrokePoint, state);
      continue;
    }
    // A drag in steps as small as a steady hand's mouse moves give, relative to the stamp.
    const double length = Distance(op.From, op.To);
    const int steps = std::max(1, int(std::ceil(length / std::max(1.0, op.Size / 25.0))));
    for (int i = 1; i <= steps; ++i) {
      const double t = double(i) / steps;
      const TPointF at{op.From.X + (op.To.X - op.From.X) * t, op.From.Y + (op.To.Y - op.From.Y) * t};
      apply(CornerFor(at, op.Size), state);
    }
  }
  return changed;
}

}  // namespace gs
