// SPDX-License-Identifier: GPL-3.0-or-later
// The filters we ship, run end to end through TFilterRunner on a real picture and checked
// against reference models written here, plus the run's progress, Escape and "last filter".

#include "PluginTestKit.h"
#include "plugins/FilterRunner.h"
#include "plugins/qt/QtFilterUi.h"

#include <QKeyEvent>
#include <QWidget>

#include <cmath>
#include <functional>

namespace gs {
namespace {

using test::TFakeProgressForm;

using TPixelModel = std::function<TColor32(const TBitmap32& in, int x, int y)>;

int Luma(TColor32 c) { return (299 * RedOf(c) + 587 * GreenOf(c) + 114 * BlueOf(c) + 500) / 1000; }
TColor32 Rgb(int r, int g, int b) {
  auto clamp = [](int v) { return uint8_t(std::clamp(v, 0, 255)); };
  return Color32(clamp(r), clamp(g), clamp(b), 0);
}

TColor32 PosterizeModel(TColor32 c, int levels) {
  auto one = [&](int v) {
    const long level = std::lround(v * (levels - 1) / 255.0);
    return int(std::lround(level * 255.0 / (levels - 1)));
  };
  return Rgb(one(RedOf(c)), one(GreenOf(c)), one(BlueOf(c)));
}

// The whole picture blurred at once in double precision, edges repeated.
TBitmap32 BlurModel(const TBitmap32& in) {
  const int w = in.Width(), h = in.Height(), radius = 6;
  std::vector<double> kernel;
  double sum = 0;
  for (int k = -radius; k <= radius; ++k) sum += std::exp(-k * k / 8.0);
  for (int k = -radius; k <= radius; ++k) kernel.push_back(std::exp(-k * k / 8.0) / sum);
  std::vector<double> across(size_t(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int k = -radius; k <= radius; ++k) {
        const TColor32 p = in.Pixel(std::clamp(x + k, 0, w - 1), y);
        for (int c = 0; c < 3; ++c) across[(size_t(y) * w + x) * 3 + c] += kernel[size_t(k + radius)] * ((p >> (16 - 8 * c)) & 0xFF);
      }
  TBitmap32 out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double v[3] = {0, 0, 0};
      for (int k = -radius; k <= radius; ++k)
        for (int c = 0; c < 3; ++c) v[c] += kernel[size_t(k + radius)] * across[(size_t(std::clamp(y + k, 0, h - 1)) * w + x) * 3 + c];
      out.SetPixel(x, y, Rgb(int(std::lround(v[0])), int(std::lround(v[1])), int(std::lround(v[2]))));
    }
  return out;
}

class ShippedFiltersTest : public ::testing::Test {
protected:
  void SetUp() override {
    test::EnsureQtApplication();
    Runner.Plugins.LoadFromFolder(test::ShippedFilters(), true);
    Picture = test::LoadPicture(std::string(GS_TESTDATA_DIR) + "/images/video-001.png");
  }

  int Index(const std::string& caption) {
    const int index = Runner.Plugins.FindByCaption(caption);
    EXPECT_GE(index, 0) << caption;
    return index;
  }

  // Each pixel against the model; alpha must be the picture's own. Returns the largest channel
  // difference.
  int Compare(const TBitmap32& result, const TPixelModel& model) {
    int worst = 0;
    for (int y = 0; y < Picture.Height(); ++y)
      for (int x = 0; x < Picture.Width(); ++x) {
        const TColor32 got = result.Pixel(x, y), want = model(Picture, x, y);
        EXPECT_EQ(AlphaOf(got), AlphaOf(Picture.Pixel(x, y)));
        for (int shift : {0, 8, 16}) worst = std::max(worst, std::abs(int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF)));
      }
    return worst;
  }

  test::TDialogScope Dialogs;
  TFakeProgressForm Form;
  TQtFilterUi<TFakeProgressForm> Ui{&Form};
  TFilterRunner Runner{&Ui};
  TBitmap32 Picture;
};

TEST_F(ShippedFiltersTest, TheShippedFiltersAreListedByCategory) {
  std::vector<std::string> listing;
  for (int i = 0; i < Runner.Plugins.Count(); ++i)
    listing.push_back(Runner.Plugins.Items(i).Category() + "/" + Runner.Plugins.Items(i).Name());
  EXPECT_EQ(listing, (std::vector<std::string>{"Adjust/Grayscale", "Adjust/Invert", "Adjust/Posterize...", "Adjust/Sepia",
                                               "Blur/Gaussian Blur", "Stylize/Emboss", "Stylize/Solarize"}));
  EXPECT_TRUE(Runner.Plugins.Skipped().empty());
}

TEST_F(ShippedFiltersTest, EachFilterMatchesItsModel) {
  Dialogs.Dialogs.AnswerForm({"Posterize", {{"Levels", "3"}}, true});
  const TBitmap32 blurred = BlurModel(Picture);
  const std::vector<std::tuple<std::string, TPixelModel, int>> cases = {
      {"Invert", [](const TBitmap32& in, int x, int y) { return ~in.Pixel(x, y); }, 0},
      {"Grayscale", [](const TBitmap32& in, int x, int y) { const int l = Luma(in.Pixel(x, y)); return Rgb(l, l, l); }, 0},
      {"Posterize...", [](const TBitmap32& in, int x, int y) { return PosterizeModel(in.Pixel(x, y), 3); }, 0},
      {"Sepia", [](const TBitmap32& in, int x, int y) {
         const TColor32 c = in.Pixel(x, y);
         const int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
         auto mix = [](int n) { return int(std::lround(n / 1000.0)); };
         return Rgb(mix(393 * r + 769 * g + 189 * b), mix(349 * r + 686 * g + 168 * b), mix(272 * r + 534 * g + 131 * b));
       }, 0},
      {"Solarize", [](const TBitmap32& in, int x, int y) {
         auto s = [](int v) { return v >= 128 ? 255 - v : v; };
         const TColor32 c = in.Pixel(x, y);
         return Rgb(s(RedOf(c)), s(GreenOf(c)), s(BlueOf(c)));
       }, 0},
      {"Emboss", [](const TBitmap32& in, int x, int y) {
         const int w = in.Width(), h = in.Height();
         const int v = 128 + Luma(in.Pixel(std::min(x + 1, w - 1), std::min(y + 1, h - 1))) -
                       Luma(in.Pixel(std::max(x - 1, 0), std::max(y - 1, 0)));
         return Rgb(v, v, v);
       }, 0},
      {"Gaussian Blur", [&](const TBitmap32&, int x, int y) { return blurred.Pixel(x, y); }, 1},
  };
  for (const auto& [name, model, tolerance] : cases) {
    TBitmap32 image = Picture;
    Form = TFakeProgressForm{};
    ASSERT_TRUE(Runner.RunFilter(Index(name), false, image)) << name;
    EXPECT_LE(Compare(image, model), tolerance) << name;
    EXPECT_EQ(Form.Shown, 1) << name;
    EXPECT_EQ(Form.Position, Form.Maximum) << name;  // the last report says "done"
    EXPECT_TRUE(Form.Visible) << name;  // until the window has shown the result
    Runner.EndProgress();
    EXPECT_FALSE(Form.Visible) << name;
    const std::string caption = Form.Label.toStdString();
    EXPECT_EQ(caption, "Applying Filter " + (name.ends_with("...") ? name : name + "...")) << name;
  }
}

TEST_F(ShippedFiltersTest, LastFilterRepeatsTheParametersWithoutAsking) {
  Dialogs.Dialogs.AnswerForm({"Posterize", {{"Levels", "5"}}, true});
  TBitmap32 image = Picture;
  ASSERT_TRUE(Runner.RunFilter(Index("Posterize..."), false, image));
  EXPECT_EQ(Runner.LastFilterIndex(), Index("Posterize..."));

  image = Picture;
  ASSERT_TRUE(Runner.RunLastFilter(image));  // a dialog now would find no answer and fail
  EXPECT_EQ(Compare(image, [](const TBitmap32& in, int x, int y) { return PosterizeModel(in.Pixel(x, y), 5); }), 0);

  // A cancelled dialog is a silent abort that still counts as the last filter run.
  Dialogs.Dialogs.AnswerForm({"Posterize", {{"Levels", "9"}}, false});
  image = Picture;
  EXPECT_FALSE(Runner.RunFilter(Index("Posterize..."), false, image));
  EXPECT_EQ(image, Picture);
  EXPECT_TRUE(Runner.HasLastFilter());
}

TEST_F(ShippedFiltersTest, EscapeRestoresThePictureAndForgetsTheParameters) {
  QWidget focus;
  Dialogs.Dialogs.AnswerForm({"Posterize", {{"Levels", "7"}}, true});
  QCoreApplication::postEvent(&focus, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  TBitmap32 image = Picture;
  EXPECT_FALSE(Runner.RunFilter(Index("Posterize..."), false, image));
  EXPECT_EQ(image, Picture);
  EXPECT_FALSE(Form.Visible);

  image = Picture;
  ASSERT_TRUE(Runner.RunLastFilter(image));  // no parameters left: the filter's default, 4
  EXPECT_EQ(Compare(image, [](const TBitmap32& in, int x, int y) { return PosterizeModel(in.Pixel(x, y), 4); }), 0);

  QCoreApplication::postEvent(&focus, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  image = Picture;
  EXPECT_FALSE(Runner.RunFilter(Index("Gaussian Blur"), false, image));
  EXPECT_EQ(image, Picture);
}

TEST_F(ShippedFiltersTest, LastFilterFollowsItsEntryWhenLaterScansSortFiltersBeforeIt) {
  EXPECT_THROW(Runner.RunLastFilter(Picture), Exception);
  EXPECT_THROW(Runner.RunFilter(Runner.Plugins.Count(), false, Picture), Exception);
  TBitmap32 image = Picture;
  const int invert = Index("Invert");
  Runner.RunFilter(invert, false, image);
  Runner.Plugins.LoadFromFolder(test::ShippedFilters(), true);  // a second Grayscale sorts in before
  EXPECT_EQ(Runner.LastFilterIndex(), invert + 1);
  EXPECT_EQ(Runner.Plugins.Items(Runner.LastFilterIndex()).Name(), "Invert");
}

TEST_F(ShippedFiltersTest, AFilterCannotStartWhileAnotherRuns) {
  TBitmap32 nested = Picture;
  Form.OnStart = [&] { Runner.RunFilter(Index("Invert"), false, nested); };
  TBitmap32 image = Picture;
  try {
    Runner.RunFilter(Index("Emboss"), false, image);
    ADD_FAILURE() << "the nested run started";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "A filter is already running.");
  }
  EXPECT_EQ(nested, Picture);
  EXPECT_FALSE(Runner.Running());
  EXPECT_FALSE(Form.Visible);
  Form.OnStart = nullptr;
  EXPECT_TRUE(Runner.RunFilter(Index("Invert"), false, image));
}

TEST(ProgressCaption, AppendsTheDotsOnce) {
  EXPECT_EQ(ProgressCaption("Posterize..."), "Applying Filter Posterize...");
  EXPECT_EQ(ProgressCaption("Blur"), "Applying Filter Blur...");
  EXPECT_EQ(ProgressCaption(".."), "Applying Filter .....");
  EXPECT_EQ(ProgressCaption(""), "Applying Filter ...");
}

}  // namespace
}  // namespace gs
