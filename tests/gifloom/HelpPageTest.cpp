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

}  // namespace
