// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Rijndael block cipher with 128-bit blocks (AES) and 128-, 192- or 256-bit keys.
// Table-driven; the tables are built at compile time from the field arithmetic.

#include "codecs/Picture.h"

#include <array>
#include <cstdint>

namespace gs {

class TRijndael {
public:
  static constexpr size_t kBlockSize = 16;
  using TBlock = std::array<uint8_t, kBlockSize>;

  TRijndael() = default;
  // Same as SetKey.
  explicit TRijndael(TByteSpan key);
  ~TRijndael() { Burn(); }
  TRijndael(const TRijndael&) = delete;
  TRijndael& operator=(const TRijndael&) = delete;

  // Expands a key of 16, 24 or 32 bytes (10, 12 or 14 rounds); other lengths throw gs::Exception.
  void SetKey(TByteSpan key);
  int Rounds() const { return Rounds_; }

  // in and out may be the same block. Throws gs::Exception when no key is set.
  void EncryptBlock(const uint8_t* in, uint8_t* out) const;
  void DecryptBlock(const uint8_t* in, uint8_t* out) const;
  TBlock EncryptBlock(const TBlock& in) const;
  TBlock DecryptBlock(const TBlock& in) const;

  // Overwrites both key schedules; the cipher needs a new key before further use.
  void Burn();

private:
  static constexpr int kMaxRounds = 14;
  static constexpr int kMaxRoundKeyWords = 4 * (kMaxRounds + 1);

  void CheckKeyed() const;

  std::array<uint32_t, kMaxRoundKeyWords> EncryptKeys_{};
  std::array<uint32_t, kMaxRoundKeyWords> DecryptKeys_{};
  int Rounds_ = 0;
};

}  // namespace gs
