// SPDX-License-Identifier: GPL-3.0-or-later
// Movable memory blocks and the registry that tells our handles from anything else.

#include "platform/GlobalMemory.h"

#include <gtest/gtest.h>

#include <cstring>

namespace gs {
namespace {

TEST(GlobalMemory, BlocksKeepTheirBytesAcrossResizeAndCountLocks) {
  const size_t before = GlobalHandleCount();
  TGlobalHandle h = GlobalAlloc(8, true);
  ASSERT_TRUE(IsGlobalHandle(h));
  EXPECT_EQ(GlobalSize(h), 8u);
  char* p = static_cast<char*>(GlobalLock(h));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(*static_cast<char**>(h), p);  // handle-dereferencing code reaches the data too
  for (int i = 0; i < 8; ++i) EXPECT_EQ(p[i], 0);
  std::memcpy(p, "abcdefgh", 8);
  EXPECT_NE(GlobalLock(h), nullptr);
  EXPECT_EQ(GlobalLockCount(h), 2u);
  EXPECT_TRUE(GlobalUnlock(h));
  EXPECT_FALSE(GlobalUnlock(h));
  EXPECT_FALSE(GlobalUnlock(h));  // not below zero
  EXPECT_EQ(GlobalLockCount(h), 0u);

  ASSERT_EQ(GlobalReAlloc(h, 4096, true), h);
  p = static_cast<char*>(GlobalLock(h));
  EXPECT_EQ(std::memcmp(p, "abcdefgh", 8), 0);
  for (int i = 8; i < 4096; ++i) ASSERT_EQ(p[i], 0) << i;
  GlobalUnlock(h);
  ASSERT_EQ(GlobalReAlloc(h, 3, false), h);
  EXPECT_EQ(GlobalSize(h), 3u);

  EXPECT_TRUE(GlobalFree(h));
  EXPECT_FALSE(IsGlobalHandle(h));
  EXPECT_EQ(GlobalHandleCount(), before);
}

TEST(GlobalMemory, ValuesThatAreNotLiveHandlesAreLeftAlone) {
  int local = 0;
  TGlobalHandle dead = GlobalAlloc(1, true);
  GlobalFree(dead);
  for (void* value : {static_cast<void*>(&local), static_cast<void*>(nullptr), dead,
                      reinterpret_cast<void*>(intptr_t(12345))}) {
    EXPECT_FALSE(IsGlobalHandle(value));
    EXPECT_FALSE(GlobalFree(value));
    EXPECT_EQ(GlobalLock(value), nullptr);
    EXPECT_EQ(GlobalSize(value), 0u);
    EXPECT_EQ(GlobalReAlloc(value, 10, true), nullptr);
  }
  EXPECT_EQ(GlobalAlloc(kMaxGlobalBlock + 1, true), nullptr);
  TGlobalHandle empty = GlobalAlloc(0, true);
  EXPECT_TRUE(IsGlobalHandle(empty));
  EXPECT_EQ(GlobalLock(empty), nullptr);
  GlobalFree(empty);
}

}  // namespace
}  // namespace gs
