// SPDX-License-Identifier: GPL-3.0-or-later
// Saving keeps transparency where the picture has it and nowhere else: an opaque photo whose
// pixels happen to have the key colour must not come back with holes.

#include "document/Document.h"

#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "codecs/Gif.h"
#include "codecs/Png.h"
#include "document/PictureFiles.h"
#include "document/TestFiles.h"

#include <gtest/gtest.h>

#include <string>

using namespace gs;

TEST(DocumentSave, KeyColouredPixelsOfAnOpaquePhotoStayOpaqueInPngAndGif) {
  test::TScratchFolder dir;
  // Far more than 256 colours, with a patch of exactly the default key colour (255, 254, 253).
  TBitmap32 photo(64, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) photo.SetPixel(x, y, Color32(uint8_t(x * 4), uint8_t(y * 5), uint8_t(x * y)));
  const TColor32 keyLook = WinColorToColor32(kDefaultTransparentColor);
  photo.FillRect(TRect{20, 10, 30, 20}, keyLook);
  photo.SetPixel(50, 40, keyLook);
  WriteFileBytes(dir.Path("photo.bmp"), EncodeBmp32(photo));

  for (const std::string name : {"out.png", "out.gif"}) {
    SCOPED_TRACE(name);
    // A GIF has no partial alpha: less than half opaque becomes transparent. (A PNG would keep
    // it in an alpha channel; without it the PNG is RGB with a key colour, the case that
    // made holes.)
    const bool gif = name == "out.gif";
    TDocument doc;
    doc.Open(ReadPictureFile(dir.Path("photo.bmp")));
    doc.ViewBitmap.FillRect(TRect{0, 0, 4, 4}, 0);  // a warp's empty margin
    if (gif) {
      doc.ViewBitmap.SetPixel(60, 2, 0x40000000u | RgbOf(keyLook));
      doc.ViewBitmap.SetPixel(61, 2, 0xC0102030u);
    }
    doc.WritePicture(dir.Path(name));

    TDocument again;
    again.Open(ReadPictureFile(dir.Path(name)));
    const TBitmap32& back = again.SourceBitmap;
    for (const TPoint at : {TPoint{25, 15}, TPoint{50, 40}}) {
      EXPECT_EQ(AlphaOf(back.Pixel(at.X, at.Y)), 255) << at.X << "," << at.Y;
      EXPECT_EQ(RgbOf(back.Pixel(at.X, at.Y)), RgbOf(keyLook)) << at.X << "," << at.Y;
    }
    EXPECT_EQ(AlphaOf(back.Pixel(2, 2)), 0);
    if (gif) {
      EXPECT_EQ(AlphaOf(back.Pixel(60, 2)), 0);
      EXPECT_EQ(AlphaOf(back.Pixel(61, 2)), 255);
    }
    int holes = 0;
    for (int y = 4; y < 48; ++y)
      for (int x = 4; x < 64; ++x) holes += AlphaOf(back.Pixel(x, y)) == 0;
    EXPECT_EQ(holes, 0);
  }
}
