// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/Document.h"

#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "codecs/Gif.h"
#include "codecs/Jpeg.h"
#include "codecs/Png.h"
#include "codecs/ProtectedWriter.h"
#include "common/Errors.h"
#include "document/PictureFiles.h"
#include "document/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

using namespace gs;
using gs::test::Swatch;
using gs::test::TScratchFolder;

namespace {

constexpr TColor kDefaultKey = 0xFDFEFF;

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

// A GIF of two 2 x 1 images: the first with a transparent index 1, the second all index 2.
// The LZW data restarts the table before it could grow, so the codes stay 3 bits wide.
TBytes TwoFrameGif() {
  TBytes b = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x81, 0, 0};
  const uint8_t table[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};  // red, green, blue, grey
  b.insert(b.end(), table, table + sizeof table);
  auto image = [&b](uint8_t p0, uint8_t p1) {
    const uint8_t descriptor[] = {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0};
    b.insert(b.end(), descriptor, descriptor + sizeof descriptor);
    // Codes (3 bits, LSB first): clear 4, p0, clear 4, p1, end 5.
    const uint32_t codes[] = {4, p0, 4, p1, 5};
    uint32_t bits = 0;
    int count = 0;
    TBytes data;
    for (uint32_t code : codes) {
      bits |= code << count;
      count += 3;
      while (count >= 8) {
        data.push_back(uint8_t(bits));
        bits >>= 8;
        count -= 8;
      }
    }
    if (count > 0) data.push_back(uint8_t(bits));
    b.push_back(2);  // minimum code size
    b.push_back(uint8_t(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    b.push_back(0);
  };
  const uint8_t control[] = {0x21, 0xF9, 4, 0x01, 0, 0, 1, 0};  // transparent index 1
  b.insert(b.end(), control, control + sizeof control);
  image(0, 1);
  image(2, 2);
  b.push_back(0x3B);
  return b;
}

}  // namespace

TEST(DocumentLoad, PngWithoutTransparentColourTakesTheDefaultKey) {
  TScratchFolder dir;
  const TBitmap32 picture = Swatch(5, 3);
  WriteFileBytes(dir.Path("a.png"), EncodePng(picture, std::nullopt));
  TDocument doc;
  doc.Open(ReadPictureFile(dir.Path("a.png")));
  EXPECT_TRUE(doc.ImageLoaded());
  EXPECT_EQ(doc.TransparentColor, kDefaultKey);
  EXPECT_EQ(doc.ImageWidth(), 5);
  EXPECT_EQ(doc.ImageHeight(), 3);
  EXPECT_EQ(doc.SourceBitmap, picture);
  EXPECT_EQ(doc.ViewBitmap, picture);
  EXPECT_EQ(doc.UndoBitmap, picture);
  EXPECT_EQ(doc.MirrorBitmap, picture);
  EXPECT_EQ(doc.SourceBitmap.OuterColor, 0x00FFFEFDu);
  EXPECT_EQ(doc.MeshTransformation.VectorMap().Width(), 5);
  EXPECT_TRUE(doc.MeshTransformation.VectorMap().IsIdentity());
}

TEST(DocumentLoad, PngWithTransparentColourKeysItOut) {
  TScratchFolder dir;
  TBitmap32 picture = Swatch(4, 4);
  picture.SetPixel(2, 2, 0x00000000);  // written with the key colour
  WriteFileBytes(dir.Path("k.png"), EncodePng(picture, TColor(0x00FF00)));  // key: green
  TDocument doc;
  doc.Open(ReadPictureFile(dir.Path("k.png")));
  EXPECT_EQ(doc.TransparentColor, 0x00FF00u);
  EXPECT_EQ(doc.SourceBitmap.Pixel(2, 2), 0x0000FF00u);
  EXPECT_EQ(doc.SourceBitmap.Pixel(1, 1), picture.Pixel(1, 1));
  EXPECT_EQ(doc.UndoBitmap, doc.SourceBitmap);
}

TEST(DocumentLoad, GifGivesItsFirstFrameWithTransparency) {
  TScratchFolder dir;
  const TBytes gif = TwoFrameGif();
  WriteFileBytes(dir.Path("two.gif"), gif);
  TDocument doc;
  doc.Open(ReadPictureFile(dir.Path("two.gif")));
  ASSERT_EQ(doc.ImageWidth(), 2);
  EXPECT_EQ(doc.SourceBitmap.Pixel(0, 0), 0xFFFF0000u);  // first frame, not the second's grey
  EXPECT_EQ(doc.SourceBitmap.Pixel(1, 0), 0x0000FF00u);  // the transparent index, alpha 0
  EXPECT_EQ(doc.TransparentColor, 0x00FF00u);
}

TEST(DocumentLoad, ProtectedFileWithUpperCaseInnerExtension) {
  TScratchFolder dir;
  const TBitmap32 picture = Swatch(9, 7);  // odd size: the inner file ends in a partial block
  const TBytes inner = EncodePng(picture, std::nullopt);
  ASSERT_NE(inner.size() % 16, 0u);
  WriteFileBytes(dir.Path("face.mfk"), test::EncipherProtected(".PNG", inner));
  TDocument doc;
  doc.Open(ReadPictureFile(dir.Path("face.mfk")));
  EXPECT_EQ(doc.SourceBitmap, picture);
  EXPECT_EQ(doc.SourceFileName(), dir.Path("face.png"));
}

TEST(DocumentLoad, ProtectedJpegBecomesJpgName) {
  TScratchFolder dir;
  const TBytes inner = EncodeJpeg(Swatch(16, 8), 90);
  WriteFileBytes(dir.Path("face.mfk"), test::EncipherProtected(".JPG", inner));
  TDocument doc;
  doc.Open(ReadPictureFile(dir.Path("face.mfk")));
  EXPECT_EQ(doc.ImageWidth(), 16);
  EXPECT_EQ(doc.SourceFileName(), dir.Path("face.jpg"));
}

TEST(DocumentLoad, FailuresNameTheProblemAndLeaveTheDocumentAsItWas) {
  TScratchFolder dir;
  WriteFileBytes(dir.Path("a.png"), EncodePng(Swatch(6, 6), std::nullopt));
  TDocument doc;
  doc.Open(ReadPictureFile(dir.Path("a.png")));
  doc.MeshTransformation.VectorMap().Vector(1, 1) = {65536, 0};
  doc.UndoBitmap = TBitmap32(3, 3, 0xFF112233);
  const TBitmap32 picture = doc.SourceBitmap;
  const auto unchanged = [&] {
    EXPECT_EQ(doc.SourceBitmap, picture);
    EXPECT_EQ(doc.ViewBitmap, picture);
    EXPECT_EQ(doc.MeshTransformation.VectorMap().Vector(1, 1), (TFixedVector{65536, 0}));
    EXPECT_EQ(doc.UndoBitmap, TBitmap32(3, 3, 0xFF112233));
    EXPECT_EQ(doc.SourceFileName(), dir.Path("a.png"));
    EXPECT_EQ(doc.ImageWidth(), 6);
  };

  WriteFileBytes(dir.Path("b.tif"), TBytes{1, 2, 3});
  EXPECT_EQ(ErrorOf([&] { doc.Open(ReadPictureFile(dir.Path("b.tif"))); }),
            "Unsupported image format: b.tif. Grimacer Studio opens JPEG, PNG, GIF, BMP, WebP, HEIC, HEIF, "
            "AVIF and .mfk pictures.");
  unchanged();

  TBytes broken = EncodePng(Swatch(6, 6), std::nullopt);
  broken.resize(broken.size() / 2);
  WriteFileBytes(dir.Path("half.png"), broken);
  EXPECT_EQ(ErrorOf([&] { doc.Open(ReadPictureFile(dir.Path("half.png"))); }).rfind("half.png: PNG: ", 0), 0u);
  EXPECT_THROW(doc.Open(ReadPictureFile(dir.Path("half.png"))), EInvalidGraphic);
  unchanged();

  const std::string missing = ErrorOf([&] { doc.Open(ReadPictureFile(dir.Path("none.bmp"))); });
  EXPECT_NE(missing.find("none.bmp"), std::string::npos);
  unchanged();

  WriteFileBytes(dir.Path("x.mfk"), test::EncipherProtected(".tif", TBytes(40, 7)));
  EXPECT_EQ(ErrorOf([&] { doc.Open(ReadPictureFile(dir.Path("x.mfk"))); }).rfind("Unsupported image format: x.mfk.", 0), 0u);
  unchanged();

  // A folder dropped on the window, named like a picture or not.
  for (const char* folder : {"holiday", "album.png"}) {
    std::filesystem::create_directory(dir.Path(folder));
    EXPECT_EQ(ErrorOf([&] { doc.Open(ReadPictureFile(dir.Path(folder))); }),
              dir.Path(folder) + " is a folder, not a picture");
    unchanged();
  }
}

TEST(DocumentSave, EveryKindWrittenOpensAgain) {
  TScratchFolder dir;
  const TBitmap32 picture = Swatch(7, 5);
  WriteFileBytes(dir.Path("in.bmp"), EncodeBmp32(picture));
  TDocument doc;
  doc.Open(ReadPictureFile(dir.Path("in.bmp")));
  for (const char* name : {"o.bmp", "o.png", "o.gif", "o.jpg", "o.jpeg", "o.webp"}) {
    SCOPED_TRACE(name);
    doc.WritePicture(dir.Path(name));
    TDocument again;
    again.Open(ReadPictureFile(dir.Path(name)));
    EXPECT_EQ(again.ImageWidth(), 7);
    EXPECT_EQ(again.ImageHeight(), 5);
    if (std::string(name) != "o.jpg" && std::string(name) != "o.jpeg") {
      EXPECT_EQ(again.SourceBitmap, picture);
    }
  }
  // A ".jpeg" save is a real JPEG, not nothing.
  const TBytes jpeg = ReadFileBytes(dir.Path("o.jpeg"));
  ASSERT_GE(jpeg.size(), 2u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
}

TEST(DocumentSave, UnsupportedExtensionWritesNothingAndSaysSo) {
  TScratchFolder dir;
  WriteFileBytes(dir.Path("in.bmp"), EncodeBmp32(Swatch(3, 3)));
  TDocument doc;
  doc.Open(ReadPictureFile(dir.Path("in.bmp")));
  EXPECT_EQ(ErrorOf([&] { doc.WritePicture(dir.Path("out.tiff")); }), "Unsupported image format");
  EXPECT_FALSE(FileExists(dir.Path("out.tiff")));
  doc.WritePicture(dir.Path("out"));
  EXPECT_TRUE(FileExists(dir.Path("out.bmp")));
  EXPECT_FALSE(FileExists(dir.Path("out")));
}

TEST(DocumentSave, PngKeepsTransparentMarginsTransparent) {
  TScratchFolder dir;
  WriteFileBytes(dir.Path("in.bmp"), EncodeBmp32(Swatch(6, 4)));
  TDocument doc;
  doc.Open(ReadPictureFile(dir.Path("in.bmp")));
  doc.ViewBitmap.SetPixel(0, 3, 0);  // what a warp leaves near an edge
  doc.WritePicture(dir.Path("w.png"));
  EXPECT_EQ(doc.UndoBitmap, doc.ViewBitmap);
  TDocument again;
  again.Open(ReadPictureFile(dir.Path("w.png")));
  EXPECT_EQ(AlphaOf(again.SourceBitmap.Pixel(0, 3)), 0);
  EXPECT_EQ(again.SourceBitmap.Pixel(1, 1), doc.ViewBitmap.Pixel(1, 1));
}

TEST(DocumentSave, TwoPassGifKeepsTransparentPixelsOnTheKeyAndBakesTheWarp) {
  TScratchFolder dir;
  // Far more than 256 colours, so the encoder has to reduce them.
  TBitmap32 photo(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) photo.SetPixel(x, y, Color32(uint8_t(x * 4), uint8_t(y * 4), uint8_t(x * y)));
  WriteFileBytes(dir.Path("p.bmp"), EncodeBmp32(photo));
  TDocument doc;
  doc.Open(ReadPictureFile(dir.Path("p.bmp")));
  doc.ViewBitmap.FillRect(TRect{0, 0, 8, 8}, 0);  // transparent corner
  doc.MeshTransformation.VectorMap().Vector(3, 3) = {65536, 0};
  doc.SaveGif(dir.Path("p.gif"));
  EXPECT_TRUE(doc.MeshTransformation.VectorMap().IsIdentity());
  EXPECT_EQ(doc.SourceBitmap, doc.ViewBitmap);

  const TDecodedPicture gif = DecodeGif(ReadFileBytes(dir.Path("p.gif")));
  ASSERT_TRUE(gif.TransparentColor.has_value());
  EXPECT_EQ(*gif.TransparentColor, kDefaultKey);
  EXPECT_EQ(AlphaOf(gif.Bitmap.Pixel(3, 3)), 0);
  EXPECT_EQ(RgbOf(gif.Bitmap.Pixel(3, 3)), 0x00FFFEFDu);
  EXPECT_EQ(AlphaOf(gif.Bitmap.Pixel(40, 40)), 255);
  // The second pass wrote exactly the colour-reduced picture the first pass produced.
  EXPECT_EQ(RgbOf(gif.Bitmap.Pixel(40, 40)), RgbOf(doc.UndoBitmap.Pixel(40, 40)));
}

TEST(DocumentSave, PdfLeavesNoTemporaryJpegBehind) {
  TScratchFolder dir;
  WriteFileBytes(dir.Path("in.bmp"), EncodeBmp32(Swatch(40, 30)));
  TDocument doc;
  doc.Open(ReadPictureFile(dir.Path("in.bmp")));
  doc.WritePicture(dir.Path("x.pdf"));
  EXPECT_FALSE(FileExists(dir.Path("x.pdf111")));
  const TBytes pdf = ReadFileBytes(dir.Path("x.pdf"));
  const std::string text(pdf.begin(), pdf.end());
  EXPECT_EQ(text.rfind("%PDF-1.2\n", 0), 0u);
  EXPECT_NE(text.find("/MediaBox [ 0 0 40 30 ]"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 5), "%%EOF");
}

// The file-size limit stands in for a full disk: writes past it fail with EFBIG.
class TFullDisk {
public:
  explicit TFullDisk(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &Saved_);
    OldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = Saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFullDisk() {
    setrlimit(RLIMIT_FSIZE, &Saved_);
    std::signal(SIGXFSZ, OldSignal_);
  }
  TFullDisk(const TFullDisk&) = delete;
  TFullDisk& operator=(const TFullDisk&) = delete;

private:
  rlimit Saved_{};
  void (*OldSignal_)(int) = nullptr;
};

TBitmap32 Noise(int width, int height) {
  TBitmap32 picture(width, height);
  uint32_t state = 12345;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      picture.SetPixel(x, y, 0xFF000000u | (state >> 8));
    }
  return picture;
}

TEST(DocumentSave, AFailedSaveKeepsThePreviousFileAndLeavesNothingBehind) {
  TScratchFolder dir;
  WriteFileBytes(dir.Path("in.bmp"), EncodeBmp32(Noise(256, 256)));
  TDocument doc;
  doc.Open(ReadPictureFile(dir.Path("in.bmp")));
  EXPECT_THROW(doc.WritePicture(dir.Path("no-such-folder/out.png")), EFileError);

  const TBytes earlier = {'e', 'a', 'r', 'l', 'i', 'e', 'r'};
  for (const char* name : {"out.bmp", "out.png", "out.jpg", "out.gif", "out.pdf"}) {
    SCOPED_TRACE(name);
    WriteFileBytes(dir.Path(name), earlier);
    {
      TFullDisk full(4096);
      EXPECT_THROW(doc.WritePicture(dir.Path(name)), EFileError);
    }
    EXPECT_EQ(ReadFileBytes(dir.Path(name)), earlier);
  }
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path("")))
    names.insert(entry.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"in.bmp", "out.bmp", "out.gif", "out.jpg", "out.pdf", "out.png"}));
}

TEST(GraphicFile, PngComesBackOpaqueAndOtherKindsAsDecoded) {
  TScratchFolder dir;
  TBitmap32 picture = Swatch(3, 2);
  picture.SetPixel(1, 1, 0x80FF0000);
  WriteFileBytes(dir.Path("g.png"), EncodePng(picture, std::nullopt));
  const TDecodedPicture png = LoadGraphicFile(dir.Path("g.png"));
  EXPECT_EQ(png.Bitmap.Pixel(1, 1), 0xFFFF0000u);
  WriteFileBytes(dir.Path("G.BMP"), EncodeBmp32(picture));
  EXPECT_EQ(LoadGraphicFile(dir.Path("G.BMP")).Bitmap.Pixel(1, 1), 0x80FF0000u);
  EXPECT_EQ(ErrorOf([&] { LoadGraphicFile(dir.Path("g.xcf")); }).rfind("Unsupported image format: g.xcf.", 0), 0u);
}

TEST(DocumentLoad, PhotoTurnedByItsExifOpensUprightAndRestoresUpright) {
  TScratchFolder dir;
  // Stored landscape, red on the left and blue on the right in whole JPEG blocks; its EXIF
  // (big-endian TIFF, IFD0 with one entry) says 6: turn clockwise, so the left half becomes the top.
  TBitmap32 stored(32, 16, Color32(0, 0, 255));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) stored.SetPixel(x, y, Color32(255, 0, 0));
  const uint8_t app1[] = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                          0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0};
  TBytes jpeg = EncodeJpeg(stored, 95);
  jpeg.insert(jpeg.begin() + 2, std::begin(app1), std::end(app1));
  WriteFileBytes(dir.Path("phone.jpg"), jpeg);

  TDocument doc;
  doc.Open(ReadPictureFile(dir.Path("phone.jpg")));
  ASSERT_EQ(doc.ImageWidth(), 16);
  ASSERT_EQ(doc.ImageHeight(), 32);
  EXPECT_GT(RedOf(doc.SourceBitmap.Pixel(8, 8)), 200);
  EXPECT_GT(BlueOf(doc.SourceBitmap.Pixel(8, 24)), 200);
  EXPECT_EQ(doc.UndoBitmap, doc.SourceBitmap);

  const TBitmap32 upright = doc.SourceBitmap;
  doc.Open(ReadPictureFile(doc.OpenedFileName()), TPictureEntry::Restore);
  EXPECT_EQ(doc.SourceBitmap, upright);
  // Saved upright without the tag, it opens the same way round.
  doc.WritePicture(dir.Path("saved.png"));
  TDocument again;
  again.Open(ReadPictureFile(dir.Path("saved.png")));
  EXPECT_EQ(again.SourceBitmap, upright);
}
