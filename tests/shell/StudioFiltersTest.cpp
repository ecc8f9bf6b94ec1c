// SPDX-License-Identifier: GPL-3.0-or-later
// Filter plug-ins in the main window, driven through the batch mode with the test modules:
// previews on the picture view, the window handle, and modules that no longer load.

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "plugins/FilterRunner.h"
#include "shell/view/ImageView.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>

using namespace gs;

namespace {

namespace fs = std::filesystem;

constexpr TColor32 kPhoto = 0xFF3060A0;

class StudioFiltersTest : public test::TStudioFixture {
protected:
  StudioFiltersTest() {
    WriteFileBytes(Dir_.Path("photo.bmp"), EncodeBmp32(TBitmap32(60, 40, kPhoto)));
    fs::create_directory(Dir_.Path("filters"));
    fs::copy_file(fs::path(GS_TEST_MODULES_DIR) / "Display.8bf", Module());
    Run("loadfilters " + Dir_.Path("filters") + "\nopen " + Dir_.Path("photo.bmp") + "\nzoom original\n");
  }
  std::string Module() const { return Dir_.Path("filters/Display.8bf"); }
  QRgb ViewPixel(int x, int y) const { return View()->grab().toImage().pixel(x, y); }
};

}  // namespace

TEST_F(StudioFiltersTest, PreviewShowsOnThePictureWhileTheFilterRunsAndSeesTheWindow) {
  QRgb inside = 0, beside = 0;
  // The module shows 4 x 3 pixels of 123456 at column 5, row 2, then asks for input.
  Studio_->Filters().FilterHost.OnAdvanceState = [&](TPSFilterHost&) {
    inside = ViewPixel(8, 4);
    beside = ViewPixel(9, 4);
  };
  EXPECT_EQ(Command("LastFilter1")->text(), QStringLiteral("Last Filter"));
  EXPECT_FALSE(Command("LastFilter1")->isEnabled());
  Run("filter Display\n");
  EXPECT_EQ(Command("LastFilter1")->text(), QStringLiteral("Execute last filter"));
  EXPECT_TRUE(Command("LastFilter1")->isEnabled());
  EXPECT_EQ(inside, 0xFF123456u);
  EXPECT_EQ(beside, kPhoto);
  EXPECT_EQ(ViewPixel(8, 4), kPhoto);  // gone with the filter
  EXPECT_EQ(Doc().ViewBitmap, TBitmap32(60, 40, kPhoto));

  const intptr_t handle = Studio_->Filters().Plugins[0].PluginData;
  EXPECT_NE(handle, 0);
  EXPECT_EQ(handle, intptr_t(Studio_->winId()));
}

TEST_F(StudioFiltersTest, AFilterWaitsForAPicture) {
  ShowNewWindow();
  Run("loadfilters " + Dir_.Path("filters") + "\n");
  EXPECT_NE(Fails("filter Display\n").find("\"Display\" is not available now"), std::string::npos);
}

TEST_F(StudioFiltersTest, AModuleThatNoLongerLoadsIsReportedAndChangesNothing) {
  fs::remove(Module());
  const std::string said = Fails("filter Display\n");
  EXPECT_NE(said.find("Could not load the filter module " + Module() + ": "), std::string::npos) << said;
  EXPECT_EQ(Doc().ViewBitmap, TBitmap32(60, 40, kPhoto));
  EXPECT_FALSE(Studio_->Filters().HasLastFilter());
}

namespace {
using StudioStartTest = test::TStudioFixture;
}  // namespace

TEST_F(StudioStartTest, StartUpListsTheFiltersOfEveryPluginFolderOnce) {
  // Shipped beside the program, which was started in its own folder by another name; the
  // user's folder has one more.
  for (const char* folder : {"bin/plugins", "user/plugins"}) fs::create_directories(Dir_.Path(folder));
  fs::copy_file(fs::path(GS_TEST_MODULES_DIR) / "Display.8bf", Dir_.Path("bin/plugins/Display.8bf"));
  fs::copy_file(fs::path(GS_TEST_MODULES_DIR) / "Sampler.8bf", Dir_.Path("user/plugins/Sampler.8bf"));
  fs::create_directory_symlink(Dir_.Path("bin"), Dir_.Path("start"));
  ShowNewWindow();
  const TPSPluginList& plugins = Studio_->Filters().Plugins;
  ASSERT_EQ(plugins.Count(), 2);
  EXPECT_GE(plugins.FindByCaption("Display"), 0);
  EXPECT_GE(plugins.FindByCaption("Sampler"), 0);
}
