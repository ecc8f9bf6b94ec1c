// SPDX-License-Identifier: GPL-3.0-or-later
// Auto Caricature from the main window and the batch mode: the command, its dialog, the history
// step it makes, and what happens without a face or without the face model.

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"
#include "faces/finder/FaceFinder.h"
#include "shell/dialogs/AutoCaricatureDialog.h"
#include "shell/dialogs/FaceChooser.h"
#include "shell/window/ToolsForm.h"
#include "document/AutoCaricature.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <sstream>

using namespace gs;

namespace {

const std::string kAstronaut = GS_TESTDATA_DIR "/faces/astronaut.png";

class StudioAutoCaricatureTest : public test::TStudioFixture {
protected:
  // How many pixels of a square around a point differ between two pictures.
  static int Differences(const TBitmap32& a, const TBitmap32& b, TPoint centre, int radius) {
    int n = 0;
    for (int y = centre.Y - radius; y <= centre.Y + radius; ++y)
      for (int x = centre.X - radius; x <= centre.X + radius; ++x) n += a.Pixel(x, y) != b.Pixel(x, y);
    return n;
  }
};

TEST_F(StudioAutoCaricatureTest, PresetIsOneStepThatStepsBackExactlyAndReconstructPullsOneEyeBack) {
  Run("open " + kAstronaut);
  const TBitmap32 photo = Doc().ViewBitmap;
  Run("autocaricature alien 60\nstepback\n");
  EXPECT_EQ(Doc().ViewBitmap, photo);
  Run("autocaricature bigeyes");
  ASSERT_EQ(Doc().History.Count(), 1);  // the step taken back gave way to the new one
  EXPECT_EQ(Doc().History.Step(1).Name, "Auto Caricature: Big Eyes");
  const TBitmap32 bigEyes = Doc().ViewBitmap;
  // The eyes of the astronaut are near (204, 102) and (247, 105).
  const TPoint left{204, 102}, right{247, 105};
  ASSERT_GT(Differences(bigEyes, photo, left, 8), 100);
  ASSERT_GT(Differences(bigEyes, photo, right, 8), 100);
  // The brush stays usable at once: Reconstruct at full effect pulls the left eye back.
  Run("tool reconstruct\nsize 41\neffect 100\nstroke 204,102 hold 20\n");
  EXPECT_LT(Differences(Doc().ViewBitmap, photo, left, 3), 10);
  EXPECT_EQ(Differences(Doc().ViewBitmap, bigEyes, right, 8), 0);
  // What the mesh holds is what Animate Caricature plays.
  Run("animate 4 10 " + Dir_.Path("bent.gif"));
  EXPECT_GT(ReadFileBytes(Dir_.Path("bent.gif")).size(), 1000u);
}

TEST_F(StudioAutoCaricatureTest, DialogPreviewFollowsPresetAndStrengthAndStrengthZeroChangesNothing) {
  Run("open " + kAstronaut);
  const TBitmap32 photo = Doc().ViewBitmap;
  TAutoCaricatureDialog dialog;
  dialog.Prepare(photo, Studio_->FindFaces());
  const TBitmap32 bigEyes = dialog.PreviewResult();
  dialog.lbPresets->setCurrentRow(2);  // Bobble Head
  EXPECT_NE(dialog.PreviewResult(), bigEyes);
  dialog.tbStrength->setValue(0);
  const TBitmap32 untouched = dialog.PreviewResult();
  dialog.lbPresets->setCurrentRow(0);
  EXPECT_EQ(dialog.PreviewResult(), untouched);
  EXPECT_EQ(dialog.Preset(), TCaricaturePreset::BigEyes);

  Run("autocaricature twisted 0");
  EXPECT_EQ(Doc().ViewBitmap, photo);
  EXPECT_EQ(Doc().History.Count(), 0);
}

TEST_F(StudioAutoCaricatureTest, OneFaceOrAllFaces) {
  // The astronaut twice, side by side.
  TBitmap32 pair(1024, 512);
  const TBitmap32 one = DecodePicture(".png", ReadFileBytes(kAstronaut)).Bitmap;
  pair.CopyRect(0, 0, one, one.BoundsRect());
  pair.CopyRect(512, 0, one, one.BoundsRect());
  WriteFileBytes(Dir_.Path("pair.bmp"), EncodeBmp32(pair));
  Run("open " + Dir_.Path("pair.bmp"));
  ASSERT_EQ(Studio_->FindFaces().size(), 2u);
  const TPoint eyes[] = {{204, 102}, {204 + 512, 102}};
  const auto bent = [&](const TPoint& eye) { return Differences(Doc().ViewBitmap, pair, eye, 8) > 100; };

  Run("autocaricature bigeyes");
  EXPECT_NE(bent(eyes[0]), bent(eyes[1]));  // the first face found, and only it
  Run("stepback\nautocaricature bigeyes 100 all");
  EXPECT_TRUE(bent(eyes[0]) && bent(eyes[1]));
}

// On a real portrait every move arrives whole. A head grown through a second face that holds its
// place over it cannot be: the dialog says how much arrived, and so does the step.
TEST_F(StudioAutoCaricatureTest, HeldBackMovesAreToldByTheDialogAndTheStep) {
  Run("open " + kAstronaut);
  std::vector<TFace> faces = Studio_->FindFaces();
  ASSERT_EQ(faces.size(), 1u);
  TAutoCaricatureDialog dialog;
  dialog.Prepare(Doc().ViewBitmap, faces);
  QLabel* held = dialog.Chooser->lblLimited;
  dialog.lbPresets->setCurrentRow(2);  // Bobble Head, delivered whole on the face alone
  EXPECT_TRUE(held->isHidden());

  TFace over = faces[0];
  const double shift = 0.3 * over.EyeWidth(false);
  for (TPointF& p : over.Points) p.X += shift;
  over.Box = TFloatRect{over.Box.Left + shift, over.Box.Top, over.Box.Right + shift, over.Box.Bottom};
  faces.push_back(over);
  dialog.Prepare(Doc().ViewBitmap, faces);
  dialog.lbPresets->setCurrentRow(2);
  ASSERT_FALSE(held->isHidden());
  const std::string line = held->text().toStdString();
  EXPECT_EQ(line.rfind("Held to ", 0), 0u) << line;
  EXPECT_NE(line.find(" % so that the picture does not fold"), std::string::npos) << line;

  ApplyAutoCaricature(Doc(), faces, 0, TCaricaturePreset::BobbleHead, 1.0);
  const std::string name = Doc().History.Step(Doc().History.Current()).Name;
  EXPECT_EQ(name.rfind("Auto Caricature: Bobble Head, held to ", 0), 0u) << name;
}

// Once the dialog has gone and the faces are bent, the window has the keyboard again: the
// first key pressed is a shortcut, not lost in a window that went away.
TEST_F(StudioAutoCaricatureTest, CtrlZRightAfterApplyTakesTheStepBack) {
  Run("open " + kAstronaut);
  const TBitmap32 photo = Doc().ViewBitmap;
  Studio_->hide();  // shown for real, so that it can have the keyboard
  Studio_->setAttribute(Qt::WA_DontShowOnScreen, false);
  Studio_->show();
  Studio_->activateWindow();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::activeWindow(), Studio_.get());
  Studio_->SetBatchMode(false);  // the window's own way: repaint before the work, progress after
  Dialogs_.AnswerForm(TFormAnswer{"Auto Caricature", {{"Preset", "bigeyes"}}, true});
  Trigger("AutoCaricature1");
  ASSERT_EQ(Doc().History.Count(), 1);
  ASSERT_NE(Doc().ViewBitmap, photo);
  QApplication::processEvents();
  QWidget* keys = QApplication::focusWidget();
  ASSERT_NE(keys, nullptr);
  EXPECT_EQ(keys->window(), Studio_.get());
  QTest::keyClick(keys, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Doc().ViewBitmap, photo);
}

// Exaggerate 200 takes the astronaut past what the finder can find; Undo brings back a picture
// whose faces were known, and the face stays editable.
TEST_F(StudioAutoCaricatureTest, UndoKeepsTheFacesOfAStrongCaricatureEditable) {
  Run("open " + kAstronaut + "\nexaggerate 200\nautocaricature alien 50\nundo\n");
  const TBitmap32 undone = Doc().ViewBitmap;
  Run("sculpt eyesize=60");
  EXPECT_NE(Doc().ViewBitmap, undone);
}

// Two heads cut close side by side: the left one's Bobble Head would grow through the face
// beside it, which keeps its place. The script is told, and goes on.
TEST_F(StudioAutoCaricatureTest, BatchSaysOnStandardErrorWhatWasHeldBack) {
  const TBitmap32 astronaut = DecodePicture(".png", ReadFileBytes(kAstronaut)).Bitmap;
  const TRect head{175, 20, 275, 240};
  const int margin = 40, width = head.Right - head.Left;
  TBitmap32 pair(2 * width + 2 * margin, head.Bottom - head.Top + 2 * margin, 0xFF808080);
  pair.Draw(margin, margin, astronaut, head);
  pair.Draw(margin + width, margin, astronaut, head);
  WriteFileBytes(Dir_.Path("pair.bmp"), EncodeBmp32(pair));
  std::istringstream in("open " + Dir_.Path("pair.bmp") + "\nautocaricature bobblehead\n");
  std::ostringstream err;
  EXPECT_EQ(RunBatch(*Studio_, Dialogs_, in, err), 0) << err.str();
  EXPECT_EQ(err.str().rfind("Held to ", 0), 0u) << err.str();
  EXPECT_NE(err.str().find(" % so that the picture does not fold\n"), std::string::npos) << err.str();
  const std::string step = Doc().History.Step(Doc().History.Current()).Name;
  EXPECT_EQ(step.rfind("Auto Caricature: Bobble Head, held to ", 0), 0u) << step;
}

TEST_F(StudioAutoCaricatureTest, CommandSitsAfterTheBrushesWithKeyAAndOnThePalette) {
  QAction* command = Command("AutoCaricature1");
  const QList<QAction*> grimacer = Menu("GrimacerMenu")->actions();
  EXPECT_GT(grimacer.indexOf(command), grimacer.indexOf(Command("Reconstruct1")));
  EXPECT_EQ(command->shortcut(), QKeySequence(Qt::Key_A));
  EXPECT_EQ(Palette()->Button("sbtnAutoCaricature")->defaultAction(), command);
  EXPECT_FALSE(command->isEnabled());  // no picture yet
  Run("open " + kAstronaut);
  EXPECT_TRUE(command->isEnabled());
}

TEST_F(StudioAutoCaricatureTest, NoFaceSaysSoAndNoModelDisablesTheCommandWithItsReason) {
  const TBitmap32 plain(160, 120, 0xFF8090A0);
  WriteFileBytes(Dir_.Path("plain.bmp"), EncodeBmp32(plain));
  Run("open " + Dir_.Path("plain.bmp"));
  Run("faces");  // prints nothing
  EXPECT_NE(Fails("autocaricature bigeyes").find(kNoFaceMessage), std::string::npos);
  EXPECT_EQ(Doc().ViewBitmap, plain);
  EXPECT_EQ(Doc().History.Count(), 0);
  EXPECT_NE(Fails("autocaricature bigears").find("not \"bigears\""), std::string::npos);

  Studio_->SetFaceModelPath(Dir_.Path("missing.dat"));
  Run("open " + kAstronaut);
  EXPECT_FALSE(Command("AutoCaricature1")->isEnabled());
  EXPECT_EQ(Command("AutoCaricature1")->toolTip().toStdString(), kNoFaceModelMessage);
  for (const char* line : {"faces", "autocaricature bigeyes"})
    EXPECT_NE(Fails(line).find(kNoFaceModelMessage), std::string::npos) << line;
}

}  // namespace
