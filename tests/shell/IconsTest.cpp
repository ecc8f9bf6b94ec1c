// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/art/Icons.h"

#include "QtApp.h"

#include <QCursor>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace gs {
namespace {

struct TPixelStats {
  int Opaque = 0;
  int Transparent = 0;
  int Dark = 0;
  std::set<QRgb> Colours;
  int Total = 0;
  double Coverage = 0;  // alpha-weighted share of the area
};

TPixelStats Measure(const QPixmap& pixmap) {
  const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
  TPixelStats stats;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y);
      ++stats.Total;
      stats.Coverage += qAlpha(c) / 255.0;
      if (qAlpha(c) >= 128 && qRed(c) + qGreen(c) + qBlue(c) < 3 * 90)
        ++stats.Dark;
      if (qAlpha(c) == 255) {
        ++stats.Opaque;
        stats.Colours.insert(c);
      } else if (qAlpha(c) == 0) {
        ++stats.Transparent;
      }
    }
  }
  stats.Coverage /= stats.Total;
  return stats;
}

int DifferingPixels(const QPixmap& a, const QPixmap& b) {
  const QImage ia = a.toImage().convertToFormat(QImage::Format_ARGB32);
  const QImage ib = b.toImage().convertToFormat(QImage::Format_ARGB32);
  int count = 0;
  for (int y = 0; y < ia.height(); ++y)
    for (int x = 0; x < ia.width(); ++x)
      count += ia.pixel(x, y) != ib.pixel(x, y);
  return count;
}

std::string Name(int kind) { return "icon #" + std::to_string(kind); }

class IconsTest : public ::testing::Test {
protected:
  // Pixmaps need the GUI application shared by every test of this program.
  static void SetUpTestSuite() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    test::EnsureQtApplication();
  }
};

TEST_F(IconsTest, EveryIconIsOutlinedColourfulArtworkOnATransparentBackground) {
  for (int kind = 0; kind < kIconCount; ++kind) {
    for (int size : {16, 48}) {
      const TPixelStats stats = Measure(PaintIcon(TIcon(kind), size));
      SCOPED_TRACE(Name(kind) + " at " + std::to_string(size));
      EXPECT_GT(stats.Opaque, stats.Total / 8);
      EXPECT_GT(stats.Transparent, stats.Total / 10);
      EXPECT_GE(stats.Colours.size(), 3u);
      EXPECT_GT(stats.Dark, size);  // the shared dark outline
    }
  }
}

TEST_F(IconsTest, PaintingIsRepeatable) {
  for (int kind = 0; kind < kIconCount; ++kind)
    EXPECT_EQ(DifferingPixels(PaintIcon(TIcon(kind), 24), PaintIcon(TIcon(kind), 24)), 0) << Name(kind);
}

TEST_F(IconsTest, EveryIconLooksDifferentFromEveryOther) {
  for (int a = 0; a < kIconCount; ++a) {
    for (int b = a + 1; b < kIconCount; ++b) {
      // The zoom family differs only in the sign inside the lens, so the bar is modest.
      EXPECT_GT(DifferingPixels(PaintIcon(TIcon(a), 32), PaintIcon(TIcon(b), 32)), 12)
          << Name(a) << " vs " << Name(b);
    }
  }
}

TEST_F(IconsTest, SmallAndLargeRenderingsCoverTheSameShare) {
  // A drawing that ignores the requested scale gets clipped or shrinks at some sizes.
  for (int kind = 0; kind < kIconCount; ++kind) {
    const double small = Measure(PaintIcon(TIcon(kind), 24)).Coverage;
    const double large = Measure(PaintIcon(TIcon(kind), 96)).Coverage;
    EXPECT_NEAR(small, large, 0.1) << Name(kind);
  }
}

TEST_F(IconsTest, PaintHonoursTheRequestedSize) {
  for (int size : {1, 16, 24, 33, 128}) {
    const QPixmap pixmap = PaintIcon(TIcon::Save, size);
    EXPECT_EQ(pixmap.width(), size);
    EXPECT_EQ(pixmap.height(), size);
    EXPECT_TRUE(pixmap.hasAlphaChannel());
  }
  EXPECT_TRUE(PaintIcon(TIcon::Save, 0).isNull());
  EXPECT_TRUE(PaintIcon(TIcon::Save, -5).isNull());
}

TEST_F(IconsTest, IconCarriesEveryToolbarSize) {
  for (int kind = 0; kind < kIconCount; ++kind) {
    const QIcon icon = MakeIcon(TIcon(kind));
    ASSERT_FALSE(icon.isNull()) << Name(kind);
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 24, 32, 48})
      EXPECT_TRUE(sizes.contains(QSize(size, size))) << Name(kind) << " lacks " << size;
    // The exact-size pixmap is the painted one, not a rescaled neighbour.
    EXPECT_EQ(DifferingPixels(icon.pixmap(24), PaintIcon(TIcon(kind), 24)), 0) << Name(kind);
    // A disabled command must look it.
    EXPECT_GT(DifferingPixels(icon.pixmap(24, QIcon::Disabled), PaintIcon(TIcon(kind), 24)), 0) << Name(kind);
  }
}

// The smallest rectangle holding every pixel the predicate accepts; empty when none does.
template <typename TPredicate>
QRect Bounds(const QImage& image, TPredicate accept) {
  QRect bounds;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (accept(image.pixel(x, y)))
        bounds |= QRect(x, y, 1, 1);
  return bounds;
}

bool IsBlack(QRgb c) { return qAlpha(c) == 255 && qRed(c) + qGreen(c) + qBlue(c) < 60; }
bool IsWhite(QRgb c) { return qAlpha(c) == 255 && qRed(c) + qGreen(c) + qBlue(c) > 700; }
bool IsVisible(QRgb c) { return qAlpha(c) >= 128; }

QImage CursorImage(const QCursor& cursor) {
  return cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST_F(IconsTest, PaletteIconsCarryTheirSignatureColours) {
  // Share of the visible pixels of one hue: a blank or mis-mapped palette icon fails this.
  const auto share = [](TIcon kind, auto isHue) {
    const QImage image = PaintIcon(kind, 48).toImage().convertToFormat(QImage::Format_ARGB32);
    int visible = 0, hue = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (const QRgb c = image.pixel(x, y); qAlpha(c) == 255) {
          ++visible;
          hue += isHue(c);
        }
    return double(hue) / std::max(visible, 1);
  };
  const auto red = [](QRgb c) { return qRed(c) > qGreen(c) + 80 && qRed(c) > qBlue(c) + 80; };
  const auto green = [](QRgb c) { return qGreen(c) > qRed(c) + 40 && qGreen(c) > qBlue(c) + 40; };
  const auto yellow = [](QRgb c) { return qRed(c) > 200 && qGreen(c) > 150 && qBlue(c) < 100; };
  EXPECT_GT(share(TIcon::Delete, red), 0.5);
  EXPECT_GT(share(TIcon::Chromakey, green), 0.4);
  EXPECT_GT(share(TIcon::ComicFilter, yellow), 0.3);
  EXPECT_GT(share(TIcon::RotateLayer, green), 0.2);
  EXPECT_LT(share(TIcon::Delete, green), 0.05);
}

TEST_F(IconsTest, BrushCursorsAreRingsOfTheBrushSizeHookedAtTheirTopLeft) {
  int previousWidth = 0;
  for (int slot = 1; slot <= 7; ++slot) {
    const int diameter = kBrushCircleSizes[size_t(slot - 1)];
    SCOPED_TRACE("slot " + std::to_string(slot) + ", diameter " + std::to_string(diameter));
    const QCursor cursor = MakeToolCursor(slot);
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    const QImage image = CursorImage(cursor);
    EXPECT_GT(image.width(), previousWidth);
    previousWidth = image.width();
    // The black ring spans exactly the brush, its square starting at the hotspot.
    const QRect ring = Bounds(image, IsBlack);
    EXPECT_EQ(ring, QRect(cursor.hotSpot(), QSize(diameter, diameter)));
    EXPECT_EQ(cursor.hotSpot(), QPoint(1, 1));
    EXPECT_TRUE(Bounds(image, IsWhite).contains(ring));
    if (diameter >= 6) {
      // Hollow, so the user sees what is about to be erased.
      EXPECT_EQ(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 0);
      EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    }
  }
}

TEST_F(IconsTest, PickingCursorPicksAtItsTip) {
  const QCursor cursor = MakeToolCursor(8);
  EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
  const QImage image = CursorImage(cursor);
  const QPoint hot = cursor.hotSpot();
  ASSERT_TRUE(image.rect().contains(hot));
  EXPECT_TRUE(IsVisible(image.pixel(hot)));
  // The tip is the drawing's bottom-left extreme, the bulb points up and to the right.
  const QRect drawn = Bounds(image, IsVisible);
  EXPECT_LE(hot.x() - drawn.left(), 2);
  EXPECT_LE(drawn.bottom() - hot.y(), 2);
  EXPECT_GT(drawn.width(), 16);
  EXPECT_GT(drawn.height(), 16);
}

TEST_F(IconsTest, RotateCursorPivotsAtItsCentre) {
  const QCursor cursor = MakeToolCursor(9);
  EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
  const QImage image = CursorImage(cursor);
  EXPECT_EQ(cursor.hotSpot(), QPoint(image.width() / 2, image.height() / 2));
  EXPECT_TRUE(IsVisible(image.pixel(cursor.hotSpot())));
  const QRect drawn = Bounds(image, IsVisible);
  EXPECT_NEAR(drawn.center().x(), cursor.hotSpot().x(), 3);
  EXPECT_NEAR(drawn.center().y(), cursor.hotSpot().y(), 3);
  EXPECT_GT(DifferingPixels(cursor.pixmap(), MakeToolCursor(8).pixmap()), 50);
}

TEST_F(IconsTest, SlotsWithoutAToolCursorGiveTheArrow) {
  for (int slot : {-1, 0, 10, 42})
    EXPECT_EQ(MakeToolCursor(slot).shape(), Qt::ArrowCursor) << slot;
}

TEST_F(IconsTest, BrushSizeImagesShowCentredDotsFromLargestToSmallest) {
  int previous = 33;
  for (int index = 0; index < 7; ++index) {
    SCOPED_TRACE("index " + std::to_string(index));
    const QPixmap pixmap = PaintBrushSizeImage(index);
    ASSERT_EQ(pixmap.size(), QSize(32, 32));
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    const QRect dot = Bounds(image, [](QRgb c) { return qAlpha(c) != 0; });
    const int diameter = kBrushCircleSizes[size_t(6 - index)];
    EXPECT_EQ(dot.width(), diameter);
    EXPECT_EQ(dot.height(), diameter);
    EXPECT_LT(diameter, previous);
    previous = diameter;
    EXPECT_NEAR(dot.left(), 32 - 1 - dot.right(), 1);
    EXPECT_NEAR(dot.top(), 32 - 1 - dot.bottom(), 1);
    EXPECT_TRUE(IsBlack(image.pixel(dot.center())));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
  }
  EXPECT_TRUE(PaintBrushSizeImage(-1).isNull());
  EXPECT_TRUE(PaintBrushSizeImage(7).isNull());
}

}  // namespace
}  // namespace gs
