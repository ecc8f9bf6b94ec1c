// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/project/ProjectFile.h"

#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "common/Errors.h"
#include "document/Document.h"
#include "document/Layers.h"
#include "document/Pointer.h"
#include "document/TestFiles.h"
#include "document/project/ZipArchive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <zlib.h>

using namespace gs;

namespace {

TBytes Bytes(const std::string& text) { return TBytes(text.begin(), text.end()); }

// The cells, or none when the map is all zero: a mesh that was never bent proves nothing.
std::vector<TFixedVector> Cells(const TVectorMap& map) {
  if (map.Empty()) return {};
  std::vector<TFixedVector> cells(map.Row(0), map.Row(0) + size_t(map.Width()) * size_t(map.Height()));
  if (std::all_of(cells.begin(), cells.end(), [](TFixedVector v) { return v == TFixedVector{}; })) return {};
  return cells;
}

TFace FaceAt(double x, double y) {
  TFace face;
  face.Box = TFloatRect{x - 20, y - 20, x + 20, y + 20};
  for (int k = 0; k < TFace::kPointCount; ++k) face.Points[size_t(k)] = TPointF{x + k * 0.37, y - k * 0.21};
  return face;
}

class ProjectFileTest : public ::testing::Test {
protected:
  // A warped photo with a turned clipart, a warped bubble and a text layer, and two faces.
  ProjectFileTest() {
    TLoadedPicture loaded{test::Stripes(120, 90)};
    loaded.TransparentColor = 0x00123456;
    Doc.Open(std::move(loaded));
    Doc.ZoomPercent = 100;
    Doc.Brushes.SetSize(30);
    Doc.Brushes.Choose(TToolMode::Warp);
    const TButtons left{true, false, false};
    Doc.Brushes.Press(TPointer{TPointF{40, 40}, left, false});
    Doc.Brushes.Move(TPointer{TPointF{55, 48}, left, false});
    Doc.Brushes.Tick();
    Doc.Brushes.Release();
    // A clear pixel keeps the colour under it, and a faint one its alpha.
    Doc.ViewBitmap.SetPixel(3, 4, 0x00ABCDEF);
    Doc.ViewBitmap.SetPixel(5, 4, 0x40123456);

    auto clipart = std::make_unique<TRotatableLayer>(test::Swatch(20, 10));
    clipart->Location = TFloatRect{10.5, 12.25, 30.5, 22.25};
    clipart->Rotate(30);
    Doc.AddLayer(std::move(clipart), TLayerBmp(test::Swatch(20, 10)));
    auto bubble = std::make_unique<TRotatableLayer>(test::Stripes(16, 16));
    bubble->Location = TFloatRect{-5, 60, 27, 92};  // stretched, and past the picture's edges
    TLayerBmp record(test::Stripes(16, 16));
    record.Warp.VectorMap().Vector(7, 9) = TFixedVector{-3 << 16, 70000};
    Doc.AddLayer(std::move(bubble), std::move(record));
    auto text = std::make_unique<TRotatableLayer>(test::Swatch(30, 12, 0x80FF0000));
    text->Location = TFloatRect{70, 5, 100, 17};
    text->Visible = false;
    text->Text = TLayerText{"Tsch\xC3\xBC\xC3\x9F <&> \"!\"", "DejaVu Sans", 24, true, false, true, false, 0x00336699};
    Doc.AddLayer(std::move(text), TLayerBmp(test::Swatch(30, 12, 0x80FF0000)));
    Faces = {FaceAt(50, 40), FaceAt(90, 60)};
  }

  TDocument Doc;
  std::vector<TFace> Faces;
};

TEST_F(ProjectFileTest, OpensAgainWithPixelsMeshesPlacementsTextsAndFaces) {
  std::ostringstream notes;
  TProject project = DecodeProject(EncodeProject(Doc, Faces), notes);
  EXPECT_FALSE(project.Foreign);
  ASSERT_EQ(project.Faces.size(), Faces.size());
  for (size_t i = 0; i < Faces.size(); ++i) {
    EXPECT_EQ(project.Faces[i].Box.Left, Faces[i].Box.Left);
    EXPECT_EQ(project.Faces[i].Points, Faces[i].Points);
  }
  TDocument opened;
  opened.Open(TLoadedPicture{test::Swatch(5, 5)});  // the picture before, which goes
  OpenProject(opened, std::move(project), "/work/face.ora");

  EXPECT_EQ(opened.SourceBitmap, Doc.SourceBitmap);
  EXPECT_EQ(opened.ViewBitmap, Doc.ViewBitmap);
  ASSERT_FALSE(Cells(Doc.MeshTransformation.VectorMap()).empty());
  EXPECT_EQ(Cells(opened.MeshTransformation.VectorMap()), Cells(Doc.MeshTransformation.VectorMap()));
  EXPECT_EQ(opened.TransparentColor, Doc.TransparentColor);
  ASSERT_EQ(opened.Layers().size(), 3u);
  EXPECT_FALSE(Cells(opened.LayerRecords()[1].Warp.VectorMap()).empty());
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const TRotatableLayer &a = *opened.Layers()[i], &b = *Doc.Layers()[i];
    EXPECT_EQ(a.Bitmap, b.Bitmap);
    EXPECT_EQ(a.Location, b.Location);
    EXPECT_EQ(a.Unrotated.has_value(), b.Unrotated.has_value());
    if (a.Unrotated && b.Unrotated) {
      EXPECT_EQ(*a.Unrotated, *b.Unrotated);
    }
    EXPECT_EQ(a.Angle, b.Angle);
    EXPECT_EQ(a.Visible, b.Visible);
    EXPECT_EQ(a.Text, b.Text);
    EXPECT_EQ(opened.LayerRecords()[i].Picture, Doc.LayerRecords()[i].Picture);
    EXPECT_EQ(Cells(opened.LayerRecords()[i].Warp.VectorMap()), Cells(Doc.LayerRecords()[i].Warp.VectorMap()));
  }
  // A fresh history that starts from the opened project, nothing unsaved, named after the file.
  EXPECT_EQ(opened.History.Count(), 0);
  EXPECT_EQ(opened.History.StartName, "Open");
  EXPECT_FALSE(opened.History.Modified());
  EXPECT_EQ(opened.DocumentFileName(), "/work/face.ora");
  EXPECT_EQ(opened.OpenedFileName(), "/work/face.ora");
  EXPECT_TRUE(notes.str().empty()) << notes.str();
}

// Projects written before the view was left to the picture's PNG kept it in our own copy: they
// open with that view, whatever the PNG holds.
TEST_F(ProjectFileTest, AProjectWhoseCopyHoldsTheViewOpensWithIt) {
  const TBytes now = EncodeProject(Doc, Faces);
  TZipReader read(now, TZipLimits{});
  TZipWriter older;
  for (const std::string& name : read.Names()) {
    TBytes bytes = read.Read(name);
    if (name == "data/grimacer/document.gsrec") {
      TRecoveryCopy copy;
      TakeRecoverySnapshot(Doc, copy);
      bytes = EncodeRecovery(copy);
    } else if (name == "stack.xml") {
      std::string stack(bytes.begin(), bytes.end());
      const size_t version = stack.find("grimacer:version=\"");
      ASSERT_NE(version, std::string::npos);
      stack.replace(version, 20, "grimacer:version=\"1\"");
      bytes = Bytes(stack);
    } else if (name == "data/picture.png") {
      bytes = EncodePng(test::Stripes(120, 90), std::nullopt);
    }
    older.Add(name, std::move(bytes), name == "mimetype" ? TZipCompression::Store : TZipCompression::Deflate);
  }
  std::ostringstream notes;
  TDocument opened;
  OpenProject(opened, DecodeProject(older.Finish(), notes), "/work/face.ora");
  EXPECT_EQ(opened.ViewBitmap, Doc.ViewBitmap);
  ASSERT_EQ(opened.Layers().size(), 3u);
  EXPECT_EQ(opened.Layers()[2]->Text, Doc.Layers()[2]->Text);
}

TEST_F(ProjectFileTest, OtherReadersFindTheBaselineAndTheMergedPictureIsTheFlatSave) {
  test::TScratchFolder folder;
  const std::string ora = folder.Path("face.ora");
  WriteFileBytes(ora, EncodeProject(Doc, Faces));
  if (std::system("python3 -c '' 2>/dev/null") == 0) {
    const std::string check = std::string("python3 ") + GS_SOURCE_DIR + "/../tests/document/project/check_ora.py " + ora + " 3";
    EXPECT_EQ(std::system(check.c_str()), 0) << check;
  }
  TZipReader zip(ora, TZipLimits{});
  const TBytes merged = zip.Read("mergedimage.png");
  FlattenLayers(Doc);
  Doc.WritePicture(folder.Path("flat.png"));
  EXPECT_EQ(merged, ReadFileBytes(folder.Path("flat.png")));
}

TEST(ForeignProject, OpensWithItsLayersAndSaysWhatItFlattened) {
  std::ostringstream notes;
  TProject project = ReadProjectFile(std::string(GS_SOURCE_DIR) + "/../tests/data/ora/foreign.ora", notes);
  EXPECT_TRUE(project.Foreign);
  TDocument doc;
  OpenProject(doc, std::move(project), "foreign.ora");
  // The background is the photo; the rest are layers bottom first.
  ASSERT_EQ(doc.ImageWidth(), 8);
  EXPECT_EQ(doc.SourceBitmap.Pixel(3, 2), 0xFF1E28C8u);
  ASSERT_EQ(doc.Layers().size(), 4u);
  const TRotatableLayer& half = *doc.Layers()[0];
  EXPECT_EQ(half.Location, (TFloatRect{1, 3, 3, 5}));
  EXPECT_EQ(half.Bitmap.Pixel(0, 0), 0x64FF0000u);  // alpha 200 at half opacity
  EXPECT_EQ(doc.Layers()[1]->Location, (TFloatRect{2, 1, 5, 3}));
  EXPECT_EQ(doc.Layers()[1]->Bitmap.Pixel(0, 0), 0xFF001400u);  // green multiplied over (20, 20, 200)
  EXPECT_FALSE(doc.Layers()[2]->Visible);
  EXPECT_EQ(doc.Layers()[3]->Location, (TFloatRect{5, 4, 8, 6}));  // from inside the group
  const std::string said = notes.str();
  EXPECT_NE(said.find("Half is 50 % opaque"), std::string::npos) << said;
  EXPECT_NE(said.find("Multiply blends with svg:multiply, which Grimacer Studio lacks: flattened"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2);
}

// ---- hostile and broken archives ---------------------------------------------------------

TBytes Archive(const std::vector<std::tuple<std::string, TBytes, TZipCompression>>& entries) {
  TZipWriter zip;
  zip.Add("mimetype", Bytes("image/openraster"), TZipCompression::Store);
  for (const auto& [name, bytes, how] : entries) zip.Add(name, bytes, how);
  return zip.Finish();
}

std::string Stack(const std::string& layers, const std::string& size = "w=\"4\" h=\"4\"") {
  return "<image " + size + "><stack>" + layers + "</stack></image>";
}

// A PNG header claiming a size, with no pixels behind it.
TBytes PngHeader(uint32_t w, uint32_t h) {
  TBytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (uint32_t v : {w, h})
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(uint8_t(v >> shift));
  png.insert(png.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});
  return png;
}

TEST(HostileProject, IsRefusedWithItsReason) {
  TDocument doc;
  const TBytes good = EncodeProject([&]() -> TDocument& {
    doc.Open(TLoadedPicture{test::Stripes(64, 48)});
    return doc;
  }(), {});
  const std::string layer = "<layer src=\"data/a.png\" x=\"0\" y=\"0\"/>";
  const struct {
    const char* Name;
    TBytes Bytes;
    const char* Reason;
  } cases[] = {
      {"path traversal", Archive({{"stack.xml", Bytes(Stack("<layer src=\"../../etc/passwd.png\"/>")), TZipCompression::Deflate}}),
       "leaves the archive"},
      {"traversal in the archive's own names",
       Archive({{"stack.xml", Bytes(Stack(layer)), TZipCompression::Deflate},
                {"data/../../evil.png", PngHeader(1, 1), TZipCompression::Store}}),
       "leaves the archive"},
      {"zip bomb", Archive({{"stack.xml", Bytes(Stack(layer)), TZipCompression::Deflate},
                            {"data/a.png", TBytes(size_t(64) << 20, 0), TZipCompression::Deflate}}),
       "zip bomb"},
      {"no stack.xml", Archive({{"data/a.png", PngHeader(1, 1), TZipCompression::Store}}), "no stack.xml"},
      {"a layer larger than the limits", Archive({{"stack.xml", Bytes(Stack(layer)), TZipCompression::Deflate},
                                                  {"data/a.png", PngHeader(40000, 40000), TZipCompression::Store}}),
       "larger than the limits"},
      {"an image larger than the limits",
       Archive({{"stack.xml", Bytes(Stack(layer, "w=\"90000\" h=\"4\"")), TZipCompression::Deflate}}),
       "larger than the limits"},
      {"entity expansion", Archive({{"stack.xml", Bytes("<!DOCTYPE x [<!ENTITY a \"aaaa\">]>" + Stack(layer)),
                                     TZipCompression::Deflate}}),
       "document type"},
      {"truncated", TBytes(good.begin(), good.begin() + ptrdiff_t(good.size() / 2)), "not a zip archive"},
      {"not a zip", Bytes("GIF89a and nothing else"), "not a zip archive"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    std::ostringstream notes;
    try {
      DecodeProject(c.Bytes, notes);
      ADD_FAILURE() << "accepted";
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find(c.Reason), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("The project cannot be opened: ", 0), 0u) << e.what();
    }
  }
}

}  // namespace
