// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GlobalMemory.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

namespace gs {

namespace {

struct TGlobalBlock {
  char* Data = nullptr;  // first, so that *handle is the data address
  size_t Size = 0;
  unsigned LockCount = 0;
};

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::unordered_set<const void*>& Registry() {
  static std::unordered_set<const void*> live;
  return live;
}

// The block behind a live handle, or nullptr; the caller holds the registry lock.
TGlobalBlock* Live(const void* handle) {
  if (!handle || !Registry().count(handle)) return nullptr;
  return static_cast<TGlobalBlock*>(const_cast<void*>(handle));
}

}  // namespace

TGlobalHandle GlobalAlloc(size_t size, bool zeroInit) {
  if (size > kMaxGlobalBlock) return nullptr;
  auto* block = new (std::nothrow) TGlobalBlock;
  if (!block) return nullptr;
  if (size > 0) {
    block->Data = static_cast<char*>(zeroInit ? std::calloc(size, 1) : std::malloc(size));
    if (!block->Data) {
      delete block;
      return nullptr;
    }
  }
  block->Size = size;
  std::lock_guard lock(RegistryMutex());
  Registry().insert(block);
  return block;
}

void* GlobalLock(TGlobalHandle handle) {
  std::lock_guard lock(RegistryMutex());
  TGlobalBlock* block = Live(handle);
  if (!block || !block->Data) return nullptr;
  ++block->LockCount;
  return block->Data;
}

bool GlobalUnlock(TGlobalHandle handle) {
  std::lock_guard lock(RegistryMutex());
  TGlobalBlock* block = Live(handle);
  if (!block || block->LockCount == 0) return false;
  return --block->LockCount > 0;
}

unsigned GlobalLockCount(TGlobalHandle handle) {
  std::lock_guard lock(RegistryMutex());
  TGlobalBlock* block = Live(handle);
  return block ? block->LockCount : 0;
}

size_t GlobalSize(TGlobalHandle handle) {
  std::lock_guard lock(RegistryMutex());
  TGlobalBlock* block = Live(handle);
  return block ? block->Size : 0;
}

TGlobalHandle GlobalReAlloc(TGlobalHandle handle, size_t size, bool zeroInit) {
  std::lock_guard lock(RegistryMutex());
  TGlobalBlock* block = Live(handle);
  if (!block || size > kMaxGlobalBlock) return nullptr;
  if (size == 0) {
    std::free(block->Data);
    block->Data = nullptr;
    block->Size = 0;
    return block;
  }
  char* data = static_cast<char*>(std::realloc(block->Data, size));
  if (!data) return nullptr;
  if (zeroInit && size > block->Size) std::memset(data + block->Size, 0, size - block->Size);
  block->Data = data;
  block->Size = size;
  return block;
}

bool GlobalFree(TGlobalHandle handle) {
  TGlobalBlock* block = nullptr;
  {
    std::lock_guard lock(RegistryMutex());
    block = Live(handle);
    if (!block) return false;
    Registry().erase(block);
  }
  std::free(block->Data);
  delete block;
  return true;
}

bool IsGlobalHandle(const void* value) {
  std::lock_guard lock(RegistryMutex());
  return Live(value) != nullptr;
}

size_t GlobalHandleCount() {
  std::lock_guard lock(RegistryMutex());
  return Registry().size();
}

}  // namespace gs
