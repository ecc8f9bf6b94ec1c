// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a module's resources from its file: the section layout, the ELF tables, and files
// that are not what their name says.

#include "PluginTestKit.h"
#include "platform/ModuleResources.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>

namespace gs {
namespace {

using test::TestModule;

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

TEST(ResourceSection, EncodedEntriesReadBackAndEveryTruncationIsRejected) {
  const std::vector<TModuleResource> entries = {
      {"PIPL", 16000, {1, 2, 3}}, {"_8BFM", -7, {}}, {"PIMI", 1, std::vector<uint8_t>(300, 0xAB)}};
  const std::vector<uint8_t> bytes = EncodeResourceSection(entries);
  const std::vector<TModuleResource> back = ParseResourceSection(bytes.data(), bytes.size());
  ASSERT_EQ(back.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(back[i].Type, entries[i].Type);
    EXPECT_EQ(back[i].Id, entries[i].Id);
    EXPECT_EQ(back[i].Data, entries[i].Data);
  }
  // Each cut is copied into a block of exactly its size, so a read past it is caught.
  for (size_t size = 0; size < bytes.size(); ++size) {
    const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + long(size));
    EXPECT_THROW(ParseResourceSection(cut.data(), cut.size()), EModuleFormat) << "cut at " << size;
  }
}

TEST(ResourceSection, LiesInCountsAndLengthsAreRejected) {
  std::vector<uint8_t> bytes = EncodeResourceSection({{"PIPL", 1, {9, 9}}});
  auto patch = [&](size_t at, uint32_t v) {
    std::vector<uint8_t> b = bytes;
    std::memcpy(b.data() + at, &v, 4);
    return b;
  };
  const std::vector<std::vector<uint8_t>> broken = {
      patch(0, 0x12345678),   // no mark
      patch(4, 2),            // another layout version
      patch(8, 0xFFFFFFFF),   // more entries than bytes
      patch(12, 0),           // empty type name
      patch(12, 0x7FFFFFFF),  // type name longer than the section
      patch(24, 0x80000000),  // data longer than the section
      patch(24, 3),           // one byte more than the section holds
  };
  for (const auto& b : broken) EXPECT_THROW(ParseResourceSection(b.data(), b.size()), EModuleFormat);
}

TEST(ModuleFile, ResourcesAreReadFromTheBuiltModule) {
  const std::vector<TModuleResource> resources = ReadModuleResources(TestModule("OldStyle.8bf"));
  ASSERT_EQ(resources.size(), 5u);
  const TModuleResource* orphan = FindResource(resources, "_8BFM", 3);
  ASSERT_NE(orphan, nullptr);
  const std::vector<uint8_t> expected = {1, 0, 'O', 'r', 'p', 'h', 'a', 'n', 0};
  EXPECT_EQ(orphan->Data, expected);
  EXPECT_EQ(FindResource(resources, "PIMI", 3), nullptr);
}

TEST(ModuleFile, FilesThatAreNotModulesAreRejectedWithoutBlocking) {
  test::TScratchFolder dir;
  WriteAll(dir / "text.8bf", {'h', 'e', 'l', 'l', 'o'});
  std::vector<uint8_t> windows(512, 0);
  windows[0] = 'M';
  windows[1] = 'Z';
  WriteAll(dir / "windows.8bf", windows);
  std::vector<uint8_t> other = ReadAll(TestModule("Sampler.8bf"));
  other[18] = 0x28;  // e_machine: ARM
  WriteAll(dir / "arm.8bf", other);
  ASSERT_EQ(mkfifo((dir / "pipe.8bf").c_str(), 0600), 0);
  std::filesystem::create_directory(dir / "folder.8bf");
  for (const char* name : {"text.8bf", "windows.8bf", "arm.8bf", "pipe.8bf", "folder.8bf", "missing.8bf"})
    EXPECT_THROW(ReadModuleResources(dir / name), EModuleFormat) << name;
}

// Damage in the ELF header and the section tables ends in EModuleFormat or in what resources
// survive, never in a read outside the file (the sanitizer build watches for that).
TEST(ModuleFile, DamagedModulesAreRejectedOrReadWithinTheirBytes) {
  test::TScratchFolder dir;
  const std::vector<uint8_t> good = ReadAll(TestModule("ThreePipl.8bf"));
  uint64_t shoff = 0;
  uint16_t shnum = 0;
  std::memcpy(&shoff, good.data() + 0x28, 8);
  std::memcpy(&shnum, good.data() + 0x3C, 2);
  // objcopy writes the section table last, after the resources.
  ASSERT_EQ(shoff + uint64_t(shnum) * 64, good.size());
  const std::string path = dir / "damaged.8bf";
  auto read = [&](const std::vector<uint8_t>& bytes) {
    WriteAll(path, bytes);
    return ReadModuleResources(path);
  };
  EXPECT_EQ(read(good).size(), 3u);

  for (size_t size = 0; size < good.size(); size += std::max<size_t>(1, good.size() / 100))
    EXPECT_THROW(read(std::vector<uint8_t>(good.begin(), good.begin() + long(size))), EModuleFormat) << size;

  for (size_t at : {0, 1, 2, 3, 4, 5, 0x12, 0x13})
    EXPECT_THROW(read([&] { auto b = good; b[at] ^= 0x40; return b; }()), EModuleFormat) << at;

  std::vector<size_t> spots;
  for (size_t i = 0x20; i < 0x40; ++i) spots.push_back(i);
  for (size_t i = size_t(shoff); i < good.size(); i += 11) spots.push_back(i);
  for (size_t at : spots)
    for (uint8_t value : {uint8_t(0x00), uint8_t(0xFF), uint8_t(0x7F)}) {
      std::vector<uint8_t> bytes = good;
      bytes[at] = value;
      try {
        for (const TModuleResource& r : read(bytes)) EXPECT_LT(r.Data.size(), good.size());
      } catch (const EModuleFormat&) {
      }
    }
}

}  // namespace
}  // namespace gs
