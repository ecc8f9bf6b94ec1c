// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the shipped data: the order of the folders for each item and for Gifloom in the build
// tree's and the installed layout, and where the user's own filter modules live.

#include "platform/DataFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace gs {
namespace {

namespace fs = std::filesystem;

// A fresh folder, removed with everything in it at the end.
class TScratch {
public:
  TScratch() {
    std::string pattern = (fs::temp_directory_path() / "gs-data-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    Root_ = pattern;
  }
  ~TScratch() {
    std::error_code ec;
    fs::remove_all(Root_, ec);
  }
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;
  std::string Path(const std::string& name) const { return (Root_ / name).string(); }
  // A file, or with a trailing "/" a folder, and the folders above it.
  void Make(const std::string& name) const {
    if (name.back() == '/') {
      fs::create_directories(Path(name));
      return;
    }
    fs::create_directories(fs::path(Path(name)).parent_path());
    std::ofstream(Path(name)) << "x";
  }

private:
  fs::path Root_;
};

TEST(DataFolders, EachItemComesFromTheFirstFolderHoldingItExeThenInstalledThenStart) {
  using TFind = std::function<std::string(const TDataFolders&)>;
  const auto item = [](std::string name) -> TFind {
    return [name](const TDataFolders& f) { return FindDataItem(f, name); };
  };
  const TFind gifloom = FindGifloom;
  struct Case {
    const char* What;
    std::vector<std::string> Present;  // below the scratch folder: bin/ exe, share/ installed, start/
    TFind Find;
    std::string Expected;
  };
  const Case cases[] = {
      {"everywhere", {"bin/help/help.html", "share/help/help.html", "start/help/help.html"}, item(kHelpFile),
       "bin/help/help.html"},
      {"not beside the exe", {"share/help/help.html", "start/help/help.html"}, item(kHelpFile), "share/help/help.html"},
      {"only in the start folder", {"start/help/tutorial.html"}, item(kTutorialFile), "start/help/tutorial.html"},
      {"nowhere", {"bin/help/help.html"}, item(kTutorialFile), "start/help/tutorial.html"},
      {"a folder", {"share/Clipart/", "start/Clipart/"}, item(kClipartFolder), "share/Clipart"},
      {"inner folder missing beside the exe",
       {"bin/Clipart/", "share/Clipart/Talk Bubbles/"},
       item(kTalkBubblesFolder),
       "share/Clipart/Talk Bubbles"},
      {"gifloom, build tree", {"bin/Tools/gifloom", "bin/gifloom", "share/Tools/gifloom"}, gifloom,
       "bin/Tools/gifloom"},
      {"gifloom, installed", {"bin/gifloom", "share/Tools/gifloom", "start/Tools/gifloom"}, gifloom, "bin/gifloom"},
      {"gifloom, a folder of that name", {"bin/Tools/gifloom/", "bin/gifloom/", "share/Tools/gifloom"}, gifloom,
       "share/Tools/gifloom"},
      // A program in the start folder may have come with a download: it is never run.
      {"gifloom, only in the start folder", {"start/Tools/gifloom"}, gifloom, "bin/Tools/gifloom"},
      {"gifloom, nowhere", {}, gifloom, "bin/Tools/gifloom"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TScratch dir;
    for (const std::string& name : c.Present) dir.Make(name);
    const TDataFolders folders{dir.Path("bin"), dir.Path("share"), dir.Path("start"), dir.Path("user")};
    EXPECT_EQ(c.Find(folders), dir.Path(c.Expected));
  }

  // A folder the program has not got (no installed copy) is passed over.
  TScratch dir;
  dir.Make("start/help/help.html");
  EXPECT_EQ(FindDataItem(TDataFolders{"", "", dir.Path("start"), ""}, kHelpFile), dir.Path("start/help/help.html"));
  dir.Make("start/Tools/gifloom");
  EXPECT_EQ(FindGifloom(TDataFolders{"", "", dir.Path("start"), ""}), "");
}

TEST(DataFolders, InstalledFolderIsTheOneBesideTheProgramsPrefixWhenThereIsOne) {
  TScratch dir;
  dir.Make("moved/bin/grimacer");
  EXPECT_EQ(InstalledDataFolder(dir.Path("moved/bin"), "../share/grimacer-studio", "/usr/share/grimacer-studio"),
            "/usr/share/grimacer-studio");
  dir.Make("moved/share/grimacer-studio/");
  EXPECT_EQ(InstalledDataFolder(dir.Path("moved/bin"), "../share/grimacer-studio", "/usr/share/grimacer-studio"),
            dir.Path("moved/share/grimacer-studio"));
}

TEST(DataFolders, UserFolderFollowsXdgDataHomeElseHome) {
  struct Case {
    const char* Xdg;
    const char* Home;
    std::string Expected;
  };
  const Case cases[] = {
      {"/x/data", "/home/u", "/x/data/grimacer-studio"},
      {"", "/home/u", "/home/u/.local/share/grimacer-studio"},
      {nullptr, "/home/u", "/home/u/.local/share/grimacer-studio"},
      {"relative/data", "/home/u", "/home/u/.local/share/grimacer-studio"},
      {"/x/data", nullptr, "/x/data/grimacer-studio"},
      {nullptr, nullptr, ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Xdg ? c.Xdg : "(unset)") + " " + (c.Home ? c.Home : "(unset)"));
    EXPECT_EQ(UserDataFolder(c.Xdg, c.Home), c.Expected);
  }
}

}  // namespace
}  // namespace gs
