// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestGif.h"

#include "gifloom/CommandLine.h"
#include "gifloom/GifMessages.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace gifloom;
using namespace gifloom::test;

namespace {

struct TRun {
  int ExitCode = 0;
  std::string Out;
  std::string Err;
};

TRun RunGifloom(const std::vector<std::string>& arguments) {
  std::ostringstream out, err;
  const int code = RunCommandLine(arguments, out, err);
  return {code, out.str(), err.str()};
}

TEST(CommandLine, JoinsTheInputsWithTheGivenOptions) {
  TScratchFolder folder;
  const std::string a = folder.Put("a.gif", {.ColourSeed = 1});
  const std::string b = folder.Put("b.gif", {.ColourSeed = 2});
  const TRun run = RunGifloom({"--delay", "25", "--no-loop", "-o", folder / "out.gif", b, a});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Err, "");
  const TAnimation animation = ParseAnimation(ReadFile(folder / "out.gif"));
  EXPECT_FALSE(animation.HasLoopingBlock);
  ASSERT_EQ(animation.Frames.size(), 2u);
  EXPECT_EQ(animation.Frames[0].Table, ColourTable(1, 2));
  EXPECT_EQ(animation.Frames[1].Control, (TBytes{4, 0x08, 25, 0, 0, 0}));

  EXPECT_EQ(RunGifloom({"-o", folder / "looped.gif", "--", a}).ExitCode, 0);
  EXPECT_TRUE(ParseAnimation(ReadFile(folder / "looped.gif")).HasLoopingBlock);
}

TEST(CommandLine, HelpExplainsTheUsage) {
  const TRun run = RunGifloom({"--help"});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_NE(run.Out.find("gifloom -o OUT.gif [--delay CS] [--no-loop] IN.gif..."),
            std::string::npos);
}

TEST(CommandLine, FailuresPrintTheMessageAndExitWithOne) {
  TScratchFolder folder;
  const std::string good = folder.Put("good.gif", {});
  const std::string out = folder / "out.gif";
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {good}, {"-o", out}, {"-o"}, {"--delay", "1e3", "-o", out, good},
           {"--delay", "70000", "-o", out, good}, {"--loud", "-o", out, good}}) {
    const TRun run = RunGifloom(arguments);
    EXPECT_EQ(run.ExitCode, 1) << arguments.front();
    EXPECT_NE(run.Err.find("gifloom --help"), std::string::npos) << arguments.front();
  }
  const TRun broken = RunGifloom({"-o", out, good, folder / "missing.gif"});
  EXPECT_EQ(broken.ExitCode, 1);
  EXPECT_EQ(broken.Err, std::string(kCouldNotOpenInput) + "\n" + (folder / "missing.gif") + "\n");
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
