// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Movable memory blocks handed out by handle, as plug-ins expect of their host: a block is
// reached through its handle, locked while in use, and may move when resized while unlocked.
// Every live handle is registered, so a value of unknown origin can be checked before it is
// treated as a handle (a plug-in's own data word may hold anything).
//
// A handle points at a record whose first member is the block's current address, so C code
// written for handle-dereferencing hosts (*handle) reaches the data too.

#include <cstddef>

namespace gs {

using TGlobalHandle = void*;

// The largest block handed out; larger requests fail like an exhausted heap.
inline constexpr size_t kMaxGlobalBlock = size_t(1) << 30;

// A new block of `size` bytes (zero-filled when asked), lock count 0; nullptr when it cannot be
// had. Size 0 gives a live handle without data.
TGlobalHandle GlobalAlloc(size_t size, bool zeroInit);
// Raises the lock count and returns the data; nullptr for a dead handle or an empty block.
void* GlobalLock(TGlobalHandle handle);
// Lowers the lock count; true while the block is still locked afterwards.
bool GlobalUnlock(TGlobalHandle handle);
unsigned GlobalLockCount(TGlobalHandle handle);
// The block's size in bytes; 0 for a dead handle.
size_t GlobalSize(TGlobalHandle handle);
// Resizes the block, keeping its bytes; bytes gained are zero when asked. Returns the handle, or
// nullptr when the handle is dead or the memory cannot be had (the block is then unchanged).
TGlobalHandle GlobalReAlloc(TGlobalHandle handle, size_t size, bool zeroInit);
// Frees a live block whatever its lock count; false (and nothing happens) for any other value.
bool GlobalFree(TGlobalHandle handle);
// Whether `value` is a handle this layer gave out and has not freed.
bool IsGlobalHandle(const void* value);
// The number of live handles, for leak checks.
size_t GlobalHandleCount();

}  // namespace gs
