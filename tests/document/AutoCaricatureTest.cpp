#include "document/AutoCaricature.h"

#include "faces/FaceFinder.h"
#include "document/Document.h"

#include <gtest/gtest.h>

using namespace gs;

TEST(AutoCaricature, IsOneStepThatGoesBackAndForwardExactlyAndNoneAtStrengthZero) {
  TDocument doc;
  doc.Open(ReadPictureFile(GS_TESTDATA_DIR "/faces/astronaut.png"));
  const std::vector<TFace> faces = TFaceFinder(kDefaultFaceModel).Find(doc.ViewBitmap);
  ASSERT_EQ(faces.size(), 1u);
  const int start = doc.History.Count();
  const TBitmap32 before = doc.ViewBitmap;
  // Nothing to do: no step, no change.
  for (auto [face, strength] : {std::pair{0, 0.0}, std::pair{1, 1.0}}) {
    EXPECT_TRUE(ApplyAutoCaricature(doc, faces, face, TCaricaturePreset::Alien, strength).IsEmpty());
    EXPECT_EQ(doc.History.Count(), start);
    EXPECT_EQ(doc.ViewBitmap, before);
    EXPECT_TRUE(doc.MeshTransformation.VectorMap().IsIdentity());
  }

  EXPECT_FALSE(ApplyAutoCaricature(doc, faces, 0, TCaricaturePreset::BigEyes, 1.0).IsEmpty());
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
