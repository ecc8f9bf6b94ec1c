// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SHA-1 message digest (FIPS 180). Only used to derive the key of protected pictures, where
// compatibility with existing files matters, not collision resistance.

#include "codecs/Picture.h"

#include <array>
#include <cstdint>

namespace gs {

using TSha1Digest = std::array<uint8_t, 20>;

class TSha1 {
public:
  TSha1() { Reset(); }
  ~TSha1() { Burn(); }
  TSha1(const TSha1&) = delete;
  TSha1& operator=(const TSha1&) = delete;

  void Reset();
  void Update(TByteSpan bytes);
  // Pads, returns the digest and starts over for a new message.
  TSha1Digest Final();
  // Overwrites the internal state so no trace of the message stays in memory.
  void Burn();

private:
  void Compress(const uint8_t* block);

  std::array<uint32_t, 5> State_{};
  std::array<uint8_t, 64> Buffer_{};
  size_t Buffered_ = 0;
  uint64_t TotalBytes_ = 0;
};

TSha1Digest Sha1(TByteSpan bytes);

}  // namespace gs
