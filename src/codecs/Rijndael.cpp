// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Rijndael.h"

#include "common/Errors.h"

#include <bit>
#include <string.h>  // explicit_bzero: a wipe the optimiser may not drop

namespace gs {

namespace {

constexpr uint8_t Times2(uint8_t x) { return uint8_t(x << 1 ^ (x & 0x80 ? 0x1B : 0)); }

constexpr uint8_t Multiply(uint8_t a, uint8_t b) {
  uint8_t product = 0;
  for (; b != 0; b >>= 1, a = Times2(a))
    if (b & 1) product ^= a;
  return product;
}

constexpr uint32_t Word(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
  return uint32_t(b0) << 24 | uint32_t(b1) << 16 | uint32_t(b2) << 8 | uint32_t(b3);
}

// Te[k] / Td[k] combine the S-box (inverse S-box) with one column of MixColumns
// (InvMixColumns), rotated by k bytes, so one round is 16 lookups and XORs.
struct TTables {
  uint8_t Sbox[256]{};
  uint8_t InvSbox[256]{};
  uint32_t Te[4][256]{};
  uint32_t Td[4][256]{};
};

constexpr TTables BuildTables() {
  TTables t;
  // Powers of the generator 3 walk through every non-zero field element, which gives the
  // multiplicative inverses without a search.
  uint8_t power[255]{};
  uint8_t logarithm[256]{};
  uint8_t x = 1;
  for (int i = 0; i < 255; ++i) {
    power[i] = x;
    logarithm[x] = uint8_t(i);
    x = uint8_t(Times2(x) ^ x);
  }
  for (int v = 0; v < 256; ++v) {
    const uint8_t inverse = v == 0 ? 0 : power[(255 - logarithm[v]) % 255];
    const uint8_t s = uint8_t(inverse ^ std::rotl(inverse, 1) ^ std::rotl(inverse, 2) ^
                              std::rotl(inverse, 3) ^ std::rotl(inverse, 4) ^ 0x63);
    t.Sbox[v] = s;
    t.InvSbox[s] = uint8_t(v);
  }
  for (int v = 0; v < 256; ++v) {
    const uint8_t s = t.Sbox[v];
    const uint8_t si = t.InvSbox[v];
    const uint32_t te = Word(Multiply(s, 2), s, s, Multiply(s, 3));
    const uint32_t td = Word(Multiply(si, 14), Multiply(si, 9), Multiply(si, 13), Multiply(si, 11));
    for (int k = 0; k < 4; ++k) {
      t.Te[k][v] = std::rotr(te, 8 * k);
      t.Td[k][v] = std::rotr(td, 8 * k);
    }
  }
  return t;
}

constexpr TTables kTables = BuildTables();

uint32_t LoadWord(const uint8_t* p) { return Word(p[0], p[1], p[2], p[3]); }

void StoreWord(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

uint8_t Byte(uint32_t w, int index) { return uint8_t(w >> (24 - 8 * index)); }

uint32_t SubWord(uint32_t w) {
  const auto& s = kTables.Sbox;
  return Word(s[Byte(w, 0)], s[Byte(w, 1)], s[Byte(w, 2)], s[Byte(w, 3)]);
}

uint32_t InvMixColumn(uint32_t w) {
  // Td already holds the inverse S-box, so feed it S-box outputs to cancel it.
  const auto& s = kTables.Sbox;
  const auto& td = kTables.Td;
  return td[0][s[Byte(w, 0)]] ^ td[1][s[Byte(w, 1)]] ^ td[2][s[Byte(w, 2)]] ^
         td[3][s[Byte(w, 3)]];
}

}  // namespace

TRijndael::TRijndael(TByteSpan key) { SetKey(key); }

void TRijndael::SetKey(TByteSpan key) {
  if (key.size() != 16 && key.size() != 24 && key.size() != 32)
    throw Exception("Rijndael: key length " + std::to_string(key.size()) +
                    " bytes is not 16, 24 or 32");
  Burn();
  const int keyWords = int(key.size() / 4);
  Rounds_ = keyWords + 6;
  const int total = 4 * (Rounds_ + 1);

  uint32_t* w = EncryptKeys_.data();
  for (int i = 0; i < keyWords; ++i) w[i] = LoadWord(key.data() + 4 * i);
  uint8_t roundConstant = 1;
  for (int i = keyWords; i < total; ++i) {
    uint32_t temp = w[i - 1];
    if (i % keyWords == 0) {
      temp = SubWord(std::rotl(temp, 8)) ^ uint32_t(roundConstant) << 24;
      roundConstant = Times2(roundConstant);
    } else if (keyWords > 6 && i % keyWords == 4) {
      temp = SubWord(temp);
    }
    w[i] = w[i - keyWords] ^ temp;
  }

  // The equivalent inverse cipher: round keys in reverse order, the inner ones passed through
  // InvMixColumns so decryption has the same shape as encryption.
  uint32_t* d = DecryptKeys_.data();
  for (int round = 0; round <= Rounds_; ++round)
    for (int c = 0; c < 4; ++c) {
      const uint32_t k = w[4 * (Rounds_ - round) + c];
      d[4 * round + c] = (round == 0 || round == Rounds_) ? k : InvMixColumn(k);
    }
}

void TRijndael::CheckKeyed() const {
  if (Rounds_ == 0) throw Exception("Rijndael: no key set");
}

void TRijndael::EncryptBlock(const uint8_t* in, uint8_t* out) const {
  CheckKeyed();
  const auto& te = kTables.Te;
  const auto& sbox = kTables.Sbox;
  const uint32_t* rk = EncryptKeys_.data();
  uint32_t s[4];
  for (int c = 0; c < 4; ++c) s[c] = LoadWord(in + 4 * c) ^ rk[c];
  for (int round = 1; round < Rounds_; ++round) {
    rk += 4;
    uint32_t t[4];
    for (int c = 0; c < 4; ++c)
      t[c] = te[0][Byte(s[c], 0)] ^ te[1][Byte(s[(c + 1) & 3], 1)] ^
             te[2][Byte(s[(c + 2) & 3], 2)] ^ te[3][Byte(s[(c + 3) & 3], 3)] ^ rk[c];
    for (int c = 0; c < 4; ++c) s[c] = t[c];
  }
  rk += 4;
  for (int c = 0; c < 4; ++c) {
    const uint32_t v = Word(sbox[Byte(s[c], 0)], sbox[Byte(s[(c + 1) & 3], 1)],
                            sbox[Byte(s[(c + 2) & 3], 2)], sbox[Byte(s[(c + 3) & 3], 3)]);
    StoreWord(out + 4 * c, v ^ rk[c]);
  }
  explicit_bzero(s, sizeof s);
}

void TRijndael::DecryptBlock(const uint8_t* in, uint8_t* out) const {
  CheckKeyed();
  const auto& td = kTables.Td;
  const auto& inv = kTables.InvSbox;
  const uint32_t* rk = DecryptKeys_.data();
  uint32_t s[4];
  for (int c = 0; c < 4; ++c) s[c] = LoadWord(in + 4 * c) ^ rk[c];
  for (int round = 1; round < Rounds_; ++round) {
    rk += 4;
    uint32_t t[4];
    for (int c = 0; c < 4; ++c)
      t[c] = td[0][Byte(s[c], 0)] ^ td[1][Byte(s[(c + 3) & 3], 1)] ^
             td[2][Byte(s[(c + 2) & 3], 2)] ^ td[3][Byte(s[(c + 1) & 3], 3)] ^ rk[c];
    for (int c = 0; c < 4; ++c) s[c] = t[c];
  }
  rk += 4;
  for (int c = 0; c < 4; ++c) {
    const uint32_t v = Word(inv[Byte(s[c], 0)], inv[Byte(s[(c + 3) & 3], 1)],
                            inv[Byte(s[(c + 2) & 3], 2)], inv[Byte(s[(c + 1) & 3], 3)]);
    StoreWord(out + 4 * c, v ^ rk[c]);
  }
  explicit_bzero(s, sizeof s);
}

TRijndael::TBlock TRijndael::EncryptBlock(const TBlock& in) const {
  TBlock out;
  EncryptBlock(in.data(), out.data());
  return out;
}

TRijndael::TBlock TRijndael::DecryptBlock(const TBlock& in) const {
  TBlock out;
  DecryptBlock(in.data(), out.data());
  return out;
}

void TRijndael::Burn() {
  explicit_bzero(EncryptKeys_.data(), sizeof EncryptKeys_);
  explicit_bzero(DecryptKeys_.data(), sizeof DecryptKeys_);
  Rounds_ = 0;
}

}  // namespace gs
