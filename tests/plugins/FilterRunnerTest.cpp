// SPDX-License-Identifier: GPL-3.0-or-later
// TFilterRunner with the window's filter UI against the test modules: modules that do not load,
// the window handle plug-ins are given, and previews reaching the window.

#include "PluginTestKit.h"
#include "plugins/FilterRunner.h"
#include "plugins/qt/QtFilterUi.h"

#include <QImage>
#include <QWidget>

namespace gs {
namespace {

namespace fs = std::filesystem;

// Stands in for the picture view.
struct TFakeView {
  std::vector<std::pair<QImage, QPoint>> Shown;
  bool Showing = false;
  void ShowPreview(const QImage& pixels, QPoint at) {
    Shown.emplace_back(pixels, at);
    Showing = true;
  }
  void EndPreview() { Showing = false; }
};

class FilterRunnerTest : public ::testing::Test {
protected:
  // The message a run of filter `name` fails with, the picture checked untouched.
  std::string LoadFailure(const std::string& name) {
    const int index = Runner.Plugins.FindByCaption(name);
    EXPECT_GE(index, 0) << name;
    TBitmap32 image = Picture;
    try {
      Runner.RunFilter(index, false, image);
      ADD_FAILURE() << name << " ran";
    } catch (const Exception& e) {
      EXPECT_EQ(image, Picture);
      EXPECT_FALSE(Runner.HasLastFilter());
      EXPECT_FALSE(Form.Visible);
      return e.what();
    }
    return {};
  }

  test::TQtFirst QtFirst;
  QWidget Window;
  test::TFakeProgressForm Form;
  TFakeView View;
  TQtFilterUi<test::TFakeProgressForm, TFakeView> Ui{&Form, &Window, &View};
  TFilterRunner Runner{&Ui};
  const TBitmap32 Picture = test::Pattern(30, 20);
};

TEST_F(FilterRunnerTest, ModulesThatCannotBeLoadedSayWhyAndLeaveThePicture) {
  Runner.Plugins.LoadModule(test::TestModule("ThreePipl.8bf"));
  EXPECT_EQ(LoadFailure("Beta"), "Could not load the filter module " + test::TestModule("ThreePipl.8bf") +
                                      ": it has no entry point \"NoSuchEntry\".");

  // Listed, then gone before it was chosen.
  test::TScratchFolder dir;
  fs::copy_file(test::TestModule("Sampler.8bf"), dir / "Sampler.8bf");
  Runner.Plugins.LoadModule(dir / "Sampler.8bf");
  fs::remove(dir / "Sampler.8bf");
  const std::string message = LoadFailure("Sampler");
  const std::string head = "Could not load the filter module " + (dir / "Sampler.8bf") + ": ";
  ASSERT_EQ(message.substr(0, head.size()), head);
  EXPECT_NE(message.find("No such file", head.size()), std::string::npos) << message;

  // The module still works afterwards.
  TBitmap32 image = Picture;
  EXPECT_TRUE(Runner.RunFilter(Runner.Plugins.FindByCaption("Gamma"), false, image));
  EXPECT_EQ(RgbOf(image.Pixel(0, 0)), 0x28323Cu);
}

TEST_F(FilterRunnerTest, PluginsAreGivenTheNativeWindowOfTheirUi) {
  Runner.Plugins.LoadModule(test::TestModule("Display.8bf"));
  TBitmap32 image = Picture;
  ASSERT_TRUE(Runner.RunFilter(0, false, image));
  const intptr_t handle = Runner.Plugins[0].PluginData;
  EXPECT_NE(handle, 0);
  EXPECT_EQ(handle, intptr_t(Window.winId()));
}

TEST_F(FilterRunnerTest, PreviewsReachTheViewOpaqueAndEndWithTheRun) {
  Runner.Plugins.LoadModule(test::TestModule("Display.8bf"));
  bool showingMidRun = false;
  Runner.FilterHost.OnAdvanceState = [&](TPSFilterHost&) { showingMidRun = View.Showing; };
  TBitmap32 image = Picture;
  ASSERT_TRUE(Runner.RunFilter(0, false, image));
  EXPECT_TRUE(showingMidRun);
  EXPECT_FALSE(View.Showing);
  ASSERT_EQ(View.Shown.size(), 1u);
  const auto& [pixels, at] = View.Shown[0];
  EXPECT_EQ(at, QPoint(5, 2));
  EXPECT_EQ(pixels.size(), QSize(4, 3));
  EXPECT_EQ(pixels.pixel(3, 2), 0xFF123456u);  // the map's pad byte is no alpha
  EXPECT_EQ(image, Picture);
}

}  // namespace
}  // namespace gs
