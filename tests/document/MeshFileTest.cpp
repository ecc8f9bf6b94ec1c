// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/MeshFile.h"

#include "common/Errors.h"
#include "document/Document.h"
#include "document/TestFiles.h"

#include <gtest/gtest.h>

using namespace gs;

TEST(MeshFile, ComesBackExactlyAndScalesToAPictureOfAnotherSize) {
  TVectorMap mesh;
  mesh.SetSize(40, 30);
  mesh.Vector(10, 6) = TFixedVector{3 << 16, -(2 << 16)};
  mesh.Vector(39, 29) = TFixedVector{-70000, 12345};
  const TBytes bytes = EncodeMeshFile(mesh);
  EXPECT_EQ(DecodeMeshFile(bytes), mesh);

  // On a picture twice as wide and as high, each cell covers four and pushes twice as far.
  TDocument doc;
  doc.Open(TLoadedPicture{test::Stripes(80, 60)});
  const TBitmap32 photo = doc.ViewBitmap;
  LoadMesh(doc, DecodeMeshFile(bytes));
  const TVectorMap& loaded = doc.MeshTransformation.VectorMap();
  ASSERT_EQ(loaded.Width(), 80);
  for (auto [x, y] : {std::pair{20, 12}, std::pair{21, 13}}) EXPECT_EQ(loaded.Vector(x, y), (TFixedVector{6 << 16, -(4 << 16)}));
  EXPECT_EQ(loaded.Vector(22, 12), TFixedVector{});
  EXPECT_NE(doc.ViewBitmap, photo);
  EXPECT_EQ(doc.ViewBitmap.Pixel(0, 0), photo.Pixel(0, 0));

  for (const TBytes& broken : {TBytes(bytes.begin(), bytes.end() - 3), TBytes{'G', 'S', 'M'}}) {
    EXPECT_THROW(DecodeMeshFile(broken), Exception);
  }
  TBytes huge = bytes;
  huge[8] = 0xFF, huge[9] = 0xFF, huge[10] = 0xFF, huge[11] = 0x00;  // 16 million columns
  EXPECT_THROW(DecodeMeshFile(huge), Exception);
}
