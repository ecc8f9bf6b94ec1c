// SPDX-License-Identifier: GPL-3.0-or-later
// Face Sculpt and Exaggerate from the main window and the batch mode: the command, its dialog's
// sliders and preview, the steps they make, and presets stacking on the faces carried along.

#include "StudioFixture.h"
#include "document/AutoCaricature.h"
#include "faces/finder/FaceFinder.h"
#include "shell/dialogs/FaceSculptDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QSlider>

#include <gtest/gtest.h>

using namespace gs;

namespace {

const std::string kAstronaut = GS_TESTDATA_DIR "/faces/astronaut.png";

using StudioFaceSculptTest = test::TStudioFixture;

TEST_F(StudioFaceSculptTest, SlidersAndExaggerateAreOneStepEachAndPresetsStackWithoutANewSearch) {
  Run("open " + kAstronaut);
  const TBitmap32 photo = Doc().ViewBitmap;
  Run("sculpt eyesize=80 smile=60 jawline=-40");
  ASSERT_EQ(Doc().History.Count(), 1);
  EXPECT_EQ(Doc().History.Step(1).Name, "Face Sculpt");
  EXPECT_NE(Doc().ViewBitmap, photo);
  Run("exaggerate 80 all");
  EXPECT_EQ(Doc().History.Step(2).Name, "Exaggerate 80 %");
  // Three presets on top, then a fourth: the face is still there, carried through each.
  Run("autocaricature bigeyes\nautocaricature alien\nautocaricature bobblehead\nautocaricature pointychin\n");
  EXPECT_EQ(Doc().History.Count(), 6);
  EXPECT_EQ(Doc().History.Step(6).Name, "Auto Caricature: Pointy Chin");

  for (const char* line : {"sculpt", "sculpt eyesize=101", "sculpt nose=5", "sculpt eyesize", "exaggerate 201",
                           "exaggerate", "exaggerate 50 60"})
    EXPECT_FALSE(Fails(line).empty()) << line;
  EXPECT_NE(Fails("sculpt eyesise=5").find("not \"eyesise=5\""), std::string::npos);
  EXPECT_EQ(Doc().History.Count(), 6);
}

TEST_F(StudioFaceSculptTest, DialogLinksTheEyesPreviewsEverySliderAndResets) {
  Run("open " + kAstronaut);
  const TBitmap32 photo = Doc().ViewBitmap;
  TFaceSculptDialog dialog;
  dialog.Prepare(photo, Studio_->FindFaces(), std::nullopt);
  const TBitmap32 untouched = dialog.PreviewResult();
  EXPECT_FALSE(dialog.tbExaggerate->isEnabled());  // no mean face given
  auto& eyes = dialog.tbSliders[size_t(TSculptSlider::EyeSize)];
  eyes[0]->setValue(50);
  EXPECT_EQ(eyes[1]->value(), 50);
  dialog.cbLinkEyes->setChecked(false);
  eyes[1]->setValue(-30);
  EXPECT_EQ(eyes[0]->value(), 50);
  EXPECT_EQ(dialog.Sculpt().Value(TSculptSlider::EyeSize, 1), -30);
  for (const TSculptSliderName& s : SculptSliders()) {
    SCOPED_TRACE(s.Key);
    dialog.Reset();
    EXPECT_EQ(dialog.PreviewResult(), untouched);
    dialog.tbSliders[size_t(s.Slider)][0]->setValue(100);
    EXPECT_NE(dialog.PreviewResult(), untouched);
  }
}

TEST_F(StudioFaceSculptTest, CommandSitsAfterAutoCaricatureWithKeyFAndNeedsTheModel) {
  QAction* command = Command("FaceSculpt1");
  const QList<QAction*> grimacer = Menu("GrimacerMenu")->actions();
  EXPECT_EQ(grimacer.indexOf(command), grimacer.indexOf(Command("AutoCaricature1")) + 1);
  EXPECT_EQ(command->shortcut(), QKeySequence(Qt::Key_F));
  Run("open " + kAstronaut);
  EXPECT_TRUE(command->isEnabled());
  Studio_->SetFaceModelPath(Dir_.Path("missing.dat"));
  EXPECT_FALSE(command->isEnabled());
  EXPECT_NE(Fails("sculpt smile=10").find(kNoFaceModelMessage), std::string::npos);
}

}  // namespace
