// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/DeflateInPieces.h"

#include "codecs/Png.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

using namespace gs;

namespace {

// What zlib itself reads from the stream, checksum included; nothing when it refuses it.
std::optional<TBytes> Inflated(const TBytes& stream, size_t size) {
  TBytes out(size + 1);
  uLongf length = uLongf(out.size());
  if (uncompress(out.data(), &length, stream.data(), uLong(stream.size())) != Z_OK) return std::nullopt;
  out.resize(length);
  return out;
}

// Noise, runs of one byte and empty pieces, on one core and on all: whatever the pieces, they
// join into the one stream of all their bytes in order.
TEST(DeflateInPieces, ThePiecesJoinIntoOneStreamZlibReadsWhole) {
  std::mt19937 rng(5);
  std::vector<TBytes> pieces = {TBytes(3000), TBytes(), TBytes(size_t(1) << 20, 7), TBytes(1), TBytes(70000)};
  for (TBytes& piece : pieces)
    for (uint8_t& b : piece) b = b == 7 ? 7 : uint8_t(rng() % 40);
  TBytes all;
  for (const TBytes& piece : pieces) all.insert(all.end(), piece.begin(), piece.end());
  for (const bool allCores : {false, true}) {
    SCOPED_TRACE(allCores);
    const TBytes stream = DeflateInPieces(
        pieces.size(), [&](size_t i, std::vector<uint8_t>&) { return TByteSpan(pieces[i]); },
        TDeflateSettings{1, Z_DEFAULT_STRATEGY, allCores});
    EXPECT_EQ(Inflated(stream, all.size()), all);
    EXPECT_LT(stream.size(), all.size() / 2);
  }
  EXPECT_EQ(Inflated(DeflateInPieces(TByteSpan(), TDeflateSettings{}), 0), TBytes());
  EXPECT_EQ(Inflated(DeflateInPieces(0, nullptr, TDeflateSettings{}), 0), TBytes());
}

// A picture of many bands, each filtered against the last row of the one before.
TEST(DeflateInPieces, APngOfManyBandsReadsBackWhole) {
  TBitmap32 tall(300, 4000);
  std::mt19937 rng(9);
  for (int y = 0; y < tall.Height(); ++y)
    for (int x = 0; x < tall.Width(); ++x)
      tall.SetPixel(x, y, Color32(uint8_t(x + y), uint8_t(rng() % 8), uint8_t(y / 16), uint8_t(128 + x % 100)));
  EXPECT_EQ(DecodePng(EncodePng(tall, std::nullopt)).Bitmap, tall);
}

}  // namespace
