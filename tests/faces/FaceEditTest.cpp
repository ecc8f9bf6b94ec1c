// SPDX-License-Identifier: GPL-3.0-or-later
// Bending one face of a real photo: the whole move arrives, however much of the frame the face
// fills, and another face beside it stays exactly as it was.
#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"
#include "faces/FaceEdit.h"
#include "faces/finder/FaceFinder.h"
#include "faces/rules/Presets.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace gs;

namespace {

const TFaceFinder& Finder() {
  static const TFaceFinder finder(kDefaultFaceModel);
  return finder;
}

const TBitmap32& Astronaut() {
  static const TBitmap32 picture =
      DecodePicture(".png", ReadFileBytes(GS_TESTDATA_DIR "/faces/astronaut.png")).Bitmap;
  return picture;
}

// The part of the astronaut photo round the face, `room` face sizes either side of its centre.
TBitmap32 AroundTheFace(double room) {
  const TFaceFrame frame = FrameOf(Finder().Find(Astronaut()).at(0));
  const double half = room * frame.Size;
  const TRect cut = Intersect(CoveringRect(TFloatRect{frame.Centre.X - half, frame.Centre.Y - half,
                                                      frame.Centre.X + half, frame.Centre.Y + half}),
                              Astronaut().BoundsRect());
  TBitmap32 part(cut.Width(), cut.Height());
  part.CopyRect(0, 0, Astronaut(), cut);
  return part;
}

double Grey(uint32_t c) { return 0.299 * ((c >> 16) & 255) + 0.587 * ((c >> 8) & 255) + 0.114 * (c & 255); }

struct TBent {
  TBitmap32 Source, View;
  TRemapTransformation Mesh;
  TFaceEditResult Result;
  TBent(const TBitmap32& picture, std::vector<TFace>& faces, TCaricaturePreset preset) : Source(picture), View(picture) {
    Mesh.Bind(Source, View);
    Result = ApplyCaricature(Mesh, Source, View, faces, 0, preset, 1.0);
  }
};

}  // namespace

// A face that fills the frame gets its moves: the border stays pinned, so no hole opens, and
// the landmarks are carried as far as the preset asks wherever the frame leaves them room.
TEST(FaceEdit, AFaceFillingTheFrameGetsEveryPresetWhole) {
  const TBitmap32 closeUp = AroundTheFace(0.75);
  const std::vector<TFace> found = Finder().Find(closeUp);
  ASSERT_EQ(found.size(), 1u);
  for (const TPresetName& preset : CaricaturePresets()) {
    SCOPED_TRACE(preset.Caption);
    std::vector<TFace> faces = found;
    const TBent bent(closeUp, faces, preset.Preset);
    EXPECT_GE(bent.Result.Limit, 0.95);
    for (int y = 0; y < bent.View.Height(); ++y)
      for (int x = 0; x < bent.View.Width(); ++x) ASSERT_EQ(bent.View.Pixel(x, y) >> 24, 0xFFu) << x << ", " << y;
  }
}

// Two faces side by side, the left one's head grown into the other: the other does not change,
// and what could not be delivered is said.
TEST(FaceEdit, TheFaceBesideStaysAsItWas) {
  const TBitmap32 one = AroundTheFace(0.9);
  TBitmap32 two(2 * one.Width(), one.Height());
  two.CopyRect(0, 0, one, one.BoundsRect());
  two.CopyRect(one.Width(), 0, one, one.BoundsRect());
  std::vector<TFace> faces = Finder().Find(two);
  ASSERT_EQ(faces.size(), 2u);
  if (faces[0].Box.Left > faces[1].Box.Left) std::swap(faces[0], faces[1]);
  const TFace right = faces[1];
  const TBent bent(two, faces, TCaricaturePreset::BobbleHead);
  EXPECT_GT(bent.Result.Changed.Width(), 0);
  const TRect box = Intersect(CoveringRect(right.Box), two.BoundsRect());
  double change = 0;
  for (int y = box.Top; y < box.Bottom; ++y)
    for (int x = box.Left; x < box.Right; ++x) change += std::abs(Grey(two.Pixel(x, y)) - Grey(bent.View.Pixel(x, y)));
  EXPECT_LE(change / (box.Width() * box.Height()), 1.5);
  // The right face was carried along unchanged, so the next bend finds it where it is.
  for (int k = 0; k < TFace::kPointCount; ++k) EXPECT_NEAR(Distance(faces[1].Points[size_t(k)], right.Points[size_t(k)]), 0, 0.05);
}

// Turning a preset up never delivers less: every landmark, carried through the bent picture,
// goes at least as far at full strength as at half, and the same way.
TEST(FaceEdit, AStrongerPresetMovesEveryLandmarkFurther) {
  const std::vector<TFace> found = Finder().Find(Astronaut());
  ASSERT_FALSE(found.empty());
  for (const TPresetName& preset : CaricaturePresets()) {
    SCOPED_TRACE(preset.Caption);
    std::vector<TFace> full = found, halfWay = found;
    const TBent bent(Astronaut(), full, preset.Preset);
    TBitmap32 source = Astronaut(), view = Astronaut();
    TRemapTransformation mesh;
    mesh.Bind(source, view);
    ApplyCaricature(mesh, source, view, halfWay, 0, preset.Preset, 0.5);
    for (int k = 0; k < TFace::kPointCount; ++k) {
      const TPointF p = found[0].Points[size_t(k)], h = halfWay[0].Points[size_t(k)], f = full[0].Points[size_t(k)];
      const TPointF moveHalf{h.X - p.X, h.Y - p.Y}, moveFull{f.X - p.X, f.Y - p.Y};
      const double lengthHalf = std::hypot(moveHalf.X, moveHalf.Y), lengthFull = std::hypot(moveFull.X, moveFull.Y);
      EXPECT_GE(lengthFull, lengthHalf - 0.25) << k;
      if (lengthHalf > 0.5) {
        EXPECT_GT(moveHalf.X * moveFull.X + moveHalf.Y * moveFull.Y, 0) << k;
      }
    }
  }
}
