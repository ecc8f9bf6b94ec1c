// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export Sticker... and the batch's `sticker`.

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "codecs/Webp.h"
#include "document/Sticker.h"
#include "shell/dialogs/StickerDialog.h"

#include <QAction>
#include <QMenu>
#include <QSpinBox>

#include <gtest/gtest.h>

using namespace gs;

namespace {

class StickerExportTest : public test::TStudioFixture {
protected:
  StickerExportTest() {
    // Without the face model the sticker shows the whole picture, and no search slows the test.
    Studio_->SetFaceModelPath(Dir_.Path("missing.dat"));
    WriteFileBytes(Dir_.Path("face.bmp"), EncodeBmp32(test::Stripes(120, 90)));
  }
};

}  // namespace

TEST_F(StickerExportTest, StickerComesAfterSaveAsAndWritesTheBatchsChoices) {
  const QList<QAction*> file = Menu("FileMenu")->actions();
  const qsizetype at = file.indexOf(Command("saveas1"));
  ASSERT_GE(at, 0);
  EXPECT_EQ(file.value(at + 1), Command("mExportSticker"));
  EXPECT_FALSE(Command("mExportSticker")->isEnabled());

  Run("open " + Dir_.Path("face.bmp") + "\nsticker " + Dir_.Path("plain sticker.webp") + "\nsticker " +
      Dir_.Path("cut.webp") + " none\n");
  const TBitmap32 oval = DecodeWebp(ReadFileBytes(Dir_.Path("plain sticker.webp"))).Bitmap;
  const TBitmap32 none = DecodeWebp(ReadFileBytes(Dir_.Path("cut.webp"))).Bitmap;
  for (const TBitmap32* sticker : {&oval, &none}) {
    EXPECT_EQ(sticker->Width(), kStickerSide);
    EXPECT_EQ(sticker->Height(), kStickerSide);
    EXPECT_EQ(AlphaOf(sticker->Pixel(256, 256)), 255);
    EXPECT_EQ(AlphaOf(sticker->Pixel(256, 10)), 0);  // 120 x 90 leaves room above
  }
  // Just inside the picture's corner: cut away by the oval only.
  EXPECT_EQ(AlphaOf(oval.Pixel(kStickerMargin + 3, 256 - 176)), 0);
  EXPECT_EQ(AlphaOf(none.Pixel(kStickerMargin + 3, 256 - 176)), 255);

  EXPECT_NE(Fails("sticker " + Dir_.Path("a.webp") + " animated").find(kNothingToAnimate), std::string::npos);
  EXPECT_NE(Fails("sticker " + Dir_.Path("a.webp") + " 2").find("No face found"), std::string::npos);
  EXPECT_FALSE(FileExists(Dir_.Path("a.webp")));
}

TEST_F(StickerExportTest, APngNameWritesTelegramsStillSticker) {
  Run("open " + Dir_.Path("face.bmp") + "\nsticker " + Dir_.Path("tg.PNG") + " none\n");
  const TBytes bytes = ReadFileBytes(Dir_.Path("tg.PNG"));
  EXPECT_LE(bytes.size(), kMaxPngStickerBytes);
  const TBitmap32 sticker = DecodePng(bytes).Bitmap;
  EXPECT_EQ(sticker.Width(), kStickerSide);
  EXPECT_EQ(AlphaOf(sticker.Pixel(256, 10)), 0);
  EXPECT_EQ(AlphaOf(sticker.Pixel(256, 256)), 255);
  const std::string refused =
      Fails("tool warp\nsize 40\nstroke 30,30 hold 6\nsticker " + Dir_.Path("moving.png") + " animated");
  EXPECT_NE(refused.find("An animated sticker is a WebP file"), std::string::npos) << refused;
  EXPECT_FALSE(FileExists(Dir_.Path("moving.png")));
}

TEST_F(StickerExportTest, AnimatedPlaysTheCaricaturesBend) {
  Run("open " + Dir_.Path("face.bmp") + "\ntool warp\nsize 40\nstroke 30,30 hold 6\nsticker " +
      Dir_.Path("moving.webp") + " animated oval\n");
  const TBytes bytes = ReadFileBytes(Dir_.Path("moving.webp"));
  EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("ANIM"), std::string::npos);
  EXPECT_LE(bytes.size(), kMaxAnimatedStickerBytes);
  EXPECT_EQ(DecodeWebp(bytes).Bitmap.Width(), kStickerSide);
}

// The face box names a face whenever there is one; its words for the whole picture are for a
// picture without faces only.
TEST(StickerDialog, TheFaceBoxSaysWholePictureOnlyWithoutFaces) {
  test::EnsureQtApplication();
  TStickerDialog dialog;
  for (int faces : {0, 1, 3}) {
    dialog.Prepare(faces, false, false);
    const bool whole = dialog.seFace->text() == QStringLiteral("No face: the whole picture");
    EXPECT_EQ(whole, faces == 0) << faces;
    EXPECT_EQ(dialog.FaceIndex(), faces > 0 ? 0 : -1) << faces;
  }
}
