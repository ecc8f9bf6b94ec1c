// SPDX-License-Identifier: GPL-3.0-or-later
#include "plugins/PIPLManager.h"

#include <algorithm>
#include <cstring>

namespace gs {

namespace {

uint32_t ReadU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void WriteU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

constexpr size_t kMaxPropertyText = 255;

}  // namespace

bool TPIPLManager::LoadFromResourceData(const uint8_t* data, size_t size) {
  Properties_.clear();
  constexpr size_t kHeader = 2 + 4 + 4;
  if (!data || size < kHeader) return false;
  const uint32_t count = ReadU32(data + 6);
  size_t pos = kHeader;
  if (count > (size - pos) / kPropertyHeaderSize) return false;
  std::vector<std::vector<uint8_t>> properties;
  properties.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    if (size - pos < kPropertyHeaderSize) return false;
    const uint64_t length = ReadU32(data + pos + 12);
    if (length > size - pos - kPropertyHeaderSize) return false;
    const size_t blockSize = kPropertyHeaderSize + size_t(length);
    properties.emplace_back(data + pos, data + pos + blockSize);
    // The last property's padding may be missing; the end of the resource ends it as well.
    const uint64_t padded = (uint64_t(blockSize) + 3) & ~uint64_t(3);
    pos += size_t(std::min<uint64_t>(padded, size - pos));
  }
  Properties_ = std::move(properties);
  return true;
}

int TPIPLManager::FindProperty(uint32_t key) const {
  for (size_t i = 0; i < Properties_.size(); ++i)
    if (ReadU32(Properties_[i].data() + 4) == key) return int(i);
  return -1;
}

const uint8_t* TPIPLManager::PropertyData(uint32_t key, uint32_t* length) const {
  const int index = FindProperty(key);
  if (index < 0) {
    if (length) *length = 0;
    return nullptr;
  }
  const std::vector<uint8_t>& block = Properties_[size_t(index)];
  if (length) *length = uint32_t(block.size() - kPropertyHeaderSize);
  return block.data() + kPropertyHeaderSize;
}

std::string TPIPLManager::GetShortString(uint32_t key) const {
  uint32_t length = 0;
  const uint8_t* data = PropertyData(key, &length);
  if (!data || length == 0) return {};
  const size_t count = std::min<size_t>(data[0], length - 1);
  return std::string(reinterpret_cast<const char*>(data + 1), count);
}

std::string TPIPLManager::GetCountedString(uint32_t key) const {
  uint32_t length = 0;
  const uint8_t* data = PropertyData(key, &length);
  if (!data) return {};
  return std::string(reinterpret_cast<const char*>(data), length);
}

std::string TPIPLManager::EntryPoint() const {
  std::string text = GetCountedString(kPropEntryPoint);
  const size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

void TPIPLManager::SetProperty(uint32_t key, const uint8_t* bytes, uint32_t count) {
  std::vector<uint8_t> block(kPropertyHeaderSize + count);
  WriteU32(block.data(), kVendorAdobe);
  WriteU32(block.data() + 4, key);
  WriteU32(block.data() + 8, 0);
  WriteU32(block.data() + 12, count);
  if (count) std::memcpy(block.data() + kPropertyHeaderSize, bytes, count);
  const int index = FindProperty(key);
  if (index >= 0) Properties_[size_t(index)] = std::move(block);
  else Properties_.push_back(std::move(block));
}

void TPIPLManager::SetCategory(const std::string& text) {
  const std::string cut = text.substr(0, kMaxPropertyText);
  std::vector<uint8_t> data{uint8_t(cut.size())};
  data.insert(data.end(), cut.begin(), cut.end());
  SetProperty(kPropCategory, data.data(), uint32_t(data.size()));
}

void TPIPLManager::SetName(const std::string& text) {
  const std::string cut = text.substr(0, kMaxPropertyText);
  std::vector<uint8_t> data{uint8_t(cut.size())};
  data.insert(data.end(), cut.begin(), cut.end());
  SetProperty(kPropName, data.data(), uint32_t(data.size()));
}

void TPIPLManager::SetEntryPoint(const std::string& text) {
  const std::string cut = text.substr(0, kMaxPropertyText);
  SetProperty(kPropEntryPoint, reinterpret_cast<const uint8_t*>(cut.data()), uint32_t(cut.size()));
}

}  // namespace gs
