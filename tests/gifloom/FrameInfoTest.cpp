// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestGif.h"

#include "gifloom/FrameInfo.h"
#include "gifloom/GifError.h"
#include "gifloom/GifFormat.h"
#include "gifloom/GifMessages.h"

#include <gtest/gtest.h>

using namespace gifloom;
using namespace gifloom::test;

namespace {

std::string InfoText(const std::string& path) { return FormatFrameInfo(ReadFrameInfo(path)); }

std::string FailureOf(const std::string& path) {
  try {
    ReadFrameInfo(path);
  } catch (const EGifError& error) {
    return error.Message();
  }
  return "";
}

TEST(FrameInfo, NamesTheTableTheFirstImageUses) {
  TScratchFolder folder;
  EXPECT_EQ(InfoText(folder.Put("global.gif", {.ScreenWidth = 120, .ScreenHeight = 90,
                                               .GlobalTableCode = 3})),
            "120 x 90\nglobal (4 bpp)");
  // Extensions before the image are passed over, even with ',' and '!' inside them.
  EXPECT_EQ(InfoText(folder.Put("local.gif", {.GlobalTableCode = 7, .LocalTableCode = 2,
                                              .Controls = {{.Packed = 1}},
                                              .CommentBeforeImage = true})),
            "4 x 3\nlocal (3 bpp)");
  EXPECT_EQ(InfoText(folder.Put("none.gif", {.Version = "GIF87a", .GlobalTableCode = -1})),
            "4 x 3\nnone (1 bpp)");
}

TEST(FrameInfo, ReportsFilesItCannotDescribe) {
  TScratchFolder folder;
  EXPECT_EQ(FailureOf(folder / "missing.gif"), kCouldNotOpenFile);
  EXPECT_EQ(FailureOf(folder.Put("png.gif", {.Version = "\x89PNG\r\n"})), kNotAGif);
  TBytes cut = BuildGif({.GlobalTableCode = 4});
  cut.resize(6 + 7 + 20);  // inside the global table
  WriteFile(folder / "cut.gif", cut);
  EXPECT_EQ(FailureOf(folder / "cut.gif"), kPrematureEnd);
  // A trailer before any image leaves nothing to describe.
  WriteFile(folder / "empty.gif", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B});
  EXPECT_EQ(FailureOf(folder / "empty.gif"), kPrematureEnd);
  // Stray bytes before the first image are passed over one by one; a sparse giant of them
  // would take minutes, so its size alone refuses it.
  WriteFile(folder / "giant.gif", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0});
  std::filesystem::resize_file(folder / "giant.gif", kMaxInputBytes + 1);
  EXPECT_EQ(FailureOf(folder / "giant.gif"), kInputTooLarge);
}

}  // namespace
