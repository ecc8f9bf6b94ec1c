// SPDX-License-Identifier: GPL-3.0-or-later
// How far the face rules get on real photos, measured as a user would see it: the landmarks are
// found again on the bent picture and compared with where the rule asked them to go.
//
//   measure_faces PHOTO...
//
// For the largest face of each photo and each setting it prints the share of the asked moves
// that the photo's own patches show when tracked in the result (tracked: nothing of the
// landmark model in it, though a patch that turns or thins tracks poorly), the share the
// refound landmarks show (delivered: the landmark model's pull towards ordinary faces makes it
// see little of an eye or a nose that changed its size), the share the landmarks fitted again
// in the photo's face box show (refit: the same model, without a new detection box), how rough
// the jaw and lip outlines are against the photo's own (1 = as smooth as the photo), and for
// Exaggerate how far the face is from the mean face against the photo's.

#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"
#include "codecs/PictureKinds.h"
#include "faces/FaceEdit.h"
#include "faces/finder/FaceFinder.h"
#include "faces/rules/Presets.h"
#include "faces/rules/Sculpt.h"
#include "faces/shape/Pose.h"
#include "faces/shape/ShapeFit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace gs;

namespace {

struct TSetting {
  std::string Name;
  TFaceRule Rule;
  bool Exaggerate = false;
};

// Wobble of a chain of points: the mean third difference against the mean step, so that a
// rounder (but smooth) outline does not count as rough.
double Wobble(const TFace& face, std::vector<int> chain) {
  double wobble = 0, step = 0;
  const auto p = [&](size_t k) { return face.Points[size_t(chain[k])]; };
  for (size_t k = 0; k + 1 < chain.size(); ++k) step += Distance(p(k), p(k + 1));
  step /= double(chain.size() - 1);
  for (size_t k = 0; k + 3 < chain.size(); ++k) {
    const double x = p(k + 3).X - 3 * p(k + 2).X + 3 * p(k + 1).X - p(k).X;
    const double y = p(k + 3).Y - 3 * p(k + 2).Y + 3 * p(k + 1).Y - p(k).Y;
    wobble += std::hypot(x, y);
  }
  return wobble / double(chain.size() - 3) / step;
}

std::vector<int> Range(int first, int last, bool closed) {
  std::vector<int> chain;
  for (int k = first; k <= last; ++k) chain.push_back(k);
  if (closed)
    for (int k = first; k < first + 3; ++k) chain.push_back(k);
  return chain;
}

double JawWobble(const TFace& face) { return Wobble(face, Range(0, 16, false)); }
double LipWobble(const TFace& face) { return Wobble(face, Range(48, 59, true)); }

double Grey(const TBitmap32& b, int x, int y) {
  const TColor32 c = b.Pixel(std::clamp(x, 0, b.Width() - 1), std::clamp(y, 0, b.Height() - 1));
  return 0.3 * RedOf(c) + 0.59 * GreenOf(c) + 0.11 * BlueOf(c);
}

// Where the photo's patch round p shows best in the result, searched near where it was asked to
// go: a measure of the picture's own moves that owes nothing to the landmark model.
TPointF Tracked(const TBitmap32& photo, const TBitmap32& result, TPointF p, TPointF asked, int radius) {
  const int px = int(std::lround(p.X)), py = int(std::lround(p.Y));
  std::vector<double> patch;
  double mean = 0;
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx) patch.push_back(Grey(photo, px + dx, py + dy)), mean += patch.back();
  mean /= double(patch.size());
  double spread = 0;
  for (double& v : patch) v -= mean, spread += v * v;
  const int reach = int(std::ceil(Distance(p, asked) * 0.6)) + 2;
  TPointF best = p;
  double bestScore = -2;
  for (int qy = int(std::lround(asked.Y)) - reach; qy <= int(std::lround(asked.Y)) + reach; ++qy)
    for (int qx = int(std::lround(asked.X)) - reach; qx <= int(std::lround(asked.X)) + reach; ++qx) {
      double m = 0;
      size_t i = 0;
      std::vector<double> other(patch.size());
      for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) other[i] = Grey(result, qx + dx, qy + dy), m += other[i++];
      m /= double(other.size());
      double cross = 0, own = 0;
      for (size_t j = 0; j < other.size(); ++j) cross += patch[j] * (other[j] - m), own += (other[j] - m) * (other[j] - m);
      const double score = cross / std::sqrt(std::max(spread * own, 1e-9));
      if (score > bestScore) bestScore = score, best = TPointF{double(qx), double(qy)};
    }
  return best;
}

double TrackedShare(const TBitmap32& photo, const TBitmap32& result, const TFace& face, const TFaceShape& asked) {
  const int radius = std::max(3, int(face.Box.Width() * 0.04));
  double along = 0, wanted = 0;
  for (int k = 0; k < TFace::kPointCount; ++k) {
    const TPointF p = face.Points[size_t(k)];
    const TPointF want = Minus(asked[k], p);
    const double length = std::hypot(want.X, want.Y);
    if (length < 2) continue;
    along += Dot(Minus(Tracked(photo, result, p, asked[k], radius), p), want) / length;
    wanted += length;
  }
  return wanted > 0 ? along / wanted : 1;
}

// The refound face nearest to where the face was carried.
const TFace* Nearest(const std::vector<TFace>& found, const TFace& carried) {
  const TFace* best = nullptr;
  double bestDistance = 1e300;
  for (const TFace& f : found) {
    const double d = Distance(f.NoseTip(), carried.NoseTip());
    if (d < bestDistance) bestDistance = d, best = &f;
  }
  return best;
}

// The refound moves projected on the asked ones, over the points the rule moves.
double Delivered(const TFace& before, const TFaceShape& asked, const TFace& refound, const TFace& refoundBefore) {
  double along = 0, wanted = 0;
  for (int k = 0; k < TFace::kPointCount; ++k) {
    const TPointF want = Minus(asked[k], before.Points[size_t(k)]);
    const double length = std::hypot(want.X, want.Y);
    if (length < 0.5) continue;
    // The detector's own error on the photo is taken out by measuring from its refound photo.
    const TPointF got = Minus(refound.Points[size_t(k)], refoundBefore.Points[size_t(k)]);
    along += Dot(got, want) / length;
    wanted += length;
  }
  return wanted > 0 ? along / wanted : 1;
}

void Measure(const TFaceFinder& finder, const std::string& path, const std::vector<TSetting>& settings) {
  const std::string ext = std::filesystem::path(path).extension().string();
  const TBitmap32 photo = DecodePicture(ext, ReadFileBytes(path)).Bitmap;
  const std::vector<TFace> faces = finder.Find(photo);
  if (faces.empty()) {
    std::printf("%s: no face\n", path.c_str());
    return;
  }
  const TFace& face = faces[0];
  const double plain = IdentityDistance(FitShape(face, finder.ShapeModel()));
  const TFacePose pose = PoseOf(face);
  std::printf("%s: %zu faces, the largest %.0f px wide, yaw %.0f, pitch %.0f, roll %.0f degrees\n", path.c_str(), faces.size(),
              face.Box.Width(), pose.Yaw * 180 / 3.14159265, pose.Pitch * 180 / 3.14159265, pose.Roll * 180 / 3.14159265);
  for (const TSetting& setting : settings) {
    TBitmap32 source = photo, view = photo;
    TRemapTransformation mesh;
    mesh.Bind(source, view);
    std::vector<TFace> bent = faces;
    const TFaceShape asked = setting.Rule(face);
    const TFaceEditResult result = ApplyFaceRule(mesh, source, view, bent, 0, setting.Rule);
    const std::vector<TFace> found = finder.Find(view);
    const TFace* refound = Nearest(found, bent[0]);
    if (!refound) {
      std::printf("%-28s %-14s lost the face\n", std::filesystem::path(path).filename().c_str(), setting.Name.c_str());
      continue;
    }
    // Fitted again in the photo's box: whether a new detection box is what hides the moves.
    const TFace refit = finder.FitLandmarks(view, face.Box);
    std::printf("%-28s %-14s limit %5.2f tracked %5.2f delivered %5.2f refit %5.2f jaw %5.2f lip %5.2f",
                std::filesystem::path(path).filename().c_str(), setting.Name.c_str(), result.Limit,
                TrackedShare(photo, view, face, asked), Delivered(face, asked, *refound, face),
                Delivered(face, asked, refit, face), JawWobble(*refound) / JawWobble(face), LipWobble(*refound) / LipWobble(face));
    TFace rule = face;
    for (int k = 0; k < TFace::kPointCount; ++k) rule.Points[size_t(k)] = asked[k];
    std::printf(" (asked jaw %5.2f lip %5.2f, carried jaw %5.2f lip %5.2f)", JawWobble(rule) / JawWobble(face),
                LipWobble(rule) / LipWobble(face), JawWobble(bent[0]) / JawWobble(face), LipWobble(bent[0]) / LipWobble(face));
    if (setting.Exaggerate)
      std::printf(" identity x%.2f (asked x%.2f)", IdentityDistance(FitShape(*refound, finder.ShapeModel())) / plain,
                  IdentityDistance(FitShape(bent[0], finder.ShapeModel())) / plain);
    std::printf("\n");
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const TFaceFinder finder(kDefaultFaceModel);
  const TShapeModel* model = &finder.ShapeModel();
  std::vector<TSetting> settings;
  for (const int amount : {50, 100, 200}) {
    TSculpt sculpt;
    sculpt.Exaggerate = amount;
    settings.push_back({"exaggerate " + std::to_string(amount),
                        [sculpt, model](const TFace& f) { return SculptShape(f, sculpt, model); }, true});
  }
  for (const TPresetName& preset : CaricaturePresets())
    settings.push_back({preset.Key, [p = preset.Preset](const TFace& f) { return PresetShape(f, p, 1.0); }});
  for (const TSculptSliderName& slider : SculptSliders())
    for (const int value : {100, -100}) {
      TSculpt sculpt;
      sculpt.Set(slider.Slider, value);
      settings.push_back({std::string(slider.Key) + (value > 0 ? "+" : "-"),
                          [sculpt, model](const TFace& f) { return SculptShape(f, sculpt, model); }});
    }
  const char* only = std::getenv("ONLY");
  if (only) std::erase_if(settings, [&](const TSetting& s) { return s.Name.find(only) == std::string::npos; });
  for (int k = 1; k < argc; ++k) Measure(finder, argv[k], settings);
}
