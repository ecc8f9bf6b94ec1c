// SPDX-License-Identifier: GPL-3.0-or-later
// Property lists: parsing PIPL resources with every length checked, reading and setting
// properties, and the made-up lists of old modules.

#include "plugins/PIPLManager.h"
#include "plugins/SimpleRegister.h"

#include <gtest/gtest.h>

namespace gs {
namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

// A PIPL resource: the leading word, version 0, the count, then each property padded to 4.
std::vector<uint8_t> Pipl(const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& properties) {
  std::vector<uint8_t> out = {1, 0};
  Put32(out, 0);
  Put32(out, uint32_t(properties.size()));
  for (const auto& [key, data] : properties) {
    const size_t start = out.size();
    Put32(out, kVendorAdobe);
    Put32(out, key);
    Put32(out, 0);
    Put32(out, uint32_t(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    while ((out.size() - start) % 4) out.push_back(0xEE);
  }
  return out;
}

std::vector<uint8_t> Short(const std::string& s) {
  std::vector<uint8_t> out(s.size() + 1, uint8_t(s.size()));
  std::copy(s.begin(), s.end(), out.begin() + 1);
  return out;
}

TEST(PropertyList, PropertiesArePaddedToFourBytesAndKeptWithTheirHeaders) {
  const std::vector<uint8_t> resource =
      Pipl({{kPropName, Short("Blur")}, {kPropCategory, Short("Soft")}, {kPropEntryPoint, {'E', 'n', 't', 0}}});
  // "Blur" as a short string is 5 bytes: the next property starts 24 bytes after this one.
  ASSERT_EQ(resource[10 + 24 + 4], 'g');  // "catg" read little-endian starts with 'g'
  TPIPLManager filter;
  ASSERT_TRUE(filter.LoadFromResourceData(resource.data(), resource.size()));
  ASSERT_EQ(filter.PropertyCount(), 3);
  EXPECT_EQ(filter.Property(0).size(), 16u + 5u);
  EXPECT_EQ(filter.Name(), "Blur");
  EXPECT_EQ(filter.Category(), "Soft");
  EXPECT_EQ(filter.EntryPoint(), "Ent");
  EXPECT_EQ(filter.GetCountedString(kPropEntryPoint), std::string("Ent\0", 4));
  EXPECT_EQ(filter.FindProperty(FourCC("fici")), -1);
  EXPECT_EQ(filter.FindProperty(kPropCategory), 1);
}

TEST(PropertyList, EveryTruncatedOrLyingResourceIsRefused) {
  const std::vector<uint8_t> resource = Pipl({{kPropName, Short("Name")}, {kPropCategory, Short("Cats")}});
  // The last property's padding may be missing; anything shorter than its data may not.
  const size_t lastData = resource.size() - 3;
  for (size_t size = 0; size < resource.size(); ++size) {
    const std::vector<uint8_t> cut(resource.begin(), resource.begin() + long(size));
    TPIPLManager filter;
    EXPECT_EQ(filter.LoadFromResourceData(cut.data(), cut.size()), size >= lastData) << size;
    if (size < lastData) {
      EXPECT_EQ(filter.PropertyCount(), 0);
    }
  }
  std::vector<uint8_t> hugeCount = resource;
  hugeCount[6] = hugeCount[7] = hugeCount[8] = hugeCount[9] = 0xFF;
  std::vector<uint8_t> hugeLength = resource;
  hugeLength[10 + 12 + 3] = 0x80;
  for (const auto& bad : {hugeCount, hugeLength}) {
    TPIPLManager filter;
    filter.SetName("kept?");
    EXPECT_FALSE(filter.LoadFromResourceData(bad.data(), bad.size()));
    EXPECT_EQ(filter.PropertyCount(), 0);
  }
}

TEST(PropertyList, MissingOrShortTextPropertiesReadAsWhatIsThere) {
  TPIPLManager filter;
  EXPECT_EQ(filter.Name(), "");
  EXPECT_EQ(filter.Category(), "");
  EXPECT_EQ(filter.EntryPoint(), "");
  EXPECT_EQ(filter.PropertyData(kPropName), nullptr);
  const uint8_t liar[] = {200, 'a', 'b'};  // claims 200 characters, holds 2
  filter.SetProperty(kPropName, liar, 3);
  EXPECT_EQ(filter.Name(), "ab");
  filter.SetProperty(kPropCategory, nullptr, 0);
  EXPECT_EQ(filter.Category(), "");
}

TEST(PropertyList, OldModuleSettersReplaceInPlaceAndCutAt255) {
  TPIPLManager filter;
  filter.SetName("First");
  filter.SetCategory(std::string(300, 'c'));
  filter.SetEntryPoint("ENTRYPOINT1");
  filter.SetName("Second");
  ASSERT_EQ(filter.PropertyCount(), 3);
  EXPECT_EQ(filter.FindProperty(kPropName), 0);
  EXPECT_EQ(filter.Name(), "Second");
  uint32_t length = 0;
  filter.PropertyData(kPropCategory, &length);
  EXPECT_EQ(length, 256u);  // length byte and 255 characters
  EXPECT_EQ(filter.Category(), std::string(255, 'c'));
  filter.PropertyData(kPropEntryPoint, &length);
  EXPECT_EQ(length, 11u);  // bare characters, no terminator
  EXPECT_EQ(filter.EntryPoint(), "ENTRYPOINT1");
  const std::vector<uint8_t>& block = filter.Property(2);
  EXPECT_EQ(std::vector<uint8_t>(block.begin(), block.begin() + 4), (std::vector<uint8_t>{'M', 'I', 'B', '8'}));
}

TEST(PropertyRegister, NamesKeysAndHostSignatures) {
  const TSimpleRegister& table = PropertyRegister();
  ASSERT_EQ(table.Count(), 28);
  EXPECT_EQ(table.Items(0).DisplayName, "Kind");
  ASSERT_NE(table.Find(FourCC("fici")), nullptr);
  EXPECT_EQ(table.Find(FourCC("fici"))->PropertyDataType, 7u);
  EXPECT_EQ(table.Find(FourCC("VRLN"))->DisplayName, "Vorlane Host");
  EXPECT_EQ(table.Find(FourCC("none")), nullptr);
  EXPECT_EQ(FourCC("8BIM"), 0x3842494Du);
}

}  // namespace
}  // namespace gs
