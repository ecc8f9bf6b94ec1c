// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > Animate Caricature...: the command, its dialog and preview, the progress window's
// Escape, the batch command, and the written file as an independent GIF reader sees it.

#include "shell/dialogs/AnimateDialog.h"

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/ColorQuantizer.h"
#include "codecs/FileIO.h"
#include "document/BrushTool.h"
#include "document/GifBlocks.h"
#include "document/Transparency.h"
#include "shell/dialogs/ProgressForm.h"
#include "shell/window/ToolsForm.h"

#include <QAction>
#include <QBuffer>
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


// What every shown frame decoded to when the animation stored each frame whole: the frames
// rendered as the animation renders them, each pixel the nearest of at most 255 colours taken
// from every frame as often as it shows, transparent where less than half opaque.
std::vector<QImage> WholeFrames(const TAnimationScene& scene, const TAnimationSettings& settings) {
  TAnimationFrameRenderer renderer(scene);
  std::vector<TBitmap32> frames;
  for (int k = 0; k < settings.Frames; ++k) {
    frames.push_back(renderer.Render(k, settings.Frames));
    FillKeyColour(frames.back(), scene.TransparentColor);
  }
  TColorHistogram colors(std::nullopt, true);
  colors.Add(frames.front());
  colors.Add(frames.back());
  for (int k = 1; k + 1 < settings.Frames; ++k) colors.Add(frames[size_t(k)], settings.BackAndForth ? 2 : 1);
  const TPalette palette = colors.Palette(255);
  TColorMapper mapper(palette);
  std::vector<QImage> shown;
  for (const int k : AnimationOrder(settings.Frames, settings.BackAndForth)) {
    const TBitmap32& frame = frames[size_t(k)];
    QImage image(frame.Width(), frame.Height(), QImage::Format_ARGB32);
    for (int y = 0; y < frame.Height(); ++y)
      for (int x = 0; x < frame.Width(); ++x) {
        const TColor32 pixel = frame.Pixel(x, y);
        image.setPixel(x, y, AlphaOf(pixel) == 0 ? 0u : palette.Colors[mapper.IndexOf(pixel)]);
      }
    shown.push_back(image);
  }
  return shown;
}

// Every frame as Qt's GIF reader composes it: each drawn over what the frames before it left.
std::vector<QImage> DecodedFrames(const TBytes& gif) {
  QByteArray bytes(reinterpret_cast<const char*>(gif.data()), qsizetype(gif.size()));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "gif");
  std::vector<QImage> frames;
  while (reader.canRead() && frames.size() < 200) {
    const QImage frame = reader.read();
    if (frame.isNull()) break;
    frames.push_back(frame.convertToFormat(QImage::Format_ARGB32));
  }
  return frames;
}

// "" when the two agree on every pixel: the same colour, or both transparent.
std::string FirstMismatch(const QImage& decoded, const QImage& expected) {
  if (decoded.size() != expected.size()) return "a frame of another size";
  for (int y = 0; y < expected.height(); ++y)
    for (int x = 0; x < expected.width(); ++x) {
      const QRgb a = decoded.pixel(x, y), b = expected.pixel(x, y);
      if (qAlpha(b) == 0 ? qAlpha(a) != 0 : a != b)
        return std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(a) + " instead of " +
               std::to_string(b);
    }
  return "";
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
    // The window's own, kept with its settings; made here when the window has not made it yet.
    auto* dialog = Studio_->findChild<TAnimateDialog*>(QStringLiteral("AnimateDialog"));
    if (!dialog) {
      dialog = new TAnimateDialog(Studio_.get());
      dialog->setObjectName(QStringLiteral("AnimateDialog"));
    }
    return *dialog;
  }
};

}  // namespace

TEST_F(AnimateTest, CommandFollowsChangeBackgroundAndWaitsForAPicture) {
  const QList<QAction*> actions = Menu("ToolsMenu")->actions();
  const qsizetype at = actions.indexOf(Command("ChangeBackground1"));
  ASSERT_GE(at, 0);
  ASSERT_LT(at + 1, actions.size());
  EXPECT_EQ(actions[at + 1], Command("mAnimateCaricature"));
  EXPECT_EQ(Command("mAnimateCaricature")->text(), QStringLiteral("Animate Caricature..."));
  EXPECT_FALSE(Command("mAnimateCaricature")->isEnabled());
  QToolButton* button = Palette()->Button("sbtnAnimateCaricature");
  EXPECT_EQ(button->toolTip(), QStringLiteral("Animate Caricature"));
  EXPECT_FALSE(button->isHidden());

  Run("open " + Dir_.Path("face.bmp"));
  EXPECT_TRUE(Command("mAnimateCaricature")->isEnabled());
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
  Trigger("mAnimateCaricature");
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
  QCoreApplication::postEvent(Child<TProgressForm>("ProgressForm"),
                              new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  Trigger("mAnimateCaricature");
  EXPECT_TRUE(Dialogs_.Messages().empty());
  EXPECT_FALSE(Child<TProgressForm>("ProgressForm")->isVisible());
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
  EXPECT_EQ(request.Filter, "CompuServe GIF Image (*.gif)|*.gif|WebP Image (*.webp)|*.webp");
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
  ASSERT_EQ(Doc().Layers().size(), 1u);
  const TRect at = TruncatedRect(Doc().Layers()[0]->Location);
  QImageReader reader(QString::fromStdString(Dir_.Path("badge.gif")));
  EXPECT_EQ(reader.imageCount(), 6);
  for (int i = 0; i < 6; ++i) {
    const QImage frame = reader.read();
    ASSERT_FALSE(frame.isNull());
    EXPECT_EQ(frame.pixel((at.Left + at.Right) / 2, (at.Top + at.Bottom) / 2), 0xFF0000FFu) << i;
  }
}

TEST_F(AnimateTest, EveryFrameDecodesExactlyAsWhenFramesWereStoredWhole) {
  // A photo with a hole keyed out where the strokes pull: the hole moves, so pixels turn
  // transparent that a frame before showed.
  TBitmap32 photo = test::Stripes(90, 70);
  const TColor key = TDocument().TransparentColor;
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 90; ++x)
      if ((x >= 44 && x < 50 && y >= 38 && y < 52) || (x < 10 && y > 50))
        photo.SetPixel(x, y, RgbOf(WinColorToColor32(key)));  // alpha 0: transparent
  for (const bool holes : {false, true}) {
    TDocument doc;
    doc.Open(TLoadedPicture{holes ? photo : test::Stripes(90, 70)});
    doc.Brushes.SetSize(36);
    doc.Brushes.Choose(TToolMode::Warp);
    for (int i = 0; i < 8; ++i) doc.Brushes.ApplyAt(TPoint{14 + 3 * i, 12});
    doc.Brushes.Choose(TToolMode::Twirl);
    for (int i = 0; i < 5; ++i) doc.Brushes.ApplyAt(TPoint{36, 34});
    const TAnimationScene scene = SceneOf(doc);
    for (const TAnimationSettings& settings :
         {TAnimationSettings{12, 8, true, true}, TAnimationSettings{5, 8, false, false},
          TAnimationSettings{4, 8, true, false}}) {
      SCOPED_TRACE(testing::Message() << "holes " << holes << ", " << settings.Frames << " frames");
      const std::optional<TBytes> gif = EncodeCaricatureAnimation(scene, settings, {});
      ASSERT_TRUE(gif);
      const std::vector<QImage> expected = WholeFrames(scene, settings);
      const std::vector<QImage> decoded = DecodedFrames(*gif);
      ASSERT_EQ(decoded.size(), expected.size());
      for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(FirstMismatch(decoded[i], expected[i]), "") << "frame " << i;
      // Without holes only the first frame is whole. The holes' edges are wiped or undone by
      // the frame before them; when every frame uncovers some pixel, as here, every frame is
      // drawn over a cleared picture and so whole (no GIF can do otherwise).
      const test::TGifInfo info = test::ReadGifInfo(*gif);
      ASSERT_EQ(info.Frames.size(), expected.size());
      int wiped = 0, undone = 0;
      for (size_t i = 1; i < info.Frames.size(); ++i) {
        if (!holes) {
          EXPECT_LT(info.Frames[i].Rect.Width() * info.Frames[i].Rect.Height(), 90 * 70) << i;
        }
        wiped += info.Frames[i - 1].Disposal == 2;
        undone += info.Frames[i - 1].Disposal == 3;
      }
      // Without holes nothing ever needs wiping (undoing a frame may still be smaller).
      EXPECT_TRUE(wiped + undone > 0 || !holes);
      EXPECT_FALSE(wiped > 0 && !holes);
    }
  }
}

TEST_F(AnimateTest, DitherIsOfferedForPhotosAndSetByTheBatchWords) {
  OpenAndBend();  // stripes of many colours
  Run("animate 3 8 " + Dir_.Path("photo.gif") + " forward");
  EXPECT_TRUE(Dialog().Settings().Dither);
  Run("animate 3 8 " + Dir_.Path("flat photo.gif") + " nodither forward");
  EXPECT_FALSE(Dialog().Settings().Dither);
  EXPECT_NE(ReadFileBytes(Dir_.Path("photo.gif")), ReadFileBytes(Dir_.Path("flat photo.gif")));

  // A drawing of four colours is not dithered unless asked.
  TBitmap32 drawing(96, 72);
  for (int y = 0; y < 72; ++y)
    for (int x = 0; x < 96; ++x) drawing.SetPixel(x, y, (x / 8 + y / 8) % 4 * 0x00402010u | 0xFF000000u);
  WriteFileBytes(Dir_.Path("drawing.bmp"), EncodeBmp32(drawing));
  Run("open " + Dir_.Path("drawing.bmp") + "\ntool warp\nsize 40\nstroke 30,30 hold 6\nanimate 3 8 " +
      Dir_.Path("drawing.gif"));
  EXPECT_FALSE(Dialog().Settings().Dither);
  Run("animate 3 8 " + Dir_.Path("dithered drawing.gif") + " dither once");
  EXPECT_TRUE(Dialog().Settings().Dither);
  EXPECT_FALSE(Dialog().Settings().Loop);
  EXPECT_EQ(Dialog().cbDither->text(), QStringLiteral("Dither"));
  EXPECT_THROW(Dialog().AnswerScripted(TFormAnswer{"Animate Caricature", {{"Dither", "yes"}}, true}),
               Exception);
}
