// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/DeflateInPieces.h"

#include "common/Errors.h"
#include "common/OnAllCores.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

namespace gs {

namespace {

constexpr size_t kFirstRoom = size_t(64) << 10;

struct TPacked {
  TBytes Bytes;
  uLong Adler = 0;
  size_t Size = 0;
};

// A raw deflate stream of the bytes: the last piece closes the stream, the others end with an
// empty stored block, which leaves them on a byte boundary with the stream still open.
TPacked Pack(TByteSpan bytes, bool last, const TDeflateSettings& settings) {
  z_stream z{};
  if (deflateInit2(&z, settings.Level, Z_DEFLATED, -15, 8, settings.Strategy) != Z_OK)
    throw EOutOfResources("There is not enough memory to compress the data.");
  std::unique_ptr<z_stream, int (*)(z_stream*)> end(&z, deflateEnd);
  TPacked packed;
  packed.Size = bytes.size();
  packed.Adler = adler32_z(adler32_z(0, nullptr, 0), bytes.data(), bytes.size());
  // Room as the output grows, not the bound of what it could take: a piece of the mostly zero
  // mesh packs to almost nothing, and all pieces are held at once.
  packed.Bytes.resize(std::min<size_t>(size_t(deflateBound(&z, uLong(bytes.size()))) + 64, kFirstRoom));
  size_t outAt = 0;
  const uint8_t* in = bytes.data();
  size_t inLeft = bytes.size();
  for (;;) {
    const size_t take = std::min<size_t>(inLeft, size_t(1) << 30);
    const bool finalIn = take == inLeft;
    z.next_in = const_cast<uint8_t*>(in);  // zlib never writes through next_in
    z.avail_in = uInt(take);
    // Output room used up means more may come; with room left, zlib has done all it was asked.
    do {
      if (packed.Bytes.size() - outAt < 64) packed.Bytes.resize(packed.Bytes.size() * 2);
      const uInt room = uInt(std::min<size_t>(packed.Bytes.size() - outAt, size_t(1) << 30));
      z.next_out = packed.Bytes.data() + outAt;
      z.avail_out = room;
      if (deflate(&z, finalIn ? (last ? Z_FINISH : Z_SYNC_FLUSH) : Z_NO_FLUSH) == Z_STREAM_ERROR)
        throw Exception("zlib failed to compress the data");
      outAt += room - z.avail_out;
    } while (z.avail_out == 0);
    in += take;
    inLeft -= take;
    if (finalIn) break;
  }
  packed.Bytes.resize(outAt);
  return packed;
}

void AppendBigEndian32(TBytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

}  // namespace

TBytes DeflateInPieces(size_t count, const TDeflatePiece& piece, const TDeflateSettings& settings) {
  if (count == 0) return DeflateInPieces(1, [](size_t, std::vector<uint8_t>&) { return TByteSpan(); }, settings);
  std::vector<TPacked> packed(count);
  const auto job = [&](size_t i) {
    std::vector<uint8_t> scratch;
    packed[i] = Pack(piece(i, scratch), i + 1 == count, settings);
  };
  if (settings.AllCores) OnAllCores(count, job);
  else
    for (size_t i = 0; i < count; ++i) job(i);

  // The header's level bits only tell a reader how hard the writer tried.
  const uint8_t levelBits = settings.Level <= 1 ? 0 : settings.Level <= 5 ? 1 : settings.Level == 6 ? 2 : 3;
  const uint8_t cmf = 0x78;  // deflate, 32 KB window
  uint8_t flg = uint8_t(levelBits << 6);
  flg = uint8_t(flg + 31 - (cmf * 256 + flg) % 31);
  size_t total = 6;
  for (const TPacked& p : packed) total += p.Bytes.size();
  TBytes out;
  out.reserve(total);
  out.push_back(cmf);
  out.push_back(flg);
  uLong adler = adler32_z(0, nullptr, 0);
  for (TPacked& p : packed) {
    out.insert(out.end(), p.Bytes.begin(), p.Bytes.end());
    adler = adler32_combine(adler, p.Adler, z_off_t(p.Size));
    TBytes().swap(p.Bytes);
  }
  AppendBigEndian32(out, uint32_t(adler));
  return out;
}

TBytes DeflateInPieces(TByteSpan bytes, const TDeflateSettings& settings) {
  const size_t count = std::max<size_t>(1, (bytes.size() + kDeflatePieceBytes - 1) / kDeflatePieceBytes);
  return DeflateInPieces(
      count,
      [&](size_t i, std::vector<uint8_t>&) {
        const size_t from = i * kDeflatePieceBytes;
        return bytes.subspan(from, std::min(kDeflatePieceBytes, bytes.size() - from));
      },
      settings);
}

}  // namespace gs
