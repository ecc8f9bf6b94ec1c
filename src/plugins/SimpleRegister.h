// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TSimpleRegister: the vocabulary of property keys, with each key's data type and a display
// name. Nothing the host does depends on a lookup in it; it names properties for people.

#include <cstdint>
#include <string>
#include <vector>

namespace gs {

struct TRegisterEntry {
  uint32_t Key = 0;
  uint32_t PropertyDataType = 0;
  std::string DisplayName;  // at most 255 characters
};

class TSimpleRegister {
public:
  void Add(uint32_t key, uint32_t dataType, const std::string& displayName);
  int Count() const { return int(Entries_.size()); }
  const TRegisterEntry& Items(int index) const { return Entries_[size_t(index)]; }
  // The first entry with this key, or nullptr.
  const TRegisterEntry* Find(uint32_t key) const;

private:
  std::vector<TRegisterEntry> Entries_;
};

// The table of property keys, host signatures included, built on first use.
const TSimpleRegister& PropertyRegister();

}  // namespace gs
