// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/AutoCaricature.h"

#include "faces/finder/FaceFinder.h"
#include "faces/shape/Exaggerate.h"
#include "document/Document.h"

#include <gtest/gtest.h>

#include <functional>

using namespace gs;

TEST(AutoCaricature, IsOneStepThatGoesBackAndForwardExactlyAndNoneAtStrengthZero) {
  TDocument doc;
  doc.Open(ReadPictureFile(GS_TESTDATA_DIR "/faces/astronaut.png"));
  std::vector<TFace> faces = TFaceFinder(kDefaultFaceModel).Find(doc.ViewBitmap);
  ASSERT_EQ(faces.size(), 1u);
  const int start = doc.History.Count();
  const TBitmap32 before = doc.ViewBitmap;
  // Nothing to do: no step, no change.
  for (auto [face, strength] : {std::pair{0, 0.0}, std::pair{1, 1.0}}) {
    EXPECT_TRUE(ApplyAutoCaricature(doc, faces, face, TCaricaturePreset::Alien, strength).Changed.IsEmpty());
    EXPECT_EQ(doc.History.Count(), start);
    EXPECT_EQ(doc.ViewBitmap, before);
    EXPECT_TRUE(doc.MeshTransformation.VectorMap().IsIdentity());
  }

  EXPECT_FALSE(ApplyAutoCaricature(doc, faces, 0, TCaricaturePreset::BigEyes, 1.0).Changed.IsEmpty());
  ASSERT_EQ(doc.History.Count(), start + 1);
  EXPECT_EQ(doc.History.Step(start + 1).Name, "Auto Caricature: Big Eyes");
  EXPECT_EQ(doc.UndoBitmap, before);
  const TBitmap32 after = doc.ViewBitmap;
  const TVectorMap afterMesh = doc.MeshTransformation.VectorMap();
  EXPECT_FALSE(after == before);
  EXPECT_FALSE(afterMesh.IsIdentity());

  doc.History.GoTo(doc, start);
  EXPECT_EQ(doc.ViewBitmap, before);
  EXPECT_TRUE(doc.MeshTransformation.VectorMap().IsIdentity());
  doc.History.GoTo(doc, start + 1);
  EXPECT_EQ(doc.ViewBitmap, after);
  EXPECT_EQ(doc.MeshTransformation.VectorMap(), afterMesh);
}

namespace {

const TFaceFinder& Finder() {
  static const TFaceFinder finder(kDefaultFaceModel);
  return finder;
}

// How far a face is from the mean face once the mean face is fitted to it, in face sizes.
double DistanceFromMean(const TFace& face) {
  const TFaceShape fitted = ExaggeratedShape(face, 1e-6, Finder().ShapeModel());
  double sum = 0;
  for (int k = 0; k < TFace::kPointCount; ++k) sum += Distance(fitted[k], face.Points[size_t(k)]) * 1e6;
  return sum / TFace::kPointCount / FrameOf(face).Size;
}

}  // namespace

// Presets stack on the faces carried through each other, without a new search: where the
// carried landmarks say the features are is where the finder sees them in the result. (Eyes
// grown by the full presets twice over are past what the finder still takes for a face.)
TEST(AutoCaricature, PresetsAndSlidersStackOnTheCarriedFace) {
  TDocument doc;
  doc.Open(ReadPictureFile(GS_TESTDATA_DIR "/faces/astronaut.png"));
  std::vector<TFace> faces = Finder().Find(doc.ViewBitmap);
  ASSERT_EQ(faces.size(), 1u);
  const double exaggerated = DistanceFromMean(faces[0]);
  TSculpt sculpt;
  sculpt.Set(TSculptSlider::MouthWidth, 60);
  sculpt.Set(TSculptSlider::EyeDistance, -50);
  const std::pair<std::string, std::function<TFaceEditResult()>> steps[] = {
      {"Auto Caricature: Big Eyes", [&] { return ApplyAutoCaricature(doc, faces, 0, TCaricaturePreset::BigEyes, 0.6); }},
      {"Auto Caricature: Alien", [&] { return ApplyAutoCaricature(doc, faces, -1, TCaricaturePreset::Alien, 0.4); }},
      {"Auto Caricature: Bobble Head", [&] { return ApplyAutoCaricature(doc, faces, 0, TCaricaturePreset::BobbleHead, 1.0); }},
      {"Face Sculpt", [&] { return ApplyFaceSculpt(doc, faces, 0, sculpt, &Finder().ShapeModel()); }},
      {"Auto Caricature: Twisted", [&] { return ApplyAutoCaricature(doc, faces, 0, TCaricaturePreset::Twisted, 0.7); }},
  };
  for (const auto& [name, apply] : steps) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(apply().Changed.IsEmpty());
    EXPECT_EQ(doc.History.Step(doc.History.Current()).Name, name);
    const std::vector<TFace> found = Finder().Find(doc.ViewBitmap);
    ASSERT_EQ(found.size(), 1u);
    const TFace& carried = faces[0];
    const double tolerance = 0.06 * FrameOf(found[0]).Size;
    for (auto [a, b] : {std::pair{carried.EyeCentre(false), found[0].EyeCentre(false)},
                        std::pair{carried.EyeCentre(true), found[0].EyeCentre(true)},
                        std::pair{carried.NoseTip(), found[0].NoseTip()},
                        std::pair{carried.MouthCentre(), found[0].MouthCentre()},
                        std::pair{carried.ChinCentre(), found[0].ChinCentre()}})
      EXPECT_LT(Distance(a, b), tolerance) << a.X << ", " << a.Y << " found at " << b.X << ", " << b.Y;
  }

  // Exaggerate takes the face further from the mean face, and names its step by its amount.
  doc.Open(ReadPictureFile(GS_TESTDATA_DIR "/faces/astronaut.png"));
  faces = Finder().Find(doc.ViewBitmap);
  TSculpt more;
  more.Exaggerate = 100;
  EXPECT_FALSE(ApplyFaceSculpt(doc, faces, 0, more, &Finder().ShapeModel()).Changed.IsEmpty());
  EXPECT_EQ(doc.History.Step(doc.History.Current()).Name, "Exaggerate 100 %");
  const std::vector<TFace> found = Finder().Find(doc.ViewBitmap);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_GT(DistanceFromMean(found[0]), 1.3 * exaggerated);
}

// The faces kept hold only while the document shows what they were found or bent in, and hold
// again when the history goes back there.
TEST(AutoCaricature, KnownFacesGoStaleWhenTheDocumentMovesOn) {
  TDocument doc;
  doc.Open(ReadPictureFile(GS_TESTDATA_DIR "/faces/astronaut.png"));
  std::vector<TFace> faces = Finder().Find(doc.ViewBitmap);
  const std::vector<TFace> found = faces;
  TKnownFaces known;
  EXPECT_EQ(known.For(doc), nullptr);
  known.Remember(doc, faces);
  ASSERT_NE(known.For(doc), nullptr);
  ApplyAutoCaricature(doc, faces, 0, TCaricaturePreset::TinyEyes, 1.0);
  EXPECT_EQ(known.For(doc), nullptr);  // a change it did not hear of
  known.Remember(doc, faces);
  EXPECT_NE(known.For(doc), nullptr);
  doc.History.GoTo(doc, doc.History.Current() - 1);
  ASSERT_NE(known.For(doc), nullptr);  // the faces found before the change
  EXPECT_EQ(known.For(doc)->at(0).Points, found[0].Points);
  doc.History.GoTo(doc, doc.History.Current() + 1);
  ASSERT_NE(known.For(doc), nullptr);  // back where they were left, bent
  EXPECT_EQ(known.For(doc)->at(0).Points, faces[0].Points);
  EXPECT_NE(faces[0].Points, found[0].Points);
  doc.Open(ReadPictureFile(GS_TESTDATA_DIR "/images/video-001.png"));
  EXPECT_EQ(known.For(doc), nullptr);
}
