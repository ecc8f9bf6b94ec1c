// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/ProtectedImage.h"

#include "ProtectedWriter.h"
#include "codecs/Bmp.h"
#include "codecs/Png.h"
#include "codecs/Rijndael.h"
#include "common/Errors.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace gs;
using gs::test::EncipherProtected;

namespace {

TBytes Pattern(size_t size) {
  TBytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(i * 131 + i / 256);
  return bytes;
}

TBitmap32 SamplePicture(int width, int height) {
  TBitmap32 picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.SetPixel(x, y, Color32(uint8_t(40 * x), uint8_t(70 * y), 200, 255));
  return picture;
}

}  // namespace

TEST(ProtectedImage, DeciphersEveryLengthAroundBlocksAndChunks) {
  // Partial last blocks with and without a full block before them, and the 8192-byte slices.
  for (size_t size : {0u, 1u, 15u, 16u, 17u, 31u, 8191u, 8192u, 8193u, 20000u}) {
    SCOPED_TRACE(size);
    const TBytes inner = Pattern(size);
    const TBytes file = EncipherProtected(".gif", inner);
    ASSERT_EQ(file.size(), 5 + size);
    if (size >= 16) {
      EXPECT_FALSE(std::equal(inner.begin(), inner.begin() + 16, file.begin() + 5));
    }
    const TProtectedContent content = DecipherProtected(file);
    EXPECT_EQ(content.InnerExtension, ".gif");
    EXPECT_EQ(content.Inner, inner);
  }
}

TEST(ProtectedImage, MatchesTheSchemeChainedByHand) {
  // 20 bytes: one CBC block and a 4-byte tail taken from E(first ciphertext block).
  const TBytes inner = Pattern(20);
  const TRijndael cipher(gs::test::ProtectedKey());
  EXPECT_EQ(cipher.Rounds(), 12);
  TRijndael::TBlock iv;
  iv.fill(0xFF);
  iv = cipher.EncryptBlock(iv);
  TRijndael::TBlock first;
  for (size_t i = 0; i < 16; ++i) first[i] = inner[i] ^ iv[i];
  const TRijndael::TBlock c0 = cipher.EncryptBlock(first);
  const TRijndael::TBlock pad = cipher.EncryptBlock(c0);

  TBytes file = {4, '.', 'p', 'n', 'g'};
  file.resize(5 + 20);
  std::copy(c0.begin(), c0.end(), file.begin() + 5);
  for (size_t i = 0; i < 4; ++i) file[21 + i] = inner[16 + i] ^ pad[i];

  EXPECT_EQ(DecipherProtected(file).Inner, inner);
  EXPECT_EQ(EncipherProtected(".png", inner), file);

  // A file shorter than a block takes its bytes from E(iv).
  const TRijndael::TBlock ivPad = cipher.EncryptBlock(iv);
  const TBytes tiny = {1, 2, 3};
  const TBytes tinyFile = {0, uint8_t(1 ^ ivPad[0]), uint8_t(2 ^ ivPad[1]), uint8_t(3 ^ ivPad[2])};
  EXPECT_EQ(DecipherProtected(tinyFile).Inner, tiny);
}

TEST(ProtectedImage, HeaderExtensionAndTruncation) {
  EXPECT_EQ(DecipherProtected(EncipherProtected(".JPG", Pattern(40))).InnerExtension, ".jpg");
  EXPECT_EQ(DecipherProtected(EncipherProtected("", Pattern(40))).Inner, Pattern(40));

  EXPECT_THROW(DecipherProtected(TBytes{}), EInvalidGraphic);
  const TBytes shortHeader = {5, '.', 'p', 'n'};
  EXPECT_THROW(DecipherProtected(shortHeader), EInvalidGraphic);
  const TBytes exactHeader = {4, '.', 'p', 'n', 'g'};
  EXPECT_TRUE(DecipherProtected(exactHeader).Inner.empty());
}

TEST(ProtectedImage, EncryptedImageLoadsInnerPictures) {
  const TBitmap32 picture = SamplePicture(3, 2);
  TEncryptedImage image;
  EXPECT_TRUE(image.Empty());
  EXPECT_EQ(image.Width(), 0);
  EXPECT_EQ(image.Inner(), nullptr);

  image.LoadFromStream(EncipherProtected(".BMP", EncodeBmp32(picture)));
  EXPECT_FALSE(image.Empty());
  EXPECT_EQ(image.Width(), 3);
  EXPECT_EQ(image.Height(), 2);
  ASSERT_NE(image.Inner(), nullptr);
  EXPECT_EQ(image.Inner()->Bitmap, picture);

  // A new load replaces the previous picture.
  image.LoadFromStream(EncipherProtected(".png", EncodePng(SamplePicture(5, 4), std::nullopt)));
  EXPECT_EQ(image.Width(), 5);
  EXPECT_EQ(image.Height(), 4);

  TBitmap32 canvas(7, 6, 0xFF000000);
  image.Draw(canvas, 2, 1);
  EXPECT_EQ(canvas.Pixel(1, 1), 0xFF000000u);
  EXPECT_EQ(canvas.Pixel(2, 1), image.Inner()->Bitmap.Pixel(0, 0));
  EXPECT_EQ(canvas.Pixel(6, 4), image.Inner()->Bitmap.Pixel(4, 3));
}

TEST(ProtectedImage, EncryptedImageRefusals) {
  TEncryptedImage image;
  image.LoadFromStream(EncipherProtected(".bmp", EncodeBmp32(SamplePicture(2, 2))));
  try {
    image.LoadFromStream(EncipherProtected(".tif", Pattern(100)));
    FAIL() << "a .tif inner picture was accepted";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Unsupported image format");
  }
  EXPECT_EQ(image.Width(), 2);  // the refused file did not touch the loaded picture

  // A broken inner file leaves no stale picture behind.
  EXPECT_THROW(image.LoadFromStream(EncipherProtected(".bmp", Pattern(100))), EInvalidGraphic);
  EXPECT_TRUE(image.Empty());

  TBytes out;
  EXPECT_THROW(image.SaveToStream(out), NotImplemented);
  EXPECT_THROW(image.SaveToClipboard(), NotImplemented);
  EXPECT_THROW(image.LoadFromClipboard(), NotImplemented);
}
