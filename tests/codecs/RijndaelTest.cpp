// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Rijndael.h"

#include "common/Errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace gs;

namespace {

TBytes FromHex(const std::string& hex) {
  TBytes bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

TRijndael::TBlock Block(const std::string& hex) {
  const TBytes bytes = FromHex(hex);
  TRijndael::TBlock block{};
  std::copy(bytes.begin(), bytes.end(), block.begin());
  return block;
}

TBytes CountingKey(size_t size) {
  TBytes key(size);
  for (size_t i = 0; i < size; ++i) key[i] = uint8_t(i);
  return key;
}

}  // namespace

TEST(Rijndael, KnownAnswersFromFips197AppendixC) {
  const TRijndael::TBlock plain = Block("00112233445566778899aabbccddeeff");
  struct TCase {
    size_t KeySize;
    int Rounds;
    std::string Cipher;
  };
  for (const TCase& c : {TCase{16, 10, "69c4e0d86a7b0430d8cdb78070b4c55a"},
                         TCase{24, 12, "dda97ca4864cdfe06eaf70a0ec0d7191"},
                         TCase{32, 14, "8ea2b7ca516745bfeafc49904b496089"}}) {
    SCOPED_TRACE(c.KeySize);
    const TRijndael cipher(CountingKey(c.KeySize));
    EXPECT_EQ(cipher.Rounds(), c.Rounds);
    EXPECT_EQ(cipher.EncryptBlock(plain), Block(c.Cipher));
    EXPECT_EQ(cipher.DecryptBlock(Block(c.Cipher)), plain);
  }
}

TEST(Rijndael, WorksInPlaceAndAcrossKeyChanges) {
  TRijndael cipher(CountingKey(24));
  TRijndael::TBlock block = Block("00112233445566778899aabbccddeeff");
  cipher.EncryptBlock(block.data(), block.data());
  EXPECT_EQ(block, Block("dda97ca4864cdfe06eaf70a0ec0d7191"));
  cipher.DecryptBlock(block.data(), block.data());
  EXPECT_EQ(block, Block("00112233445566778899aabbccddeeff"));

  // A key change replaces the whole schedule.
  cipher.SetKey(CountingKey(16));
  EXPECT_EQ(cipher.EncryptBlock(Block("00112233445566778899aabbccddeeff")),
            Block("69c4e0d86a7b0430d8cdb78070b4c55a"));
}

TEST(Rijndael, RefusesBadKeysAndUseAfterBurn) {
  TRijndael cipher;
  EXPECT_THROW(cipher.SetKey(CountingKey(20)), Exception);
  EXPECT_THROW(cipher.SetKey(CountingKey(0)), Exception);
  TRijndael::TBlock block{};
  EXPECT_THROW(cipher.EncryptBlock(block), Exception);
  cipher.SetKey(CountingKey(32));
  EXPECT_NO_THROW(cipher.EncryptBlock(block));
  cipher.Burn();
  EXPECT_EQ(cipher.Rounds(), 0);
  EXPECT_THROW(cipher.EncryptBlock(block), Exception);
  EXPECT_THROW(cipher.DecryptBlock(block), Exception);
}
