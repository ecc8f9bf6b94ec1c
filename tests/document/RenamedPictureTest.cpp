// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures saved under another kind's extension, as messengers and browsers hand them out.

#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "codecs/Gif.h"
#include "codecs/Jpeg.h"
#include "codecs/Png.h"
#include "codecs/Webp.h"
#include "common/Errors.h"
#include "document/Document.h"
#include "document/PictureFiles.h"
#include "document/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace gs;
using gs::test::Swatch;
using gs::test::TScratchFolder;

namespace {

const std::string kFormats = std::string(GS_SOURCE_DIR) + "/../tests/data/formats/";

std::string ErrorOf(const std::string& path) {
  try {
    ReadPictureFile(path);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

}  // namespace

// Each file opens under its wrong name exactly as under its right one, through the same path
// the document, clipart and backgrounds take.
TEST(RenamedPicture, OpensAsTheKindItHolds) {
  const TBitmap32 swatch = Swatch(12, 8);
  const struct {
    const char* rightName;
    const char* wrongName;
    TBytes bytes;
  } files[] = {
      {"p.png", "p.jpg", EncodePng(swatch, std::nullopt)},
      {"j.jpg", "j.png", EncodeJpeg(swatch, 90)},
      {"g.gif", "g.bmp", EncodeGif(swatch, std::nullopt)},
      {"b.bmp", "b.gif", EncodeBmp32(swatch)},
      {"w.webp", "w.jpeg", EncodeWebp(swatch, TWebpOptions{false, 80})},
      {"h.heic", "h.webp", ReadFileBytes(kFormats + "lossy.heic")},
      {"a.avif", "a.PNG", ReadFileBytes(kFormats + "lossy.avif")},
      {"m.webp", "m.gif", ReadFileBytes(kFormats + "animated.webp")},
  };
  TScratchFolder dir;
  for (const auto& file : files) {
    SCOPED_TRACE(file.wrongName);
    WriteFileBytes(dir.Path(file.rightName), file.bytes);
    WriteFileBytes(dir.Path(file.wrongName), file.bytes);
    const TLoadedPicture right = ReadPictureFile(dir.Path(file.rightName));
    const TLoadedPicture renamed = ReadPictureFile(dir.Path(file.wrongName));
    ASSERT_FALSE(right.Picture.Empty());
    EXPECT_EQ(renamed.Picture, right.Picture);
    EXPECT_EQ(renamed.TransparentColor, right.TransparentColor);
    EXPECT_EQ(LoadGraphicFile(dir.Path(file.wrongName)).Bitmap, LoadGraphicFile(dir.Path(file.rightName)).Bitmap);
  }
}

// A broken file says its name and what is wrong, as the kind it holds, or as its extension's
// kind when the bytes name none.
TEST(RenamedPicture, BrokenFilesSayTheirNameAndWhatIsWrong) {
  TScratchFolder dir;
  TBytes webp = EncodeWebp(Swatch(40, 40), TWebpOptions{false, 80});
  webp.resize(webp.size() / 2);
  WriteFileBytes(dir.Path("cut.jpg"), webp);
  EXPECT_EQ(ErrorOf(dir.Path("cut.jpg")).rfind("cut.jpg: WebP: ", 0), 0u) << ErrorOf(dir.Path("cut.jpg"));
  WriteFileBytes(dir.Path("text.png"), TBytes{'B', 'M', ' ', 'i', 's', ' ', 'n', 'o', 't', ' ', 'a', ' ', 'b', 'i',
                                              't', 'm', 'a', 'p', ' ', 'h', 'e', 'a', 'd', 'e', 'r'});
  EXPECT_EQ(ErrorOf(dir.Path("text.png")).rfind("text.png: PNG: ", 0), 0u) << ErrorOf(dir.Path("text.png"));
  EXPECT_THROW(ReadPictureFile(dir.Path("text.png")), EInvalidGraphic);
  // A coding no installed decoder reads is named as such, not called broken.
  TBytes vvc = ReadFileBytes(kFormats + "lossy.avif");
  const size_t item = std::string(vvc.begin(), vvc.end()).find("av01");
  ASSERT_NE(item, std::string::npos);
  std::copy_n("vvc1", 4, vvc.begin() + std::ptrdiff_t(item));
  WriteFileBytes(dir.Path("clip.heic"), vvc);
  EXPECT_EQ(ErrorOf(dir.Path("clip.heic")).rfind("clip.heic: HEIF: the picture is coded as VVC", 0), 0u)
      << ErrorOf(dir.Path("clip.heic"));
}
