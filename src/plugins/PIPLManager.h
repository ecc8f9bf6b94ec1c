// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TPIPLManager: one filter as a module describes it, by its property list (a `PIPL` resource,
// or the properties made up for an old module). Property blocks are kept exactly as the
// resource holds them: vendor (4), key (4), id (4), length (4), then `length` data bytes.

#include "plugins/FourCC.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gs {

inline constexpr uint32_t kPropKind = FourCC("kind");
inline constexpr uint32_t kPropName = FourCC("name");
inline constexpr uint32_t kPropCategory = FourCC("catg");
inline constexpr uint32_t kPropEntryPoint = FourCC("wx86");
inline constexpr uint32_t kPropFilterCaseInfo = FourCC("fici");
inline constexpr uint32_t kVendorAdobe = FourCC("8BIM");

inline constexpr size_t kPropertyHeaderSize = 16;

class TPIPLManager {
public:
  // Replaces the property list with the properties of a `PIPL` resource: 2 bytes skipped, a
  // version and a property count (32-bit), then the properties, each padded to 4 bytes. Every
  // count and length is checked against `size`; a resource that does not hold what it claims
  // leaves the list empty and returns false.
  bool LoadFromResourceData(const uint8_t* data, size_t size);

  int PropertyCount() const { return int(Properties_.size()); }
  // The whole block of property `index`, header included.
  const std::vector<uint8_t>& Property(int index) const { return Properties_[size_t(index)]; }

  // Index of the first property with this key, or -1.
  int FindProperty(uint32_t key) const;
  // The data of the first property with this key and its length, or nullptr.
  const uint8_t* PropertyData(uint32_t key, uint32_t* length = nullptr) const;
  // The first match read as a short string whose data begins with its own length byte; the text
  // ends early where the data does. Empty when there is no such property.
  std::string GetShortString(uint32_t key) const;
  // The first match's data bytes as they are (its length is the property's length).
  std::string GetCountedString(uint32_t key) const;

  // Sets property `key` to these bytes (vendor 8BIM, id 0), replacing the first block with that
  // key in place, or appending one.
  void SetProperty(uint32_t key, const uint8_t* bytes, uint32_t count);
  // The property values old modules lack, made from text cut to 255 characters: category and
  // name as short strings (length byte first), the entry point as its bare characters.
  void SetCategory(const std::string& text);
  void SetName(const std::string& text);
  void SetEntryPoint(const std::string& text);

  std::string Category() const { return GetShortString(kPropCategory); }
  std::string Name() const { return GetShortString(kPropName); }
  // The exported symbol the filter is entered through: the `wx86` data up to its first zero.
  std::string EntryPoint() const;

  std::string ModuleFileName;
  // The filter's own word, kept for the life of the list entry and handed to every call.
  intptr_t PluginData = 0;

private:
  std::vector<std::vector<uint8_t>> Properties_;
};

}  // namespace gs
