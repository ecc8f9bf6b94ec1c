// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/ChromaKeyForm.h"
#include "shell/dialogs/ComicFilterForm.h"

#include "QtApp.h"
#include "adjust/ChromaKey.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "common/Errors.h"
#include "platform/ScriptedDialogs.h"
#include "document/TestFiles.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <gtest/gtest.h>

namespace gs {
namespace {

class ComicChromaForms : public ::testing::Test {
protected:
  void SetUp() override {
    test::EnsureQtApplication();
    Previous_ = SetDialogs(&Dialogs_);
  }
  void TearDown() override { SetDialogs(Previous_); }

  TScriptedDialogs Dialogs_;
  TDialogs* Previous_ = nullptr;
  test::TScratchFolder Folder_;
};

// Each channel by hand: the next multiple of the step, exact multiples to the even one.
uint8_t Level(int v, int a) {
  int k = v / a;
  if (v % a != 0 || k % 2 != 0) ++k;
  return uint8_t(std::min(k * a, 255));
}

TEST_F(ComicChromaForms, ComicFilterPreviewsFromTheUnfilteredCopyOnly) {
  const TBitmap32 picture = test::Swatch(9, 7, 0xFF0A0E15);
  TComicFilterForm form(picture);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Comic Filter"));
  EXPECT_EQ(form.Preview(), picture);  // nothing filtered before a step is chosen

  Dialogs_.AnswerForm({"Comic Filter", {{"Radius of a mask", "40"}, {"Posterize", "10"}}, true});
  ASSERT_TRUE(Dialogs().RunForm(form));
  const TBitmap32 first = form.Preview();
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) {
      const TColor32 c = picture.Pixel(x, y);
      ASSERT_EQ(first.Pixel(x, y), Color32(Level(RedOf(c), 10), Level(GreenOf(c), 10),
                                           Level(BlueOf(c), 10), AlphaOf(c)));
    }
  form.Button1Click();
  form.Button1Click();
  EXPECT_EQ(form.Preview(), first);  // not posterised twice
  form.TrackBar1->setValue(90);      // the unused bars feed nothing
  form.TrackBar2->setValue(90);
  form.Button1Click();
  EXPECT_EQ(form.Preview(), first);
  form.TrackBar3->setValue(100);     // a step change recomputes at once
  EXPECT_EQ(form.Preview().Pixel(0, 0), Color32(100, 100, 100, 0xFF));

  EXPECT_THROW(form.AnswerScripted({"Comic Filter", {{"Posterize", "0"}}, true}), Exception);
  EXPECT_THROW(form.AnswerScripted({"Comic Filter", {{"Sharpen", "3"}}, true}), Exception);
}

TEST_F(ComicChromaForms, ChromaOptionsToleranceLabelAndThreshold) {
  TfrmChromaKey form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Chromakey Options"));
  EXPECT_EQ(form.trbColorTolerance->value(), 100);
  EXPECT_EQ(form.lblColorToleranceValue->text(), QStringLiteral("10%"));
  EXPECT_EQ(form.Threshold(), 1951);
  form.trbColorTolerance->setValue(105);
  EXPECT_EQ(form.lblColorToleranceValue->text(), QStringLiteral("10.5%"));
  form.trbColorTolerance->setValue(160);
  EXPECT_EQ(form.lblColorToleranceValue->text(), QStringLiteral("16%"));
  EXPECT_EQ(form.Threshold(), 4994);
  form.trbColorTolerance->setValue(0);
  EXPECT_EQ(form.lblColorToleranceValue->text(), QStringLiteral("0%"));
  EXPECT_EQ(form.Threshold(), 0);
  EXPECT_THROW(form.AnswerScripted({"Chromakey Options", {{"Color Tolerance", "161"}}, true}),
               Exception);
}

TEST_F(ComicChromaForms, ChromaOptionsNeedABackgroundAndKeepItBetweenUses) {
  TfrmChromaKey form;
  EXPECT_TRUE(form.rbtnBackground->isChecked());
  EXPECT_TRUE(form.btnBrowse->isEnabled());

  // Ok before browsing: the message, and the dialog stays unconfirmed.
  Dialogs_.AnswerForm({"Chromakey Options", {}, true});
  EXPECT_FALSE(Dialogs().RunForm(form));
  ASSERT_EQ(Dialogs_.Messages().size(), 1u);
  EXPECT_EQ(Dialogs_.Messages()[0], "Please select background image first.");

  // A file that does not load leaves nothing chosen.
  EXPECT_THROW(form.LoadBackground(Folder_.Path("missing.bmp")), Exception);
  EXPECT_FALSE(form.BackgroundChosen());

  const TBitmap32 background = test::Swatch(5, 4, 0xFF102030);
  WriteFileBytes(Folder_.Path("back.bmp"), EncodeBmp32(background));
  Dialogs_.AnswerFile(Folder_.Path("back.bmp"));
  form.btnBrowseClick();
  EXPECT_TRUE(form.BackgroundChosen());
  Dialogs_.AnswerForm({"Chromakey Options", {{"Color Tolerance", "120"}}, true});
  ASSERT_TRUE(Dialogs().RunForm(form));
  ASSERT_TRUE(form.BackgroundPicture().has_value());
  EXPECT_EQ(form.BackgroundPicture()->Pixel(0, 0), 0xFF102030u);
  EXPECT_EQ(form.BackgroundPicture()->Width(), 5);
  EXPECT_EQ(form.Threshold(), ChromaThreshold(120));

  // The next use offers the same background and tolerance without browsing.
  Dialogs_.ClearMessages();
  Dialogs_.AnswerForm({"Chromakey Options", {}, true});
  ASSERT_TRUE(Dialogs().RunForm(form));
  EXPECT_TRUE(Dialogs_.Messages().empty());
  EXPECT_EQ(form.trbColorTolerance->value(), 120);

  // Transparency only: no background handed out, Browse disabled; cancel is not confirmed.
  ASSERT_TRUE(form.AnswerScripted({"Chromakey Options", {{"Make transparency from selected color", "on"}}, true}));
  EXPECT_FALSE(form.btnBrowse->isEnabled());
  EXPECT_FALSE(form.BackgroundPicture().has_value());
  EXPECT_THROW(form.AnswerScripted({"Chromakey Options", {{"Browse...", Folder_.Path("back.bmp")}}, true}),
               Exception);
  EXPECT_FALSE(form.AnswerScripted({"Chromakey Options", {}, false}));
}

}  // namespace
}  // namespace gs
