// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/Recovery.h"

#include "common/Errors.h"
#include "common/Limits.h"
#include "document/Document.h"
#include "document/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace gs;

namespace {

class RecoveryTest : public ::testing::Test {
protected:
  // A picture with a warp stroke, a painted view, two layers (one turned, one hidden text layer
  // with a warped record), its own transparent colour and names that differ from one another.
  RecoveryTest() {
    TLoadedPicture loaded{test::Stripes(120, 90)};
    loaded.TransparentColor = 0x00123456;
    loaded.SourceFileName = "/pictures/face.jpg";
    loaded.FileName = "/pictures/face.mfk";
    Doc.Open(std::move(loaded));
    Doc.SetDocumentFileName("/pictures/face-grin.png");
    Doc.ZoomPercent = 100;
    Doc.Brushes.SetSize(30);
    Doc.Brushes.Choose(TToolMode::Warp);
    Doc.History.BeginStroke(Doc);
    const TButtons left{true, false, false};
    Doc.Brushes.Press(TPointer{TPointF{40, 40}, left, false});
    Doc.Brushes.Move(TPointer{TPointF{55, 48}, left, false});
    Doc.Brushes.Tick();
    Doc.Brushes.Release();
    Doc.History.EndStroke(Doc, "Warp");
    Doc.ViewBitmap.SetPixel(3, 4, 0x80FF0000);

    auto turned = std::make_unique<TRotatableLayer>(test::Swatch(20, 10));
    turned->Location = TFloatRect{10.5, 12.25, 30.5, 22.25};
    turned->Rotate(30);
    Doc.AddLayer(std::move(turned), TLayerBmp(test::Swatch(20, 10)));
    auto hidden = std::make_unique<TRotatableLayer>(test::Stripes(16, 16));
    hidden->Location = TFloatRect{-5, 60, 27, 92};
    hidden->Visible = false;
    hidden->Text = TLayerText{"Gr\xC3\xBC\xC3\x9F dich", "DejaVu Serif", 36, false, true, false, true, 0x00336699};
    TLayerBmp record(test::Stripes(16, 16));
    record.Warp.VectorMap().Vector(7, 9) = TFixedVector{-3 << 16, 70000};
    Doc.AddLayer(std::move(hidden), std::move(record));
  }

  TBytes Encoded() {
    TRecoveryCopy copy;
    TakeRecoverySnapshot(Doc, copy);
    return EncodeRecovery(copy);
  }

  TDocument Doc;
};

TEST_F(RecoveryTest, RebuildsTheDocumentExactlyAsANewUnsavedOne) {
  ASSERT_FALSE(Doc.MeshTransformation.VectorMap().IsIdentity()) << "the stroke did not warp";
  const TBytes bytes = Encoded();

  TDocument back;
  back.Open(TLoadedPicture{test::Swatch(30, 30)});
  back.AddLayer(std::make_unique<TRotatableLayer>(test::Swatch(4, 4)), TLayerBmp(test::Swatch(4, 4)));
  OpenRecovery(back, DecodeRecovery(bytes));

  EXPECT_EQ(back.SourceBitmap, Doc.SourceBitmap);
  EXPECT_EQ(back.ViewBitmap, Doc.ViewBitmap);
  EXPECT_EQ(back.ViewBitmap.OuterColor, Doc.ViewBitmap.OuterColor);
  EXPECT_EQ(back.MeshTransformation.VectorMap(), Doc.MeshTransformation.VectorMap());
  EXPECT_EQ(back.ImageWidth(), 120);
  EXPECT_EQ(back.TransparentColor, 0x00123456u);
  EXPECT_EQ(back.DocumentFileName(), "/pictures/face-grin.png");
  EXPECT_EQ(back.SourceFileName(), "/pictures/face.jpg");
  EXPECT_EQ(back.OpenedFileName(), "/pictures/face.mfk");
  EXPECT_TRUE(back.History.Modified());
  EXPECT_EQ(back.History.Count(), 0);
  ASSERT_EQ(back.Layers().size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const TRotatableLayer& a = *Doc.Layers()[i];
    const TRotatableLayer& b = *back.Layers()[i];
    EXPECT_EQ(b.Bitmap, a.Bitmap) << i;
    EXPECT_EQ(b.Bitmap.DrawMode, a.Bitmap.DrawMode) << i;
    EXPECT_EQ(b.Location, a.Location) << i;
    EXPECT_EQ(b.Unrotated, a.Unrotated) << i;
    EXPECT_EQ(b.Angle, a.Angle) << i;
    EXPECT_EQ(b.Visible, a.Visible) << i;
    EXPECT_EQ(b.Text, a.Text) << i;
    EXPECT_EQ(back.LayerRecords()[i].Picture, Doc.LayerRecords()[i].Picture) << i;
    EXPECT_EQ(back.LayerRecords()[i].Warp.VectorMap(), Doc.LayerRecords()[i].Warp.VectorMap()) << i;
    EXPECT_EQ(back.LayerRecords()[i].Warp.MappingRect, Doc.LayerRecords()[i].Warp.MappingRect) << i;
  }
  EXPECT_TRUE(back.Layers()[0]->Unrotated.has_value());
  EXPECT_TRUE(back.Layers()[1]->Text.has_value());
  EXPECT_EQ(DecodeRecoveryHeader(bytes).DocumentFileName, "/pictures/face-grin.png");
}

// The first version of the copy had no texts: the same sections, without any after a layer.
TEST_F(RecoveryTest, ACopyOfTheFirstVersionStillReadsWithItsLayersAsPixels) {
  Doc.Layers()[1]->Text.reset();
  TBytes old = Encoded();
  const uint32_t first = 1;
  std::memcpy(old.data() + 8, &first, sizeof first);  // after the magic
  TDocument back;
  OpenRecovery(back, DecodeRecovery(old));
  ASSERT_EQ(back.Layers().size(), 2u);
  EXPECT_EQ(back.Layers()[1]->Bitmap, Doc.Layers()[1]->Bitmap);
  EXPECT_EQ(back.LayerRecords()[1].Warp.VectorMap(), Doc.LayerRecords()[1].Warp.VectorMap());
  EXPECT_FALSE(back.Layers()[1]->Text.has_value());
}

// A snapshot kept between writes copies only the warped part of each row and clears what is
// no longer warped: later snapshots must still hold the mesh exactly.
TEST_F(RecoveryTest, AKeptSnapshotFollowsTheMeshAsItChanges) {
  TRecoveryCopy copy;
  ReserveRecoverySnapshot(copy, RecoveryShapeOf(Doc));
  TVectorMap& mesh = Doc.MeshTransformation.VectorMap();
  const TVectorMap warped = mesh;
  TakeRecoverySnapshot(Doc, copy);
  EXPECT_EQ(copy.Mesh, mesh);
  // Narrower in some rows, wider in others, gone from the rest, and a lone cell at each end.
  for (int y = 0; y < mesh.Height(); ++y)
    for (int x = 0; x < mesh.Width(); ++x)
      if (y % 3 == 0 || x < 45 || x > 60) mesh.Vector(x, y) = TFixedVector{};
  mesh.Vector(0, 40) = TFixedVector{1, 0};
  mesh.Vector(mesh.Width() - 1, 41) = TFixedVector{0, -1};
  mesh.Vector(17, 89) = TFixedVector{5, 5};
  TakeRecoverySnapshot(Doc, copy);
  EXPECT_EQ(copy.Mesh, mesh);
  mesh = warped;
  TakeRecoverySnapshot(Doc, copy);
  EXPECT_EQ(copy.Mesh, mesh);
  mesh.Clear();
  TakeRecoverySnapshot(Doc, copy);
  EXPECT_TRUE(copy.Mesh.IsIdentity());
}

TEST_F(RecoveryTest, RejectsTruncatedCorruptedAndForgedCopies) {
  const TBytes bytes = Encoded();
  for (size_t length = 0; length < bytes.size(); length += 1 + length / 16)
    EXPECT_THROW(DecodeRecovery(TByteSpan(bytes.data(), length)), Exception) << "cut at " << length;
  TBytes longer = bytes;
  longer.push_back(0);
  EXPECT_THROW(DecodeRecovery(longer), Exception);

  // Any byte broken: the copy is refused or read whole, never anything else.
  for (size_t at = 0; at < bytes.size(); at += 1 + bytes.size() / 300) {
    TBytes broken = bytes;
    broken[at] ^= 0x5A;
    try {
      DecodeRecovery(broken);
    } catch (const Exception&) {
    }
  }
  // A byte inside the source picture's deflated pixels: the stream's checksum catches it.
  const size_t names = 8 + 4;
  uint64_t namesLength;
  std::memcpy(&namesLength, bytes.data() + names + 4, 8);
  const size_t pixels = names + 12 + size_t(namesLength) + 12 + 12 + 8;
  TBytes broken = bytes;
  broken[pixels + 40] ^= 0x01;
  EXPECT_THROW(DecodeRecovery(broken), Exception);

  // A source that claims 30000 x 3000 pixels with a few bytes of data is refused before the
  // 360 MB are allocated.
  TBytes forged(bytes.begin(), bytes.begin() + ptrdiff_t(names + 12 + namesLength + 12));
  const int32_t size[2] = {30000, 3000};
  forged.insert(forged.end(), reinterpret_cast<const uint8_t*>(size), reinterpret_cast<const uint8_t*>(size) + 8);
  forged.insert(forged.end(), bytes.begin() + ptrdiff_t(pixels - 12), bytes.end());
  EXPECT_THROW(DecodeRecovery(forged), Exception);

  // A layer placed at no number at all.
  TRecoveryCopy nowhere;
  TakeRecoverySnapshot(Doc, nowhere);
  nowhere.Layers[1].Location.Right = std::nan("");
  EXPECT_THROW(DecodeRecovery(EncodeRecovery(nowhere)), Exception);

  TBytes wrongMagic = bytes;
  wrongMagic[0] = 'X';
  EXPECT_THROW(DecodeRecoveryHeader(wrongMagic), Exception);
}

// An eraser hides the layers while it paints the picture under them: the copy brings them back
// as they are once the tool is put down.
TEST_F(RecoveryTest, LayersHiddenByAPixelToolComeBackAsTheUserLeftThem) {
  Doc.ToolMode = TToolMode::Eraser;
  Doc.Layers()[0]->Visible = false;
  TDocument back;
  OpenRecovery(back, DecodeRecovery(Encoded()));
  ASSERT_EQ(back.Layers().size(), 2u);
  EXPECT_TRUE(back.Layers()[0]->Visible);
  EXPECT_TRUE(back.Layers()[1]->Visible);
}

// A 100-megapixel picture with a layer as large writes a copy past what a picture file may be:
// such a file is read, to be judged on its contents.
TEST_F(RecoveryTest, ACopyLargerThanAnyPictureFileIsStillRead) {
  test::TScratchFolder folder;
  const std::string path = folder.Path("large.gsr");
  const TBytes bytes = Encoded();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  std::filesystem::resize_file(path, kMaxReadFileBytes + 1);  // sparse: costs no disk
  try {
    ReadRecoveryFile(path);
    ADD_FAILURE() << "a copy with a gigabyte of zeros after its end was taken";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("damaged"), std::string::npos) << e.what();
  }
  EXPECT_GT(MaxRecoveryFileBytes(), uint64_t(4) << 30);
}

}  // namespace
