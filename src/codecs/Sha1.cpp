// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Sha1.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string.h>  // explicit_bzero: a wipe the optimiser may not drop

namespace gs {

namespace {

uint32_t LoadBigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

void StoreBigEndian32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

}  // namespace

void TSha1::Reset() {
  State_ = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
  Buffered_ = 0;
  TotalBytes_ = 0;
}

void TSha1::Compress(const uint8_t* block) {
  uint32_t w[80];
  for (int i = 0; i < 16; ++i) w[i] = LoadBigEndian32(block + 4 * i);
  for (int i = 16; i < 80; ++i) w[i] = std::rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);

  uint32_t a = State_[0], b = State_[1], c = State_[2], d = State_[3], e = State_[4];
  for (int i = 0; i < 80; ++i) {
    uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999u;
    } else if (i < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1u;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDCu;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6u;
    }
    const uint32_t t = std::rotl(a, 5) + f + e + k + w[i];
    e = d;
    d = c;
    c = std::rotl(b, 30);
    b = a;
    a = t;
  }
  State_[0] += a;
  State_[1] += b;
  State_[2] += c;
  State_[3] += d;
  State_[4] += e;
  explicit_bzero(w, sizeof w);
}

void TSha1::Update(TByteSpan bytes) {
  TotalBytes_ += bytes.size();
  const uint8_t* p = bytes.data();
  size_t left = bytes.size();
  if (Buffered_ > 0) {
    const size_t take = std::min(left, Buffer_.size() - Buffered_);
    std::memcpy(Buffer_.data() + Buffered_, p, take);
    Buffered_ += take;
    p += take;
    left -= take;
    if (Buffered_ < Buffer_.size()) return;
    Compress(Buffer_.data());
    Buffered_ = 0;
  }
  for (; left >= 64; p += 64, left -= 64) Compress(p);
  if (left > 0) std::memcpy(Buffer_.data(), p, left);
  Buffered_ = left;
}

TSha1Digest TSha1::Final() {
  const uint64_t bitLength = TotalBytes_ * 8;
  // One 0x80 byte, zeros up to 56 bytes modulo 64, then the message length in bits.
  uint8_t padding[72] = {0x80};
  const size_t padLength = (Buffered_ < 56 ? 56 : 120) - Buffered_;
  for (int i = 0; i < 8; ++i) padding[padLength + size_t(i)] = uint8_t(bitLength >> (56 - 8 * i));
  Update(TByteSpan(padding, padLength + 8));

  TSha1Digest digest;
  for (size_t i = 0; i < State_.size(); ++i) StoreBigEndian32(digest.data() + 4 * i, State_[i]);
  Burn();
  Reset();
  return digest;
}

void TSha1::Burn() {
  explicit_bzero(State_.data(), sizeof State_);
  explicit_bzero(Buffer_.data(), Buffer_.size());
  Buffered_ = 0;
  TotalBytes_ = 0;
}

TSha1Digest Sha1(TByteSpan bytes) {
  TSha1 hash;
  hash.Update(bytes);
  return hash.Final();
}

}  // namespace gs
