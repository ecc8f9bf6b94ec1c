// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"
#include "faces/finder/FaceFinder.h"
#include "faces/shape/Exaggerate.h"
#include "faces/shape/MeanFace3D.h"
#include "faces/shape/Pose.h"
#include "faces/shape/ShapeFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace gs;

namespace {

constexpr double kDegree = std::numbers::pi / 180;

const TFaceFinder& Finder() {
  static const TFaceFinder finder(kDefaultFaceModel);
  return finder;
}
const TShapeModel& Model() { return Finder().ShapeModel(); }

// A 3-D face as a camera sees it held so, about 200 pixels across.
TFace Seen(const TFace3D& face3d, double scale, double yaw, double pitch, double roll) {
  THeadPose pose;
  pose.Scale = scale;
  pose.Yaw = yaw;
  pose.Pitch = pitch;
  pose.Roll = roll;
  pose.Shift = TPointF{300, 250};
  TFace face;
  for (size_t k = 0; k < face.Points.size(); ++k) face.Points[k] = pose.Project(face3d[k]);
  face.Box = TFloatRect{200, 150, 400, 350};
  return face;
}

double Longest(const TFaceShape& shape, const TFace& face, TLandmarks part) {
  double longest = 0;
  for (int k = part.First; k <= part.Last; ++k) longest = std::max(longest, Distance(shape[k], face.Points[size_t(k)]));
  return longest;
}

double NoseToJaw(const TFace& face) {
  const TFaceFrame frame = FrameOf(face);
  return Dot(Minus(face.NoseTip(), face.Points[kJawLeftEnd]), frame.Across) /
         Dot(Minus(face.Points[kJawRightEnd], face.NoseTip()), frame.Across);
}

TFace FaceOf(const TFaceShape& shape, TFace face) {
  for (int k = 0; k < TFace::kPointCount; ++k) face.Points[size_t(k)] = shape[k];
  return face;
}

}  // namespace

// Signs and sizes of the 3-D fit: the drawn face turned, nodded and tilted reads back as held.
TEST(Pose, ReadsBackHowTheDrawnFaceIsHeld) {
  const struct {
    double Yaw, Pitch, Roll;
  } poses[] = {{0, 0, 0}, {25, 0, 0}, {-30, 10, 0}, {10, -15, 20}, {-45, 5, -10}};
  for (const auto& p : poses) {
    const TFacePose read = PoseOf(Seen(DrawnFace3D(), 1.5, p.Yaw * kDegree, p.Pitch * kDegree, p.Roll * kDegree));
    EXPECT_NEAR(read.Yaw / kDegree, p.Yaw, 0.5) << p.Yaw << " " << p.Pitch << " " << p.Roll;
    EXPECT_NEAR(read.Pitch / kDegree, p.Pitch, 0.5) << p.Yaw << " " << p.Pitch << " " << p.Roll;
    EXPECT_NEAR(read.Roll / kDegree, p.Roll, 0.5) << p.Yaw << " " << p.Pitch << " " << p.Roll;
  }
}

// A turned head is not an unusual face: the mean face turned away is left where it is, however
// strongly it is exaggerated.
TEST(Exaggerate, LeavesTheMeanFaceTurnedAwayAsItIs) {
  const TFace3D mean3d = Face3DOf(Model().Mean);
  for (const double yaw : {-20.0, 20.0}) {
    const TFace face = Seen(mean3d, 250, yaw * kDegree, 8 * kDegree, 5 * kDegree);
    const TFaceShape shape = ExaggeratedShape(face, 2, Model());
    EXPECT_LT(Longest(shape, face, kAllLandmarks), 0.2) << yaw;
  }
}

// What is unusual grows most: the mean face with a wide mouth gets a wider one, and the mouth
// moves further than any other feature.
TEST(Exaggerate, GrowsTheUnusualFeatureMost) {
  TFace face = Seen(Face3DOf(Model().Mean), 250, 0, 0, 0);
  const TPointF centre = face.MouthCentre();
  for (int k = kMouth.First; k <= kMouth.Last; ++k)
    face.Points[size_t(k)].X = centre.X + 1.3 * (face.Points[size_t(k)].X - centre.X);
  const TFaceShape shape = ExaggeratedShape(face, 1, Model());
  EXPECT_GT(FaceOf(shape, face).MouthWidth(), face.MouthWidth() * 1.15);
  const double mouth = Longest(shape, face, kMouth);
  for (const TLandmarks part : {kJaw, kLeftBrow, kRightBrow, kNose, kLeftEye, kRightEye})
    EXPECT_GT(mouth, 2 * Longest(shape, face, part)) << part.First;
}

// On a real face: every landmark goes further the same way as the amount grows, the face ends
// further from the mean (pose taken out), and the head stays turned and tilted as it was.
TEST(Exaggerate, GrowsWithTheAmountAndKeepsTheAstronautsPose) {
  const TBitmap32 photo = DecodePicture(".png", ReadFileBytes(GS_TESTDATA_DIR "/faces/astronaut.png")).Bitmap;
  const TFace face = Finder().Find(photo).at(0);
  const double plain = IdentityDistance(FitShape(face, Model()));
  const TFacePose pose = PoseOf(face);
  TFaceShape previous = ShapeOf(face);
  double previousDistance = plain;
  for (const double amount : {0.25, 0.5, 1.0, 1.5, 2.0}) {
    const TFaceShape shape = ExaggeratedShape(face, amount, Model());
    for (int k = 0; k < TFaceShape::kPointCount; ++k) {
      const TPointF was = Minus(previous[k], ShapeOf(face)[k]), is = Minus(shape[k], ShapeOf(face)[k]);
      EXPECT_GE(std::hypot(is.X, is.Y) + 1e-9, std::hypot(was.X, was.Y)) << amount << " " << k;
      EXPECT_GE(Dot(is, was), -1e-9) << amount << " " << k;
    }
    const TFace bent = FaceOf(shape, face);
    const double distance = IdentityDistance(FitShape(bent, Model()));
    EXPECT_GT(distance, previousDistance) << amount;
    EXPECT_NEAR(NoseToJaw(bent), NoseToJaw(face), 0.05 * NoseToJaw(face)) << amount;
    EXPECT_NEAR(bent.Roll(), face.Roll(), 1 * kDegree) << amount;
    EXPECT_NEAR(PoseOf(bent).Yaw, pose.Yaw, 3 * kDegree) << amount;
    previous = shape;
    previousDistance = distance;
  }
  EXPECT_GT(previousDistance, 1.9 * plain);
}

namespace {

// How much an outline ripples: its third differences against its mean step, so that a rounder
// but smooth outline does not count.
double Ripple(const TFaceShape& shape, TLandmarks part, bool closed) {
  std::vector<TPointF> p;
  for (int k = part.First; k <= part.Last; ++k) p.push_back(shape[k]);
  if (closed) p.insert(p.end(), p.begin(), p.begin() + 3);
  double ripple = 0, step = 0;
  for (size_t k = 0; k + 1 < p.size(); ++k) step += Distance(p[k], p[k + 1]);
  for (size_t k = 0; k + 3 < p.size(); ++k)
    ripple += std::hypot(p[k + 3].X - 3 * p[k + 2].X + 3 * p[k + 1].X - p[k].X,
                         p[k + 3].Y - 3 * p[k + 2].Y + 3 * p[k + 1].Y - p[k].Y);
  return ripple / double(p.size() - 3) / (step / double(p.size() - 1));
}

}  // namespace

// Exaggerating bends the jaw and the lips without rippling them: what the components make of
// the landmarks' noise is not grown, so the outlines come out as smooth as the face's own (the
// landmarks found again on the result add their own noise on top, which is why this is strict).
TEST(Exaggerate, KeepsTheJawAndLipsAsSmoothAsThePhotos) {
  const TBitmap32 photo = DecodePicture(".png", ReadFileBytes(GS_TESTDATA_DIR "/faces/astronaut.png")).Bitmap;
  const TFace face = Finder().Find(photo).at(0);
  for (const double amount : {1.0, 2.0}) {
    const TFaceShape shape = ExaggeratedShape(face, amount, Model());
    EXPECT_LE(Ripple(shape, kJaw, false), 1.05 * Ripple(ShapeOf(face), kJaw, false)) << amount;
    EXPECT_LE(Ripple(shape, kOuterLip, true), 1.05 * Ripple(ShapeOf(face), kOuterLip, true)) << amount;
  }
}
