// SPDX-License-Identifier: GPL-3.0-or-later
// Projects (.ora) from the window and the batch mode: Save As and Save keep the layers and the
// warp, opening brings them back with a fresh history, a flat save says what it merged, and a
// broken project leaves the document alone.

#include "LayerFixture.h"
#include "codecs/FileIO.h"
#include "document/PictureFiles.h"
#include "document/project/ProjectFile.h"

#include <QStatusBar>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace gs;

namespace {

const std::string kAstronaut = GS_TESTDATA_DIR "/faces/astronaut.png";

bool Warped(const TVectorMap& mesh) {
  return !mesh.Empty() && std::any_of(mesh.Row(0), mesh.Row(0) + size_t(mesh.Width()) * size_t(mesh.Height()),
                                      [](TFixedVector v) { return v.X != 0 || v.Y != 0; });
}

using StudioProjectTest = test::TLayerFixture;

TEST_F(StudioProjectTest, SaveAndOpenKeepLayersAndWarpAndSaveWritesTheProjectAgain) {
  const std::string project = Dir_.Path("work.ora");
  Run("tool warp\nstroke 60,60 80,70 hold 3\nclipart " + Dir_.Path("art.png") + "\ntext 20 | Hello\n");
  ASSERT_EQ(Doc().Layers().size(), 2u);
  ASSERT_TRUE(Warped(Doc().MeshTransformation.VectorMap()));
  const TBitmap32 view = Doc().ViewBitmap;
  Run("saveas " + project);
  EXPECT_EQ(Doc().Layers().size(), 2u);  // nothing merged
  EXPECT_FALSE(Doc().History.Modified());
  EXPECT_EQ(Doc().DocumentFileName(), project);
  Run("text 12 | More\nsave\n");
  EXPECT_EQ(Doc().Layers().size(), 3u);
  EXPECT_FALSE(Doc().History.Modified());

  Run("open " + Dir_.Path("photo.bmp") + "\nopen " + project + "\n");
  ASSERT_EQ(Doc().Layers().size(), 3u);
  EXPECT_EQ(Doc().ViewBitmap, view);
  ASSERT_TRUE(Doc().Layers()[1]->Text.has_value());
  EXPECT_EQ(Doc().Layers()[1]->Text->Text, "Hello");
  EXPECT_EQ(Doc().History.Count(), 0);
  EXPECT_EQ(Doc().History.StartName, "Open");
  EXPECT_EQ(Studio_->RecentFiles().Files().front(), project);
  // The layers to pick up and move, and the warp to take back.
  const TFloatRect top = Doc().Layers()[2]->Location;
  Run("press left 100,80\nmove 110,85\nrelease\n");
  EXPECT_EQ(Doc().Layers()[2]->Location, (TFloatRect{top.Left + 10, top.Top + 5, top.Right + 10, top.Bottom + 5}));
  EXPECT_TRUE(Warped(Doc().MeshTransformation.VectorMap()));
  Run("resetwarp\n");
  EXPECT_FALSE(Warped(Doc().MeshTransformation.VectorMap()));
  EXPECT_EQ(Doc().SourceBitmap, Photo_);
}

TEST_F(StudioProjectTest, AFlatSaveThatMergesLayersSaysHowToKeepThem) {
  Run("saveas " + Dir_.Path("plain.png"));
  EXPECT_TRUE(Studio_->statusBar()->currentMessage().isEmpty());
  Run("clipart " + Dir_.Path("art.png") + "\nsaveas " + Dir_.Path("flat.png"));
  EXPECT_TRUE(Doc().Layers().empty());
  EXPECT_EQ(Studio_->statusBar()->currentMessage().toStdString(), kLayersMergedMessage);
}

TEST_F(StudioProjectTest, ABrokenProjectLeavesTheDocumentAsItWas) {
  Run("clipart " + Dir_.Path("art.png"));
  const std::string broken = Dir_.Path("broken.ora");
  WriteFileBytes(broken, TBytes{'P', 'K', 3, 4, 'n', 'o', 't', ' ', 'r', 'e', 'a', 'l', 'l', 'y'});
  EXPECT_NE(Fails("open " + broken).find("The project cannot be opened"), std::string::npos);
  EXPECT_EQ(Doc().Layers().size(), 1u);
  EXPECT_EQ(Doc().DocumentFileName(), Dir_.Path("photo.bmp"));
  EXPECT_EQ(Doc().SourceBitmap, Photo_);
}

TEST_F(StudioProjectTest, FaceSculptGoesOnFromTheFacesTheProjectCarries) {
  Run("open " + kAstronaut);
  const std::vector<TFace> faces = Studio_->FindFaces();
  ASSERT_FALSE(faces.empty());
  // A picture where no search finds a face, in a project that says where one is.
  TDocument stripes;
  stripes.Open(TLoadedPicture{test::Stripes(512, 512)});
  WriteFileBytes(Dir_.Path("stripes.ora"), EncodeProject(stripes, faces));
  Run("open " + Dir_.Path("stripes.ora") + "\nsculpt eyesize=80\n");
  ASSERT_EQ(Doc().History.Count(), 1);
  EXPECT_EQ(Doc().History.Step(1).Name, "Face Sculpt");
  EXPECT_NE(Doc().ViewBitmap, stripes.ViewBitmap);
  // The bent faces stay with the project through a step that leaves the picture as it was.
  Run("text 12 | Hi\nsaveas " + Dir_.Path("again.ora"));
  std::ostringstream notes;
  EXPECT_EQ(ReadProjectFile(Dir_.Path("again.ora"), notes).Faces.size(), faces.size());
}

}  // namespace
