// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestGif.h"

#include "gifloom/HelpPage.h"

#include <gtest/gtest.h>

using namespace gifloom;
using namespace gifloom::test;

namespace {

TEST(HelpPage, FoundBesideTheStartFolderOrOneLevelUp) {
  TScratchFolder folder;
  const std::filesystem::path tools = folder.Path() / "Tools";
  std::filesystem::create_directories(tools);
  EXPECT_FALSE(FindHelpPage(tools.string()));
  EXPECT_EQ(ExpectedHelpPage(tools.string()), (tools / "help/animator.html").string());

  std::filesystem::create_directories(folder.Path() / "help");
  WriteFile(folder.Path() / "help/animator.html", {'<'});
  EXPECT_EQ(FindHelpPage(tools.string()), (folder.Path() / "help/animator.html").string());

  std::filesystem::create_directories(tools / "help");
  WriteFile(tools / "help/animator.html", {'<'});
  EXPECT_EQ(FindHelpPage(tools.string()), (tools / "help/animator.html").string());
}

TEST(HelpPage, FoundBesideAnInstalledProgramStartedAnywhere) {
  TScratchFolder folder;
  const std::filesystem::path bin = folder.Path() / "bin", elsewhere = folder.Path() / "home";
  const std::filesystem::path help = folder.Path() / "share/grimacer-studio/help";
  for (const auto& f : {bin, elsewhere, help}) std::filesystem::create_directories(f);
  EXPECT_FALSE(FindHelpPage(elsewhere.string(), bin.string()));
  WriteFile(help / "animator.html", {'<'});
  EXPECT_EQ(FindHelpPage(elsewhere.string(), bin.string()),
            (folder.Path() / "bin/../share/grimacer-studio/help/animator.html").lexically_normal().string());
}

TEST(HelpPage, BesideTheProgramComesFirstThenTheInstalledFolderThenTheStartFolder) {
  TScratchFolder folder;
  const std::filesystem::path bin = folder.Path() / "bin", start = folder.Path() / "start",
                              installed = folder.Path() / "usr/share/grimacer-studio";
  const auto page = [&] { return FindHelpPage(start.string(), bin.string(), installed.string()); };
  for (const auto& f : {bin, start, installed}) std::filesystem::create_directories(f / "help");
  WriteFile(start / "help/animator.html", {'<'});
  EXPECT_EQ(page(), (start / "help/animator.html").string());
  WriteFile(installed / "help/animator.html", {'<'});
  EXPECT_EQ(page(), (installed / "help/animator.html").string());
  WriteFile(bin / "help/animator.html", {'<'});
  EXPECT_EQ(page(), (bin / "help/animator.html").string());
}

}  // namespace
