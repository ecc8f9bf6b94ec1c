// Finding filters: folders and sub-folders, the harvest of new and old modules, sorting, and
// what the list frees when it goes.

#include "PluginTestKit.h"
#include "platform/GlobalMemory.h"
#include "plugins/PluginList.h"

#include <algorithm>
#include <fstream>

namespace gs {
namespace {

namespace fs = std::filesystem;
using test::TestModule;

std::vector<std::string> Listing(const TPSPluginList& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list.Items(i).Category() + "/" + list.Items(i).Name());
  return out;
}

void Copy(const std::string& module, const std::string& to) {
  fs::create_directories(fs::path(to).parent_path());
  fs::copy_file(TestModule(module), to);
}

TEST(PluginList, ModuleWithThreePropertyListsGivesThreeFiltersFromOnePath) {
  TPSPluginList list;
  list.LoadModule(TestModule("ThreePipl.8bf"));
  ASSERT_EQ(list.Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list.Items(i).ModuleFileName, TestModule("ThreePipl.8bf"));
  list.Sort();
  EXPECT_EQ(Listing(list), (std::vector<std::string>{"Tests/Alpha", "Tests/Beta", "Tests/Gamma"}));
}

TEST(PluginList, OldModulesNameTheirFiltersByNumberedPairs) {
  TPSPluginList list;
  list.LoadModule(TestModule("OldStyle.8bf"));
  ASSERT_EQ(list.Count(), 2);  // _8BFM 3 has no PIMI 3
  EXPECT_EQ(list.Items(0).Name(), "Make Red");
  EXPECT_EQ(list.Items(0).Category(), "Old Tools");
  EXPECT_EQ(list.Items(0).EntryPoint(), "ENTRYPOINT1");
  EXPECT_EQ(list.Items(1).Name(), "Make Blue");
  EXPECT_EQ(list.Items(1).EntryPoint(), "ENTRYPOINT2");
  EXPECT_EQ(list.Items(1).PluginData, 0);
}

TEST(PluginList, MalformedPropertyListIsSkippedAndItsNeighbourKept) {
  TPSPluginList list;
  list.LoadModule(TestModule("Corrupt.8bf"));
  EXPECT_EQ(Listing(list), (std::vector<std::string>{"Tests/Survivor"}));
  ASSERT_EQ(list.Skipped().size(), 1u);
  EXPECT_NE(list.Skipped()[0].find("malformed PIPL resource 16000"), std::string::npos);
}

TEST(PluginList, SortsByCategoryThenNameOrdinallyWithCaseSignificant) {
  TPSPluginList list;
  for (const auto& [category, name] : std::vector<std::pair<std::string, std::string>>{
           {"Blur", "B"}, {"Artistic", "Z"}, {"artistic", "a"}, {"Artistic", "A"}, {"", "Nameless"}}) {
    auto filter = std::make_unique<TPIPLManager>();
    if (!category.empty()) filter->SetCategory(category);
    filter->SetName(name);
    list.Add(std::move(filter));
  }
  list.Add(std::make_unique<TPIPLManager>());  // neither category nor name
  list.Sort();
  EXPECT_EQ(Listing(list), (std::vector<std::string>{"/", "/Nameless", "Artistic/A", "Artistic/Z", "Blur/B",
                                                     "artistic/a"}));
}

TEST(PluginList, FolderScanFindsModulesInSubFoldersButNotHiddenOnesAndAddsOnEveryScan) {
  test::TScratchFolder dir;
  Copy("Sampler.8bf", dir / "top/Sampler.8BF");  // the extension in any letter case
  Copy("OldStyle.8bf", dir / "top/deep/er/OldStyle.8bf");
  Copy("ThreePipl.8bf", dir / "top/.hidden/ThreePipl.8bf");
  Copy("Suites.8bf", dir / "top/Suites.8bf.bak");
  std::ofstream(dir / "top/readme.8bf") << "not a module";
  fs::create_directory_symlink(dir / "top", dir / "top/deep/loop");  // must not scan forever

  TPSPluginList flat;
  flat.LoadFromFolder(dir / "top", false);
  EXPECT_EQ(Listing(flat), (std::vector<std::string>{"Tests/Sampler"}));
  EXPECT_EQ(flat.Skipped().size(), 1u);  // readme.8bf

  TPSPluginList deep;
  deep.LoadFromFolder(dir / "top", true);
  EXPECT_EQ(Listing(deep), (std::vector<std::string>{"Old Tools/Make Blue", "Old Tools/Make Red", "Tests/Sampler"}));
  deep.LoadFromFolder(dir / "top", true);
  EXPECT_EQ(deep.Count(), 6);
  EXPECT_EQ(deep.Items(4).Name(), "Sampler");
  EXPECT_EQ(deep.Items(5).Name(), "Sampler");

  deep.LoadFromFolder(dir / "no such folder", true);
  EXPECT_EQ(deep.Count(), 6);
}

TEST(PluginList, FindsFiltersByMenuCaption) {
  TPSPluginList list;
  for (const char* name : {"Posterize...", "Invert", "Invert"}) {
    auto filter = std::make_unique<TPIPLManager>();
    filter->SetName(name);
    list.Add(std::move(filter));
  }
  EXPECT_EQ(list.FindByCaption("Invert"), 1);
  EXPECT_EQ(list.FindByCaption("Posterize..."), 0);
  EXPECT_EQ(list.FindByCaption("Posterize"), 0);
  EXPECT_EQ(list.FindByCaption("invert"), -1);
  EXPECT_EQ(list.IndexOf(&list.Items(2)), 2);
}

TEST(PluginList, FreesOnlyPluginDataThatIsALiveHandleOfOurs) {
  const size_t before = GlobalHandleCount();
  static int pluginsOwnValue = 42;
  {
    TPSPluginList list;
    for (int i = 0; i < 4; ++i) list.Add(std::make_unique<TPIPLManager>());
    TGlobalHandle freedByPlugin = GlobalAlloc(4, true);
    GlobalFree(freedByPlugin);
    list.Items(0).PluginData = reinterpret_cast<intptr_t>(GlobalAlloc(16, true));
    list.Items(1).PluginData = reinterpret_cast<intptr_t>(&pluginsOwnValue);
    list.Items(2).PluginData = reinterpret_cast<intptr_t>(freedByPlugin);
    list.Items(3).PluginData = 7;
    EXPECT_EQ(GlobalHandleCount(), before + 1);
  }
  EXPECT_EQ(GlobalHandleCount(), before);
  EXPECT_EQ(pluginsOwnValue, 42);
}

}  // namespace
}  // namespace gs
