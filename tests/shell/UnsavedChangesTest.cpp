// SPDX-License-Identifier: GPL-3.0-or-later
// The question about unsaved changes: asked wherever the picture would be closed or replaced,
// its three answers kept to, and a failed Save As that changes nothing.

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace gs;

namespace {

class UnsavedChangesTest : public test::TStudioFixture {
protected:
  UnsavedChangesTest() {
    WriteFileBytes(Dir_.Path("face.bmp"), EncodeBmp32(test::Stripes(80, 60)));
    WriteFileBytes(Dir_.Path("other.bmp"), EncodeBmp32(TBitmap32(30, 20, 0xFF102030)));
  }
  // The face warped by a stroke, with a person at the window.
  void OpenAndWarp() {
    ShowNewWindow();
    Run("open " + Dir_.Path("face.bmp") + "\ntool warp\nsize 31\nstroke 30,30 45,30 hold 2\n");
    Studio_->SetBatchMode(false);
    Photo_ = ReadFileBytes(Dir_.Path("face.bmp"));
    Warped_ = Doc().ViewBitmap;
  }
  void Drop(const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    // Qt delivers a drop to the widget that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Studio_.get(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Studio_.get(), &drop);
  }

  TBytes Photo_;
  TBitmap32 Warped_;
};

}  // namespace

TEST_F(UnsavedChangesTest, EveryWayOfClosingThePictureAsksAndKeepsToTheAnswer) {
  const std::string other = Dir_.Path("other.bmp");
  const struct {
    const char* Way;
    std::function<void()> Act;
    bool Closes;  // the window goes away; otherwise another picture (or the file's) comes in
  } ways[] = {
      {"close", [this] { Studio_->close(); }, true},
      {"quit", [this] { Trigger("mExit"); }, true},
      {"open", [&, this] {
         Dialogs_.AnswerFile(other);
         Trigger("mOpenImage");
       }, false},
      {"recent", [&, this] { Studio_->OpenRecentFile(other); }, false},
      {"drop", [&, this] { Drop(other); }, false},
      {"restore", [this] { Trigger("Restore1"); }, false},
  };
  for (const auto& way : ways) {
    for (TSaveChanges answer : {TSaveChanges::Cancel, TSaveChanges::Discard, TSaveChanges::Save}) {
      const char* said[] = {"Save", "Discard", "Cancel"};
      const std::string context = std::string(way.Way) + " answered " + said[int(answer)];
      OpenAndWarp();
      ASSERT_TRUE(Studio_->isWindowModified()) << context;
      const size_t asked = Dialogs_.Questions().size();
      Dialogs_.AnswerSaveChanges(answer);
      way.Act();
      ASSERT_EQ(Dialogs_.Questions().size(), asked + 1) << context;
      EXPECT_EQ(Dialogs_.Questions().back(), "Save changes to face.bmp before closing?") << context;
      EXPECT_TRUE(Dialogs_.Messages().empty()) << context << ": " << Dialogs_.Messages().front();
      const bool saved = answer == TSaveChanges::Save;
      // Save writes the warped face over the photo; the other answers leave the file alone.
      EXPECT_EQ(ReadFileBytes(Dir_.Path("face.bmp")) != Photo_, saved) << context;
      if (saved) {
        EXPECT_EQ(DecodeBmp(ReadFileBytes(Dir_.Path("face.bmp"))).Bitmap, Warped_) << context;
      }
      if (answer == TSaveChanges::Cancel) {
        EXPECT_TRUE(Studio_->isVisible()) << context;
        EXPECT_EQ(Doc().ViewBitmap, Warped_) << context;
        EXPECT_TRUE(Doc().History.Modified()) << context;
        Dialogs_.ClearPendingAnswers();  // the open dialog's answer, never asked for
      } else if (way.Closes) {
        EXPECT_FALSE(Studio_->isVisible()) << context;
      } else if (std::string(way.Way) == "restore") {
        // Back to what the file holds now, which is the warped face once it was saved.
        EXPECT_EQ(Doc().ViewBitmap, saved ? Warped_ : DecodeBmp(Photo_).Bitmap) << context;
        EXPECT_FALSE(Studio_->isWindowModified()) << context;
      } else {
        EXPECT_EQ(Doc().DocumentFileName(), other) << context;
        EXPECT_FALSE(Studio_->isWindowModified()) << context;
      }
      WriteFileBytes(Dir_.Path("face.bmp"), Photo_);
    }
  }
}

TEST_F(UnsavedChangesTest, NothingIsAskedWithoutChangesNorInTheBatchMode) {
  OpenAndWarp();
  Trigger("mSaveImage");
  EXPECT_FALSE(Studio_->isWindowModified());
  Trigger("StepBackward1");  // back to the photo: no longer what the file holds
  EXPECT_TRUE(Studio_->isWindowModified());
  Trigger("StepForward1");
  EXPECT_FALSE(Studio_->isWindowModified());
  Studio_->OpenRecentFile(Dir_.Path("other.bmp"));
  EXPECT_TRUE(Dialogs_.Questions().empty());

  OpenAndWarp();
  Studio_->SetBatchMode(true);
  Studio_->close();
  EXPECT_FALSE(Studio_->isVisible());
  EXPECT_TRUE(Dialogs_.Questions().empty());
}

TEST_F(UnsavedChangesTest, ASaveThatFailsKeepsTheWindowOpen) {
  OpenAndWarp();
  // A folder where the picture was: the save cannot replace it, whoever runs the test.
  std::filesystem::remove(Dir_.Path("face.bmp"));
  std::filesystem::create_directory(Dir_.Path("face.bmp"));
  Dialogs_.AnswerSaveChanges(TSaveChanges::Save);
  Studio_->close();
  EXPECT_TRUE(Studio_->isVisible());
  ASSERT_EQ(Dialogs_.Messages().size(), 1u);
  EXPECT_NE(Dialogs_.Messages().front().find("face.bmp"), std::string::npos);
  EXPECT_TRUE(Studio_->isWindowModified());
  EXPECT_EQ(Doc().ViewBitmap, Warped_);
  Dialogs_.ClearMessages();
}

TEST_F(UnsavedChangesTest, AQuestionThatFailsKeepsTheWindowOpen) {
  OpenAndWarp();
  // Nobody prepared to answer: asking fails, and the window must not close unasked.
  Studio_->close();
  EXPECT_TRUE(Studio_->isVisible());
  EXPECT_EQ(Doc().ViewBitmap, Warped_);
  Dialogs_.ClearMessages();
}

TEST_F(UnsavedChangesTest, AFailedSaveAsChangesNothing) {
  WriteFileBytes(Dir_.Path("art.bmp"), EncodeBmp32(TBitmap32(12, 8, 0xFF00C000)));
  OpenAndWarp();
  Run("clipart " + Dir_.Path("art.bmp") + "\n");
  const QString caption = Studio_->windowTitle();
  const int steps = Doc().History.Count();
  const TBitmap32 view = Doc().ViewBitmap;
  // The GIF target would bake the warp and merge the layer; the folder is not there.
  for (const char* target : {"missing/face.gif", "missing/face.png"}) {
    Dialogs_.AnswerFile(Dir_.Path(target));
    Trigger("saveas1");
    ASSERT_EQ(Dialogs_.Messages().size(), 1u) << target;
    Dialogs_.ClearMessages();
    EXPECT_EQ(Doc().DocumentFileName(), Dir_.Path("face.bmp")) << target;
    EXPECT_EQ(Studio_->windowTitle(), caption) << target;
    EXPECT_EQ(Doc().Layers().size(), 1u) << target;
    EXPECT_FALSE(Doc().MeshTransformation.VectorMap().IsIdentity()) << target;
    EXPECT_EQ(Doc().ViewBitmap, view) << target;
    EXPECT_EQ(Doc().History.Count(), steps) << target;
    EXPECT_FALSE(Doc().SceneBeforeSave.has_value()) << target;
    EXPECT_TRUE(Studio_->isWindowModified()) << target;
  }
  // The next Save still goes to the picture's own file.
  Trigger("mSaveImage");
  EXPECT_TRUE(Dialogs_.Messages().empty());
  EXPECT_TRUE(std::filesystem::exists(Dir_.Path("face.bmp")));
  EXPECT_FALSE(Studio_->isWindowModified());
}
