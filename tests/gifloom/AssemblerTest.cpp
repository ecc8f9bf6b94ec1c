// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestGif.h"

#include "gifloom/GifAssembler.h"
#include "gifloom/GifError.h"
#include "gifloom/GifFormat.h"
#include "gifloom/GifMessages.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace gifloom;
using namespace gifloom::test;

namespace {

TAnimation Assemble(const std::vector<std::string>& inputs, const std::string& output,
                    TAssemblyOptions options = {}) {
  AssembleAnimatedGif(inputs, output, options);
  return ParseAnimation(ReadFile(output));
}

// The message and file of the failure, or "" when the assembly succeeds.
std::string FailureOf(const std::vector<std::string>& inputs, const std::string& output) {
  try {
    AssembleAnimatedGif(inputs, output, {});
  } catch (const EGifError& error) {
    return error.what();
  }
  return "";
}

std::string Failure(std::string_view message, const std::string& path) {
  return std::string(message) + "\n" + path;
}

TEST(GifAssembler, ScreenIsTheLargestInputAndFramesKeepTheirOrder) {
  TScratchFolder folder;
  const std::string wide = folder.Put("wide.gif", {.ScreenWidth = 100, .ScreenHeight = 50});
  const std::string tall =
      folder.Put("tall.gif", {.ScreenWidth = 80, .ScreenHeight = 120, .ColourSeed = 9});
  const TAnimation animation = Assemble({wide, tall, wide}, folder / "out.gif");
  EXPECT_EQ(animation.Screen, (TBytes{100, 0, 120, 0, 0, 0, 0}));
  EXPECT_TRUE(animation.HasLoopingBlock);
  ASSERT_EQ(animation.Frames.size(), 3u);
  EXPECT_EQ(animation.Frames[0].Table, ColourTable(1, 0));
  EXPECT_EQ(animation.Frames[1].Table, ColourTable(1, 9));
  EXPECT_EQ(animation.Frames[1].Descriptor[4], 80);
  EXPECT_EQ(animation.Frames[2].Table, ColourTable(1, 0));
}

TEST(GifAssembler, GraphicControlGetsTheDelayAndRestoreToBackground) {
  TScratchFolder folder;
  const std::string plain = folder.Put("plain.gif", {});
  const std::string transparent = folder.Put(
      "transparent.gif", {.Controls = {{.Packed = 0x01, .Delay = 3, .TransparentIndex = 5}}});
  // Reserved bits, disposal 3, user input and transparency; the later extension wins.
  const std::string twice = folder.Put(
      "twice.gif", {.Controls = {{.Packed = 0x01, .TransparentIndex = 2},
                                 {.Packed = 0xEF, .Delay = 9, .TransparentIndex = 7}}});
  // A longer first sub-block than usual, holding bytes that look like an image separator.
  TBytes odd = BuildGif({});
  const TBytes longControl = {0x21, 0xF9, 6, 0x01, 0, 0, 0x2C, 0x2C, 0x2C, 1, 0x2C, 0};
  odd.insert(odd.begin() + 6 + 7 + 12, longControl.begin(), longControl.end());
  WriteFile(folder / "odd.gif", odd);
  const TAnimation animation = Assemble({plain, transparent, twice, folder / "odd.gif"},
                                        folder / "out.gif", {.DelayCentiseconds = 300});
  ASSERT_EQ(animation.Frames.size(), 4u);
  EXPECT_EQ(animation.Frames[0].Control, (TBytes{4, 0x08, 0x2C, 0x01, 0, 0}));
  EXPECT_EQ(animation.Frames[1].Control, (TBytes{4, 0x09, 0x2C, 0x01, 5, 0}));
  EXPECT_EQ(animation.Frames[2].Control, (TBytes{4, 0xEB, 0x2C, 0x01, 7, 0}));
  EXPECT_EQ(animation.Frames[3].Control, (TBytes{4, 0x09, 0x2C, 0x01, 0x2C, 0}));
  EXPECT_EQ(animation.Frames[3].ImageData, ImageDataOf({}));
}

TEST(GifAssembler, GlobalTableBecomesTheFramesLocalTable) {
  TScratchFolder folder;
  const std::string global256 = folder.Put("global.gif", {.GlobalTableCode = 7});
  const std::string interlaced =
      folder.Put("interlaced.gif", {.GlobalTableCode = 2, .DescriptorFlags = 0x60});
  const std::string ownTable =
      folder.Put("local.gif", {.GlobalTableCode = 7, .LocalTableCode = 3, .ColourSeed = 4});
  const std::string onlyLocal =
      folder.Put("only-local.gif", {.GlobalTableCode = -1, .LocalTableCode = 0});
  const TAnimation animation =
      Assemble({global256, interlaced, ownTable, onlyLocal}, folder / "out.gif");
  ASSERT_EQ(animation.Frames.size(), 4u);
  EXPECT_EQ(animation.Frames[0].Descriptor[8], 0x87);
  EXPECT_EQ(animation.Frames[0].Table.size(), 768u);
  EXPECT_EQ(animation.Frames[0].Table, ColourTable(7, 0));
  EXPECT_EQ(animation.Frames[1].Descriptor[8], 0xE2);
  EXPECT_EQ(animation.Frames[2].Descriptor[8], 0x83);
  EXPECT_EQ(animation.Frames[2].Table, ColourTable(3, 104));
  EXPECT_EQ(animation.Frames[3].Table, ColourTable(0, 100));
}

TEST(GifAssembler, ImageDataIsCopiedByteForByteAndOtherBlocksAreDropped) {
  TScratchFolder folder;
  TTestGif gif{
      .ScreenWidth = 40, .ScreenHeight = 30, .GlobalTableCode = 3, .CommentBeforeImage = true};
  for (int i = 0; i < 40 * 30; ++i) gif.Indices.push_back(uint8_t(i * 7 % 16));
  TBytes bytes = BuildGif(gif);
  // A second image after the first must not reach the animation.
  bytes.pop_back();
  const TBytes second = ImageDataOf({.ScreenWidth = 1, .ScreenHeight = 1});
  bytes.insert(bytes.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0});
  bytes.insert(bytes.end(), second.begin(), second.end());
  bytes.push_back(0x3B);
  WriteFile(folder / "in.gif", bytes);
  const TAnimation animation = Assemble({folder / "in.gif"}, folder / "out.gif");
  ASSERT_EQ(animation.Frames.size(), 1u);
  EXPECT_GT(ImageDataOf(gif).size(), 600u);  // spans several sub-blocks
  EXPECT_EQ(animation.Frames[0].ImageData, ImageDataOf(gif));
}

TEST(GifAssembler, WithoutLoopingTheFirstFrameFollowsTheScreen) {
  TScratchFolder folder;
  const std::string input = folder.Put("old.gif", {.Version = "GIF87a"});
  AssembleAnimatedGif(std::vector{input}, folder / "out.gif", {.Loop = false});
  const TBytes bytes = ReadFile(folder / "out.gif");
  ASSERT_GT(bytes.size(), 15u);
  EXPECT_EQ(TBytes(bytes.begin(), bytes.begin() + 6), (TBytes{'G', 'I', 'F', '8', '9', 'a'}));
  EXPECT_EQ(bytes[13], 0x21);
  EXPECT_EQ(bytes[14], 0xF9);
  EXPECT_FALSE(ParseAnimation(bytes).HasLoopingBlock);
}

TEST(GifAssembler, RefusesUnusableInputsNamingTheFile) {
  TScratchFolder folder;
  const std::string good = folder.Put("good.gif", {});
  const std::string noTable = folder.Put("no-table.gif", {.GlobalTableCode = -1});
  const std::string wrongVersion = folder.Put("v88.gif", {.Version = "GIF88a"});
  WriteFile(folder / "tiny.gif", {'G', 'I', 'F'});
  const std::string missing = folder / "missing.gif";
  const std::string out = folder / "out.gif";
  EXPECT_EQ(FailureOf({good, missing}, out), Failure(kCouldNotOpenInput, missing));
  EXPECT_EQ(FailureOf({good, folder.Path().string()}, out),
            Failure(kCouldNotOpenInput, folder.Path().string()));
  // Opening a fifo would wait for a writer forever.
  const std::string fifo = folder / "pipe.gif";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(FailureOf({fifo}, out), Failure(kCouldNotOpenInput, fifo));
  EXPECT_EQ(FailureOf({wrongVersion}, out), Failure(kNotAGif, wrongVersion));
  EXPECT_EQ(FailureOf({folder / "tiny.gif"}, out), Failure(kNotAGif, folder / "tiny.gif"));
  EXPECT_EQ(FailureOf({good, noTable}, out), Failure(kNoColourTable, noTable));
  EXPECT_EQ(FailureOf({}, out), std::string(kNoFrames));
}

TEST(GifAssembler, InputCountAndInputSizeAreBounded) {
  TScratchFolder folder;
  const std::string good = folder.Put("good.gif", {});
  const std::string out = folder / "out.gif";
  // Refused before any input is opened, so none of these needs to exist.
  const std::vector<std::string> tooMany(kMaxInputFiles + 1, folder / "missing.gif");
  EXPECT_EQ(FailureOf(tooMany, out), std::string(kTooManyInputs));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"good.gif"}));
  const std::vector<std::string> most(kMaxInputFiles, good);
  ASSERT_EQ(FailureOf(most, out), "");
  EXPECT_EQ(ParseAnimation(ReadFile(out)).Frames.size(), kMaxInputFiles);

  // A valid start padded, sparsely, past the limit: refused by its size, not read through.
  const std::string huge = folder / "huge.gif";
  WriteFile(huge, BuildGif({}));
  std::filesystem::resize_file(huge, kMaxInputBytes + 1);
  EXPECT_EQ(FailureOf({good, huge}, out), Failure(kInputTooLarge, huge));
  std::filesystem::resize_file(huge, kMaxInputBytes);
  EXPECT_EQ(FailureOf({huge}, out), "");
}

TEST(GifAssembler, EveryTruncationIsAPrematureEnd) {
  TScratchFolder folder;
  TTestGif gif{.ScreenWidth = 30, .ScreenHeight = 20, .GlobalTableCode = 2,
               .LocalTableCode = 1, .Controls = {{}}, .CommentBeforeImage = true};
  const TBytes whole = BuildGif(gif);
  const std::string input = folder / "cut.gif";
  // Everything but the trailer is needed; a shorter header is no GIF at all.
  for (size_t length = 6; length + 1 < whole.size(); ++length) {
    WriteFile(input, TBytes(whole.begin(), whole.begin() + long(length)));
    ASSERT_EQ(FailureOf({input}, folder / "out.gif"), Failure(kPrematureEnd, input)) << length;
  }
  WriteFile(input, TBytes(whole.begin(), whole.end() - 1));
  EXPECT_EQ(FailureOf({input}, folder / "out.gif"), "");
}

TEST(GifAssembler, FailureLeavesTheTargetAsItWasAndNoTemporaryFile) {
  TScratchFolder folder;
  const std::string good = folder.Put("good.gif", {});
  const std::string out = folder / "out.gif";
  WriteFile(out, {'o', 'l', 'd'});
  EXPECT_NE(FailureOf({good, folder / "missing.gif"}, out), "");
  EXPECT_EQ(ReadFile(out), (TBytes{'o', 'l', 'd'}));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"good.gif", "out.gif"}));

  const std::string fresh = folder / "fresh.gif";
  EXPECT_NE(FailureOf({folder / "missing.gif"}, fresh), "");
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"good.gif", "out.gif"}));

  EXPECT_EQ(FailureOf({good}, out), "");
  EXPECT_EQ(ParseAnimation(ReadFile(out)).Frames.size(), 1u);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"good.gif", "out.gif"}));
}

TEST(GifAssembler, AnOutputNameOfTheLongestLengthIsWritten) {
  TScratchFolder folder;
  const std::string good = folder.Put("good.gif", {});
  const std::string name = std::string(246, 'n') + ".gif";
  EXPECT_EQ(FailureOf({good}, folder / name), "");
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"good.gif", name}));
}

TEST(GifAssembler, OutputThatCannotBeCreatedIsReported) {
  TScratchFolder folder;
  const std::string good = folder.Put("good.gif", {});
  const std::string nowhere = folder / "no-such-folder/out.gif";
  EXPECT_EQ(FailureOf({good}, nowhere), Failure(kCouldNotCreateOutput, nowhere));
  // A folder of that name cannot be replaced by the file.
  std::filesystem::create_directory(folder / "taken.gif");
  EXPECT_EQ(FailureOf({good}, folder / "taken.gif"),
            Failure(kCouldNotCreateOutput, folder / "taken.gif"));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"good.gif", "taken.gif"}));
}

TEST(GifAssembler, OutputKeepsTheLinksAndModeOfTheFileItReplaces) {
  namespace fs = std::filesystem;
  TScratchFolder folder;
  const std::string good = folder.Put("good.gif", {});
  fs::create_directory(folder / "d");
  // Through a symbolic link: its target gets the animation and the link stays.
  WriteFile(folder / "d/target.gif", {'o', 'l', 'd'});
  fs::create_symlink("d/target.gif", folder / "link.gif");
  EXPECT_EQ(FailureOf({good}, folder / "link.gif"), "");
  EXPECT_TRUE(fs::is_symlink(folder / "link.gif"));
  EXPECT_EQ(ParseAnimation(ReadFile(folder / "d/target.gif")).Frames.size(), 1u);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"d", "good.gif", "link.gif"}));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder / "d"), fs::directory_iterator()), 1);

  // A 0600 file with a second name: both names see the animation and the mode stays.
  const std::string shared = folder / "d/target.gif";
  fs::create_hard_link(shared, folder / "d/other.gif");
  ASSERT_EQ(::chmod(shared.c_str(), 0600), 0);
  EXPECT_EQ(FailureOf({good, good}, shared), "");
  EXPECT_EQ(ParseAnimation(ReadFile(folder / "d/other.gif")).Frames.size(), 2u);
  struct stat info {};
  ASSERT_EQ(::stat(shared.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(info.st_nlink, 2u);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder / "d"), fs::directory_iterator()), 2);
}

}  // namespace
