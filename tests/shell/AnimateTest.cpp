// Tools > Animate Caricature...: the command, its dialog and preview, the progress window's
// Escape, the batch command, and the written file as an independent GIF reader sees it.

#include "shell/AnimateDialog.h"

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "shell/ProgressForm.h"
#include "shell/ToolsForm.h"

#include <QAction>
#include <QCheckBox>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

using namespace gs;

namespace {

// The mean difference per channel between a decoded frame and a picture of the same size.
double MeanDifference(const QImage& frame, const TBitmap32& picture) {
  const QImage argb = frame.convertToFormat(QImage::Format_ARGB32);
  double sum = 0;
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const QRgb a = argb.pixel(x, y);
      const TColor32 b = picture.Pixel(x, y);
      sum += std::abs(qRed(a) - RedOf(b)) + std::abs(qGreen(a) - GreenOf(b)) +
             std::abs(qBlue(a) - BlueOf(b));
    }
  }
  return sum / (3.0 * picture.Width() * picture.Height());
}

class AnimateTest : public test::TStudioFixture {
protected:
  AnimateTest() {
    WriteFileBytes(Dir_.Path("face.bmp"), EncodeBmp32(test::Stripes(96, 72)));
  }
  void OpenAndBend() {
    Run("open " + Dir_.Path("face.bmp") + "\nzoom original\ntool warp\nsize 40\n"
        "stroke 30,30 hold 6\nstroke 60,40 70,45 75,50\n");
    ASSERT_FALSE(Doc().MeshTransformation.VectorMap().IsIdentity()) << "the strokes did not warp";
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Dir_.Path("")))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  TAnimateDialog& Dialog() {
    if (!Studio_->AnimateDialog) Studio_->AnimateDialog = new TAnimateDialog(Studio_.get());
    return *Studio_->AnimateDialog;
  }
};

}  // namespace

TEST_F(AnimateTest, CommandFollowsChangeBackgroundAndWaitsForAPicture) {
  const QList<QAction*> actions = Studio_->ToolsMenu->actions();
  const qsizetype at = actions.indexOf(Studio_->ChangeBackground1);
  ASSERT_GE(at, 0);
  ASSERT_LT(at + 1, actions.size());
  EXPECT_EQ(actions[at + 1], Studio_->mAnimateCaricature);
  EXPECT_EQ(Studio_->mAnimateCaricature->text(), QStringLiteral("Animate Caricature..."));
  EXPECT_FALSE(Studio_->mAnimateCaricature->isEnabled());
  QToolButton* button = Studio_->ToolsForm->sbtnAnimateCaricature;
  EXPECT_EQ(button->toolTip(), QStringLiteral("Animate Caricature"));
  EXPECT_FALSE(button->isHidden());

  Run("open " + Dir_.Path("face.bmp"));
  EXPECT_TRUE(Studio_->mAnimateCaricature->isEnabled());
  // The palette button runs the command: with nothing bent yet it says so.
  button->click();
  ASSERT_EQ(Dialogs_.Messages().size(), 1u);
  EXPECT_EQ(Dialogs_.Messages().front(), kNothingToAnimate);
  EXPECT_EQ(Files(), std::vector<std::string>{"face.bmp"});
}

TEST_F(AnimateTest, NothingToAnimateOnceAPixelToolBakedTheWarp) {
  OpenAndBend();
  Run("tool eraser");
  EXPECT_NE(Fails("animate 12 8 " + Dir_.Path("baked.gif")).find(kNothingToAnimate), std::string::npos);
  EXPECT_EQ(Files(), std::vector<std::string>{"face.bmp"});
}

TEST_F(AnimateTest, BatchWritesAGifThatQtReadsFrameByFrame) {
  OpenAndBend();
  const TBitmap32 source = Doc().SourceBitmap;
  const TBitmap32 view = Doc().ViewBitmap;
  Run("animate 12 8 " + Dir_.Path("bent.gif") + "\nanimate 5 20 " + Dir_.Path("once.gif") +
      " once forward\n");

  QImageReader reader(QString::fromStdString(Dir_.Path("bent.gif")));
  ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
  EXPECT_EQ(reader.imageCount(), 22);
  EXPECT_EQ(reader.loopCount(), -1);  // for ever
  std::vector<QImage> frames;
  while (reader.canRead() && frames.size() < 30) {
    const QImage frame = reader.read();
    ASSERT_FALSE(frame.isNull()) << frames.size() << ": " << reader.errorString().toStdString();
    EXPECT_EQ(frame.size(), QSize(96, 72));
    EXPECT_EQ(reader.nextImageDelay(), 80);  // how long the frame just read stays
    frames.push_back(frame);
  }
  ASSERT_EQ(frames.size(), 22u);
  // From the photo to the working picture and back, through the shared colour table.
  EXPECT_LT(MeanDifference(frames[0], source), MeanDifference(frames[0], view));
  EXPECT_LT(MeanDifference(frames[11], view), MeanDifference(frames[11], source));
  EXPECT_EQ(frames[12], frames[10]);
  EXPECT_EQ(frames[21], frames[1]);

  QImageReader once(QString::fromStdString(Dir_.Path("once.gif")));
  EXPECT_EQ(once.imageCount(), 5);
  EXPECT_EQ(once.loopCount(), 0);
  EXPECT_FALSE(once.read().isNull());
  EXPECT_EQ(once.nextImageDelay(), 200);
  // The document is as it was: the animation only reads it.
  EXPECT_TRUE(Doc().SourceBitmap == source);
  EXPECT_TRUE(Doc().ViewBitmap == view);
}

TEST_F(AnimateTest, BatchRefusesBadArgumentsWithTheirReason) {
  OpenAndBend();
  EXPECT_NE(Fails("animate 12 8").find("animate needs FRAMES DELAY PATH"), std::string::npos);
  EXPECT_NE(Fails("animate 61 8 " + Dir_.Path("a.gif")).find("Frames must be a whole number from 2 to 60"),
            std::string::npos);
  EXPECT_NE(Fails("animate 12 x " + Dir_.Path("a.gif")).find("Frame delay must be a whole number"),
            std::string::npos);
  EXPECT_NE(Fails("animate 12 8 " + Dir_.Path("a.png")).find("does not end in .gif"), std::string::npos);
  EXPECT_EQ(Files(), std::vector<std::string>{"face.bmp"});
  // A path with blanks, and one without an extension, which gets ".gif".
  Run("animate 3 8 " + Dir_.Path("my face") + " forward");
  EXPECT_EQ(Files(), (std::vector<std::string>{"face.bmp", "my face.gif"}));
}

TEST_F(AnimateTest, CancelLeavesDocumentAndFolderAlone) {
  OpenAndBend();
  const TBitmap32 view = Doc().ViewBitmap;
  const TVectorMap mesh = Doc().MeshTransformation.VectorMap();
  Dialogs_.AnswerForm(TFormAnswer{"Animate Caricature", {{"Save As...", Dir_.Path("no.gif")}}, false});
  Studio_->mAnimateCaricatureClick();
  EXPECT_TRUE(Dialogs_.Messages().empty());
  EXPECT_FALSE(Dialogs_.HasPendingAnswers());
  EXPECT_EQ(Files(), std::vector<std::string>{"face.bmp"});
  EXPECT_TRUE(Doc().ViewBitmap == view);
  EXPECT_TRUE(Doc().MeshTransformation.VectorMap() == mesh);
  EXPECT_EQ(Dialog().PreviewFrameCount(), 0);  // the preview's pictures are let go
}

TEST_F(AnimateTest, EscapeWhileFramesRenderWritesNothing) {
  OpenAndBend();
  WriteFileBytes(Dir_.Path("keep.gif"), TBytes{'o', 'l', 'd'});
  Dialogs_.AnswerForm(TFormAnswer{"Animate Caricature", {{"Save As...", Dir_.Path("keep.gif")}}, true});
  QCoreApplication::postEvent(Studio_->ProgressForm,
                              new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  Studio_->mAnimateCaricatureClick();
  EXPECT_TRUE(Dialogs_.Messages().empty());
  EXPECT_FALSE(Studio_->ProgressForm->isVisible());
  EXPECT_EQ(Files(), (std::vector<std::string>{"face.bmp", "keep.gif"}));
  EXPECT_EQ(ReadFileBytes(Dir_.Path("keep.gif")), (TBytes{'o', 'l', 'd'}));
}

TEST_F(AnimateTest, DialogOffersTheRangesAndAsksForAGifFile) {
  TAnimateDialog& dialog = Dialog();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Animate Caricature"));
  EXPECT_EQ(dialog.seFrames->minimum(), 2);
  EXPECT_EQ(dialog.seFrames->maximum(), 60);
  EXPECT_EQ(dialog.seFrames->value(), 12);
  EXPECT_EQ(dialog.seDelay->minimum(), 2);
  EXPECT_EQ(dialog.seDelay->maximum(), 1000);
  EXPECT_EQ(dialog.seDelay->value(), 8);
  EXPECT_TRUE(dialog.cbLoop->isChecked());
  EXPECT_TRUE(dialog.cbBackAndForth->isChecked());

  Dialogs_.AnswerFile(std::nullopt);
  dialog.btnSaveAs->click();
  ASSERT_EQ(Dialogs_.FileRequests().size(), 1u);
  const TFileDialogRequest& request = Dialogs_.FileRequests().front();
  EXPECT_EQ(request.Filter, "CompuServe GIF Image (*.gif)|*.gif");
  EXPECT_EQ(request.DefaultExt, "gif");
  EXPECT_TRUE(request.OverwritePrompt);
  EXPECT_TRUE(dialog.OutputPath().empty());

  // Ok without a file asks for one; cancelling that keeps the dialog open, unconfirmed.
  Dialogs_.AnswerFile(std::nullopt);
  EXPECT_FALSE(dialog.AnswerScripted(TFormAnswer{"Animate Caricature", {{"Frames", "4"}}, true}));
  EXPECT_EQ(Dialogs_.FileRequests().size(), 2u);
  Dialogs_.AnswerFile(Dir_.Path("chosen.gif"));
  EXPECT_TRUE(dialog.AnswerScripted(TFormAnswer{"Animate Caricature", {{"Play back and forth", "off"}}, true}));
  EXPECT_EQ(dialog.OutputPath(), Dir_.Path("chosen.gif"));
  const TAnimationSettings settings = dialog.Settings();
  EXPECT_EQ(settings.Frames, 4);
  EXPECT_FALSE(settings.BackAndForth);
  EXPECT_TRUE(settings.Loop);
  EXPECT_THROW(dialog.AnswerScripted(TFormAnswer{"Animate Caricature", {{"Loop animation", "yes"}}, true}),
               Exception);
  EXPECT_THROW(dialog.AnswerScripted(TFormAnswer{"Animate Caricature", {{"Speed", "1"}}, true}), Exception);
}

TEST_F(AnimateTest, PreviewPlaysEveryFrameAtTheChosenSpeed) {
  OpenAndBend();
  TAnimateDialog& dialog = Dialog();
  dialog.seFrames->setValue(4);
  dialog.seDelay->setValue(25);
  dialog.cbLoop->setChecked(true);
  dialog.cbBackAndForth->setChecked(true);
  dialog.Prepare(SceneOf(Doc()));
  EXPECT_EQ(dialog.PreviewTimer->interval(), 250);
  EXPECT_TRUE(dialog.PreviewTimer->isActive());
  ASSERT_EQ(dialog.PreviewFrameCount(), 4);
  EXPECT_LE(dialog.PreviewFrames().front().Width(), kPreviewSide);
  EXPECT_FALSE(dialog.PreviewFrames().front() == dialog.PreviewFrames().back());
  std::vector<int> shown{dialog.ShownFrame()};
  for (int i = 0; i < 7; ++i) {
    dialog.PreviewTimerTimer();
    shown.push_back(dialog.ShownFrame());
  }
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 2, 1, 0, 1}));
  EXPECT_FALSE(dialog.imgPreview->pixmap().isNull());

  // Changing the count renders the preview again; without looping it stops on the last frame.
  dialog.seFrames->setValue(3);
  EXPECT_EQ(dialog.PreviewFrameCount(), 3);
  dialog.cbBackAndForth->setChecked(false);
  dialog.cbLoop->setChecked(false);
  for (int i = 0; i < 5; ++i) dialog.PreviewTimerTimer();
  EXPECT_EQ(dialog.ShownFrame(), 2);
  EXPECT_FALSE(dialog.PreviewTimer->isActive());
  dialog.seDelay->setValue(1000);
  EXPECT_EQ(dialog.PreviewTimer->interval(), 10000);
  dialog.Release();
  EXPECT_EQ(dialog.PreviewFrameCount(), 0);
}

TEST_F(AnimateTest, StrokesOnTheFaceOutliveALayerToolAndLayersShowOnEveryFrame) {
  OpenAndBend();
  const TBitmap32 bent = Doc().ViewBitmap;
  WriteFileBytes(Dir_.Path("badge.bmp"), EncodeBmp32(TBitmap32(12, 12, 0xFF0000FFu)));
  Run("clipart " + Dir_.Path("badge.bmp") + "\ntool rotatelayer\n");
  ASSERT_EQ(Doc().ToolMode, TToolMode::ArrangeLayers);
  Run("animate 4 8 " + Dir_.Path("badge.gif"));
  EXPECT_TRUE(Doc().ViewBitmap == bent);
  ASSERT_EQ(Doc().Layers.size(), 1u);
  const TRect at = TruncatedRect(Doc().Layers[0]->Location);
  QImageReader reader(QString::fromStdString(Dir_.Path("badge.gif")));
  EXPECT_EQ(reader.imageCount(), 6);
  for (int i = 0; i < 6; ++i) {
    const QImage frame = reader.read();
    ASSERT_FALSE(frame.isNull());
    EXPECT_EQ(frame.pixel((at.Left + at.Right) / 2, (at.Top + at.Bottom) / 2), 0xFF0000FFu) << i;
  }
}
