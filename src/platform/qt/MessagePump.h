// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system tick count and waiting while the window keeps handling its messages.

#include <cstdint>

namespace gs {

// Milliseconds since an arbitrary start, from a monotonic clock; wraps like a 32-bit counter.
uint32_t GetTickCount();

// Keeps processing window messages until ms milliseconds of the tick count have passed.
void WaitPumping(uint32_t ms);

}  // namespace gs
