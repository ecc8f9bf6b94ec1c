// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A window with a plain photo open at 100 % and a clipart file beside it: a 40 x 20 picture,
// green with a red border on the key colour that "Transparent Image?" keys out. Inserted, it is
// centred on the photo: x 80..120, y 70..90.

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "codecs/Png.h"

namespace gs::test {

class TLayerFixture : public TStudioFixture {
protected:
  TLayerFixture() {
    Photo_ = TBitmap32(200, 160, 0xFF3060A0);
    WriteFileBytes(Dir_.Path("photo.bmp"), EncodeBmp32(Photo_));
    TBitmap32 art(40, 20, 0x00FF0000);  // transparent: written with the key colour
    art.FillRect(TRect{4, 4, 36, 16}, 0xFF00C000);
    WriteFileBytes(Dir_.Path("art.png"), EncodePng(art, TColor(0x0000FF)));
    Run("open " + Dir_.Path("photo.bmp") + "\nzoom original\n");
  }

  TBitmap32 Photo_;
};

}  // namespace gs::test
