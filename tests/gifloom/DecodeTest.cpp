// SPDX-License-Identifier: GPL-3.0-or-later
// The animation as another program sees it: Qt's own GIF reader plays it frame by frame.

#include "TestGif.h"

#include "gifloom/GifAssembler.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

using namespace gifloom;
using namespace gifloom::test;

namespace {

QByteArray AsQt(const TBytes& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

std::vector<uint8_t> Stripes(int width, int height, int colours) {
  std::vector<uint8_t> indices;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) indices.push_back(uint8_t((x / 2 + y) % colours));
  return indices;
}

TEST(DecodedAnimation, PlaysEveryFrameWithItsOwnColours) {
  TScratchFolder folder;
  const std::vector<TTestGif> inputs = {
      {.ScreenWidth = 12, .ScreenHeight = 8, .GlobalTableCode = 3, .ColourSeed = 1,
       .Indices = Stripes(12, 8, 16)},
      {.Version = "GIF87a", .ScreenWidth = 12, .ScreenHeight = 8, .GlobalTableCode = 7,
       .ColourSeed = 2, .Indices = Stripes(12, 8, 200)},
      {.ScreenWidth = 12, .ScreenHeight = 8, .GlobalTableCode = 1, .LocalTableCode = 2,
       .ColourSeed = 3, .Indices = Stripes(12, 8, 8)}};
  std::vector<std::string> paths;
  for (size_t i = 0; i < inputs.size(); ++i)
    paths.push_back(folder.Put("frame" + std::to_string(i) + ".gif", inputs[i]));
  AssembleAnimatedGif(paths, folder / "out.gif", {.DelayCentiseconds = 40});

  QByteArray bytes = AsQt(ReadFile(folder / "out.gif"));
  QBuffer buffer(&bytes);
  QImageReader reader(&buffer, "gif");
  ASSERT_TRUE(reader.supportsAnimation());
  EXPECT_EQ(reader.imageCount(), 3);
  EXPECT_NE(reader.loopCount(), 0);
  for (size_t frame = 0; frame < inputs.size(); ++frame) {
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << frame << reader.errorString().toStdString();
    EXPECT_EQ(reader.nextImageDelay(), 400);
    ASSERT_EQ(image.size(), QSize(12, 8));
    const uint8_t seed = uint8_t(inputs[frame].ColourSeed + (frame == 2 ? 100 : 0));
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 12; ++x)
        ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF,
                  ColourOf(seed, inputs[frame].Indices[size_t(y * 12 + x)]))
            << "frame " << frame << " at " << x << "," << y;
  }
}

}  // namespace
