// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"
#include "common/Shrink.h"
#include "faces/finder/FaceFinder.h"
#include "faces/finder/FaceTiles.h"
#include "faces/finder/GreyShrink.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace gs;

namespace {

const TFaceFinder& Finder() {
  static const TFaceFinder finder(kDefaultFaceModel);
  return finder;
}

// The astronaut's face with room around it, cut out once.
struct TCutFace {
  TBitmap32 Picture;
  double FaceSide;  // the finder's box, in the cut-out's pixels
};

const TCutFace& AstronautCut() {
  static const TCutFace cut = [] {
    const TBitmap32 photo = DecodePicture(".png", ReadFileBytes(GS_TESTDATA_DIR "/faces/astronaut.png")).Bitmap;
    const TFloatRect box = Finder().Find(photo).at(0).Box;
    const double half = 0.8 * box.Width(), cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
    const TRect area = Intersect(CoveringRect(TFloatRect{cx - half, cy - half, cx + half, cy + half}), photo.BoundsRect());
    TCutFace result{TBitmap32(area.Width(), area.Height()), box.Width()};
    result.Picture.CopyRect(0, 0, photo, area);
    return result;
  }();
  return cut;
}

struct TPasted {
  double X, Y, Side;  // where the face's centre went, and its size
};

// Pastes the astronaut's face centred on (x, y) so that its box is `side` pixels wide.
TPasted PasteFace(TBitmap32& canvas, int x, int y, int side) {
  const TCutFace& cut = AstronautCut();
  const double scale = side / cut.FaceSide;
  const int w = int(std::lround(cut.Picture.Width() * scale)), h = int(std::lround(cut.Picture.Height() * scale));
  const TRect place{x - w / 2, y - h / 2, x - w / 2 + w, y - h / 2 + h};
  if (scale < 1)
    canvas.Draw(place.Left, place.Top, ShrinkPicture(cut.Picture, w, h));
  else
    canvas.StretchDraw(place, cut.Picture);
  return TPasted{double(x), double(y), double(side)};
}

}  // namespace

// Anything no larger than the overlap lies wholly inside some tile, and no tile reaches outside.
TEST(FaceTiles, EveryPieceAsLargeAsTheOverlapFitsInOneTile) {
  const struct {
    int Width, Height, Step, Overlap;
  } cases[] = {{3600, 2400, 1200, 224}, {1425, 300, 1200, 224}, {1424, 1424, 1200, 224},
               {300, 200, 1200, 224}, {200, 150, 100, 224}, {1001, 777, 97, 40}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Width << "x" << c.Height << " step " << c.Step << " overlap " << c.Overlap);
    const std::vector<TRect> tiles = OverlappingTiles(c.Width, c.Height, c.Step, c.Overlap);
    ASSERT_FALSE(tiles.empty());
    for (const TRect& t : tiles) {
      EXPECT_EQ(Intersect(t, TRect{0, 0, c.Width, c.Height}), t);
      EXPECT_LE(t.Width(), c.Step + c.Overlap);
      EXPECT_LE(t.Height(), c.Step + c.Overlap);
    }
    const int w = std::min(c.Overlap, c.Width), h = std::min(c.Overlap, c.Height);
    for (int y = 0; y + h <= c.Height; y += 7)
      for (int x = 0; x + w <= c.Width; x += 7) {
        const TRect piece{x, y, x + w, y + h};
        ASSERT_TRUE(std::any_of(tiles.begin(), tiles.end(), [&](const TRect& t) { return Intersect(t, piece) == piece; }))
            << x << ", " << y;
      }
  }
}

// Each pixel of the grey copy is the mean of the area of the picture it covers, grey over white,
// across the rows where the work is split between threads and up to the last row and column.
TEST(GreyShrink, EachPixelIsTheMeanOfTheAreaItCovers) {
  TBitmap32 picture(701, 523);
  const auto wave = [](double t) { return uint8_t(127.5 + 127 * std::sin(t)); };
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x)
      picture.SetPixel(x, y, Color32(wave(x / 3.0), wave(y / 2.0), wave((x + y) / 5.0), wave(x / 7.0 - y / 4.0)));
  const auto grey = [&](int x, int y) {
    const TColor32 c = picture.Pixel(x, y);
    const double a = (c >> 24) / 255.0, mean = (((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF)) / 3.0;
    return mean * a + 255 * (1 - a);
  };
  // How much of source pixel i lies under target pixel t when n pixels become m.
  const auto overlap = [](int i, int t, int n, int m) {
    return std::max(0.0, std::min(i + 1.0, (t + 1.0) * n / m) - std::max(double(i), double(t) * n / m));
  };
  for (const TSize size : {TSize{701, 523}, TSize{350, 200}, TSize{97, 211}, TSize{1, 1}}) {
    SCOPED_TRACE(testing::Message() << size.Width << "x" << size.Height);
    std::vector<uint8_t> shrunk(size_t(size.Width * size.Height));
    ShrinkToGrey(picture, size.Width, size.Height, shrunk.data());
    for (int ty = 0; ty < size.Height; ++ty)
      for (int tx = 0; tx < size.Width; ++tx) {
        double sum = 0, area = 0;
        for (int y = ty * picture.Height() / size.Height; y <= (ty + 1) * picture.Height() / size.Height; ++y)
          for (int x = tx * picture.Width() / size.Width; x <= (tx + 1) * picture.Width() / size.Width; ++x) {
            if (x >= picture.Width() || y >= picture.Height()) continue;
            const double w = overlap(x, tx, picture.Width(), size.Width) * overlap(y, ty, picture.Height(), size.Height);
            sum += w * grey(x, y);
            area += w;
          }
        ASSERT_NEAR(shrunk[size_t(ty * size.Width + tx)], sum / area, 0.6) << tx << ", " << ty;
      }
  }
}

// Faces from the smallest size the finder promises up to a third of the picture, one straddling
// the middle where tiles overlap: each is found once, where it was put.
TEST(FaceFinder, FindsSmallAndLargeFacesOnceEach) {
  TBitmap32 canvas(1200, 900, 0xFF8A8F94);
  const int smallest = int(std::ceil(TFaceFinder::kSmallestFace * 1.1));
  const std::vector<TPasted> pasted = {
      PasteFace(canvas, 560, 450, 100), PasteFace(canvas, 120, 120, smallest), PasteFace(canvas, 330, 730, 70),
      PasteFace(canvas, 120, 460, 56),  PasteFace(canvas, 1130, 70, 60),       PasteFace(canvas, 920, 540, 300),
  };
  const std::vector<TFace> faces = Finder().Find(canvas);
  EXPECT_EQ(faces.size(), pasted.size());
  for (const TPasted& p : pasted) {
    const auto matches = std::count_if(faces.begin(), faces.end(), [&](const TFace& f) {
      const double cx = (f.Box.Left + f.Box.Right) / 2, cy = (f.Box.Top + f.Box.Bottom) / 2;
      return std::hypot(cx - p.X, cy - p.Y) < 0.25 * p.Side && std::abs(f.Box.Width() / p.Side - 1) < 0.25;
    });
    EXPECT_EQ(matches, 1) << "face of " << p.Side << " at " << p.X << ", " << p.Y;
  }
}
