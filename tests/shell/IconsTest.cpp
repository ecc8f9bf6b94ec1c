#include "shell/Icons.h"

#include "QtApp.h"

#include <QImage>

#include <gtest/gtest.h>

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
  }
}

}  // namespace
}  // namespace gs
