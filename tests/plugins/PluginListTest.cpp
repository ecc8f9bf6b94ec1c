// SPDX-License-Identifier: GPL-3.0-or-later
// Finding filters: folders and sub-folders, the harvest of new and old modules, sorting, and
// what the list frees when it goes.

#include "PluginTestKit.h"
#include "platform/DataFolders.h"
#include "platform/GlobalMemory.h"
#include "platform/ModuleResources.h"
#include "plugins/PluginList.h"

#include <elf.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

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

// A copy of a built module whose resource section is replaced by `resources`: the new section
// goes at the end of the file and the section's header is pointed at it.
void WriteModuleWithResources(const std::string& from, const std::string& to,
                              const std::vector<TModuleResource>& resources) {
  std::ifstream in(from, std::ios::binary);
  std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
  Elf64_Ehdr header;
  ASSERT_GE(file.size(), sizeof header);
  std::memcpy(&header, file.data(), sizeof header);
  auto sectionAt = [&](size_t index) { return header.e_shoff + index * header.e_shentsize; };
  Elf64_Shdr names;
  std::memcpy(&names, file.data() + sectionAt(header.e_shstrndx), sizeof names);
  const std::vector<uint8_t> section = EncodeResourceSection(resources);
  bool replaced = false;
  for (size_t i = 0; i < header.e_shnum; ++i) {
    Elf64_Shdr s;
    std::memcpy(&s, file.data() + sectionAt(i), sizeof s);
    if (std::strcmp(reinterpret_cast<const char*>(file.data() + names.sh_offset + s.sh_name),
                    kResourceSectionName) != 0)
      continue;
    s.sh_offset = file.size();
    s.sh_size = section.size();
    std::memcpy(file.data() + sectionAt(i), &s, sizeof s);
    replaced = true;
  }
  ASSERT_TRUE(replaced) << from;
  file.insert(file.end(), section.begin(), section.end());
  std::ofstream(to, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
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

// The pairs are indexed once rather than searched for each n (a module of a few megabytes of
// pairs once kept the scan busy for minutes); the index must keep the search's rules.
TEST(PluginList, OldModuleWithVeryManyPairsKeepsEveryPairAndTheFirstOfDuplicates) {
  constexpr int kPairs = 20'000;
  std::vector<TModuleResource> resources;
  resources.reserve(2 * kPairs + 2);
  for (int n = 1; n <= kPairs; ++n) {
    resources.push_back({"PIMI", n, {0, 0, 'C', 0}});
    resources.push_back({"_8BFM", n, {0, 0, 'N', uint8_t('0' + n % 10), 0}});
  }
  // Only the first resource of a type and id counts; a later duplicate is ignored.
  resources.push_back({"_8BFM", 1, {0, 0, 'X', 0}});
  test::TScratchFolder dir;
  WriteModuleWithResources(TestModule("OldStyle.8bf"), dir / "Many.8bf", resources);

  TPSPluginList list;
  list.LoadModule(dir / "Many.8bf");
  ASSERT_EQ(list.Count(), kPairs) << (list.Skipped().empty() ? "" : list.Skipped().front());
  EXPECT_EQ(list.Items(0).Name(), "N1");
  EXPECT_EQ(list.Items(0).Category(), "C");
  EXPECT_EQ(list.Items(kPairs - 1).Name(), "N0");
  EXPECT_EQ(list.Items(kPairs - 1).EntryPoint(), "ENTRYPOINT" + std::to_string(kPairs));
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

TEST(PluginList, EveryDataFolderWithPluginsIsScannedAndAModuleReachedTwiceIsListedOnce) {
  test::TScratchFolder dir;
  Copy("Sampler.8bf", dir / "bin/plugins/Sampler.8bf");
  Copy("OldStyle.8bf", dir / "share/plugins/old/OldStyle.8bf");
  Copy("Suites.8bf", dir / "user/plugins/Suites.8bf");
  // A module that came with a download in the folder the program was started in never runs.
  Copy("Sampler.8bf", dir / "start/plugins/Downloaded.8bf");
  // The user links a shipped module in.
  fs::create_symlink(dir / "bin/plugins/Sampler.8bf", dir / "user/plugins/Linked.8bf");
  // The shipped modules' own folder comes before the data folder, which earlier versions used.
  fs::create_directories(dir / "lib/plugins");
  const TDataFolders folders{dir / "bin", dir / "share", dir / "start", dir / "user", dir / "lib"};

  const std::vector<std::string> scanned = PluginFolders(folders);
  EXPECT_EQ(scanned, (std::vector<std::string>{dir / "bin/plugins", dir / "lib/plugins", dir / "share/plugins",
                                               dir / "user/plugins"}));
  EXPECT_TRUE(PluginFolders(TDataFolders{dir / "none", "", dir / "none", ""}).empty());

  TPSPluginList list;
  list.LoadFromFolders(scanned, true);
  EXPECT_EQ(Listing(list), (std::vector<std::string>{"Old Tools/Make Blue", "Old Tools/Make Red", "Tests/Sampler",
                                                     "Tests/Suites"}));
  EXPECT_EQ(list.Items(2).ModuleFileName, dir / "bin/plugins/Sampler.8bf");

  // Named twice, even through a link, a folder still gives its modules once per scan.
  fs::create_directory_symlink(dir / "bin", dir / "alias");
  TPSPluginList twice;
  twice.LoadFromFolders({dir / "bin/plugins", dir / "alias/plugins", dir / "bin/plugins"}, true);
  EXPECT_EQ(Listing(twice), (std::vector<std::string>{"Tests/Sampler"}));
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
