// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Sha1.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdio>
#include <string>
#include <string_view>

using namespace gs;

namespace {

TByteSpan Bytes(std::string_view text) {
  return TByteSpan(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::string Hex(const TSha1Digest& digest) {
  std::string hex;
  char two[3];
  for (uint8_t b : digest) {
    std::snprintf(two, sizeof two, "%02x", b);
    hex += two;
  }
  return hex;
}

}  // namespace

TEST(Sha1, KnownAnswersFromFips180) {
  EXPECT_EQ(Hex(Sha1(Bytes(""))), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(Hex(Sha1(Bytes("abc"))), "a9993e364706816aba3e25717850c26c9cd0d89d");
  // 56 bytes: the length no longer fits the first padding block.
  EXPECT_EQ(Hex(Sha1(Bytes("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"))),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  const std::string million(1'000'000, 'a');
  EXPECT_EQ(Hex(Sha1(Bytes(million))), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
  // From another SHA-1 implementation: the key of protected pictures.
  EXPECT_EQ(Hex(Sha1(Bytes("Ostrelvan Kinburn"))), "a7e7e369e5fe4735358dfea38968e8c5e705f686");
}

TEST(Sha1, IncrementalUpdatesInUnevenPiecesMatchTheWholeMessage) {
  const std::string million(1'000'000, 'a');
  TSha1 hash;
  size_t pos = 0;
  // Pieces that start and end anywhere within the 64-byte blocks, including empty ones.
  for (size_t piece = 0; pos < million.size(); piece = (piece * 7 + 13) % 200) {
    const size_t length = std::min(piece, million.size() - pos);
    hash.Update(Bytes(std::string_view(million).substr(pos, length)));
    pos += length;
  }
  EXPECT_EQ(Hex(hash.Final()), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
  // Final starts a new message.
  hash.Update(Bytes("ab"));
  hash.Update(Bytes("c"));
  EXPECT_EQ(Hex(hash.Final()), "a9993e364706816aba3e25717850c26c9cd0d89d");
}
