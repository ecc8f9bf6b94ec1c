// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Png.h"

#include "codecs/ColorQuantizer.h"
#include "codecs/DeflateInPieces.h"
#include "codecs/PngFilters.h"
#include "codecs/PngFormat.h"
#include "common/Errors.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>
#include <zlib.h>

namespace gs {

namespace {

// Level 4 with the strategy for filtered data: on photos it is as small as level 6 and more
// than twice as fast; on flat drawings it costs a few per cent of size.
constexpr int kCompressionLevel = 4;
constexpr int kCompressionStrategy = Z_FILTERED;
// About 40 % faster than level 4 on photos, and a tenth larger.
constexpr int kFastCompressionLevel = 1;
constexpr size_t kMaxIdatBytes = 64 * 1024;
// The rows deflated together on one core: a band of about a megabyte packs as well as the whole.
constexpr size_t kBandBytes = size_t(1) << 20;

void AppendChunk(TBytes& out, uint32_t type, const uint8_t* data, size_t size) {
  AppendBE32(out, uint32_t(size));
  size_t typeAt = out.size();
  AppendBE32(out, type);
  out.insert(out.end(), data, data + size);
  AppendBE32(out, uint32_t(crc32(0, out.data() + typeAt, uInt(size + 4))));
}

// The alpha channel is only needed when a key colour cannot express the transparency.
bool NeedsAlphaChannel(const TBitmap32& picture, bool haveKey) {
  const TColor32* pixel = picture.Bits();
  const size_t count = size_t(picture.Width()) * size_t(picture.Height());
  for (size_t i = 0; i < count; ++i) {
    uint8_t alpha = AlphaOf(pixel[i]);
    if (alpha == 0xFF) continue;
    if (alpha != 0 || !haveKey) return true;
  }
  return false;
}

// The colour the file marks transparent: `wanted` unless an opaque pixel has it, then the
// nearest colour no opaque pixel has. Nothing when the picture uses every colour.
std::optional<TColor32> FreeKey(const TBitmap32& picture, TColor32 wanted) {
  const TColor32* pixel = picture.Bits();
  const size_t count = size_t(picture.Width()) * size_t(picture.Height());
  const TColor32 opaqueKey = 0xFF000000u | RgbOf(wanted);
  if (std::find(pixel, pixel + count, opaqueKey) == pixel + count) return wanted;
  std::vector<uint64_t> used(size_t(1) << 18);  // a bit per RGB value
  for (size_t i = 0; i < count; ++i)
    if (AlphaOf(pixel[i]) != 0) used[RgbOf(pixel[i]) >> 6] |= uint64_t(1) << (pixel[i] & 63);
  return FirstUnusedColor(wanted, [&](uint32_t rgb) { return (used[rgb >> 6] >> (rgb & 63)) & 1; });
}

void PackRgbRow(const TColor32* src, int width, TColor32 key, uint8_t* dst) {
  for (int x = 0; x < width; ++x, dst += 3) {
    TColor32 c = AlphaOf(src[x]) == 0 ? key : src[x];
    dst[0] = RedOf(c);
    dst[1] = GreenOf(c);
    dst[2] = BlueOf(c);
  }
}

void PackRgbaRow(const TColor32* src, int width, uint8_t* dst) {
  for (int x = 0; x < width; ++x, dst += 4) {
    dst[0] = RedOf(src[x]);
    dst[1] = GreenOf(src[x]);
    dst[2] = BlueOf(src[x]);
    dst[3] = AlphaOf(src[x]);
  }
}

// Filters each row every way and keeps the one whose bytes, read as signed, add up to the
// smallest magnitude: small differences are what deflate compresses best. A way whose sum
// already passes the best so far is given up, as it cannot win.
class TFilterChooser {
public:
  TFilterChooser(size_t rowBytes, int step) : Size_(rowBytes), Step_(size_t(step)) {
    for (auto& candidate : Candidates_) candidate.resize(rowBytes + 1);
  }

  // The chosen filtered row, its filter type byte first.
  const std::vector<uint8_t>& Filter(const uint8_t* row, const uint8_t* prev) {
    size_t best = kPngFilterCount;
    uint64_t bestCost = UINT64_MAX;
    const auto consider = [&](uint8_t filter, auto predict) {
      uint8_t* out = Candidates_[filter].data();
      out[0] = filter;
      const uint64_t cost = Apply(row, prev, out + 1, bestCost, predict);
      // Of equal costs the first filter in the standard's order wins.
      if (cost < bestCost || (cost == bestCost && filter < best)) {
        bestCost = cost;
        best = filter;
      }
    };
    // The ways that win most often on photos first, so that the others are given up early.
    consider(kPngFilterPaeth, [](int a, int b, int c) { return int(PngPaeth(a, b, c)); });
    consider(kPngFilterUp, [](int, int b, int) { return b; });
    consider(kPngFilterSub, [](int a, int, int) { return a; });
    consider(kPngFilterAverage, [](int a, int b, int) { return (a + b) >> 1; });
    consider(kPngFilterNone, [](int, int, int) { return 0; });
    return Candidates_[best];
  }

private:
  // Writes each byte's difference from its prediction out of the left (a), upper (b) and
  // upper-left (c) bytes, the first pixel's left ones taken as 0; returns the cost, or
  // something above `limit` once it is there.
  template <class TPredict>
  uint64_t Apply(const uint8_t* row, const uint8_t* prev, uint8_t* out, uint64_t limit, TPredict predict) const {
    constexpr size_t kBlock = 256;  // how often the cost is held against the limit
    const size_t n = Size_, s = std::min(Step_, Size_);
    uint64_t cost = 0;
    const auto put = [&](size_t i, int a, int c) {
      const uint8_t v = uint8_t(row[i] - predict(a, prev[i], c));
      out[i] = v;
      const int sv = int8_t(v);
      cost += uint64_t(sv < 0 ? -sv : sv);
    };
    for (size_t i = 0; i < s; ++i) put(i, 0, 0);
    for (size_t at = s; at < n; at += kBlock) {
      for (size_t i = at, end = std::min(n, at + kBlock); i < end; ++i) put(i, row[i - s], prev[i - s]);
      if (cost > limit) return cost;
    }
    return cost;
  }

  size_t Size_;
  size_t Step_;
  std::array<std::vector<uint8_t>, kPngFilterCount> Candidates_;
};

void AppendHeader(TBytes& out, int width, int height, bool alpha) {
  TBytes ihdr;
  AppendBE32(ihdr, uint32_t(width));
  AppendBE32(ihdr, uint32_t(height));
  ihdr.push_back(8);  // bits per sample
  ihdr.push_back(uint8_t(alpha ? TPngColorType::Rgba : TPngColorType::Rgb));
  ihdr.insert(ihdr.end(), {0, 0, 0});  // deflate, adaptive filters, not interlaced
  AppendChunk(out, kPngIHDR, ihdr.data(), ihdr.size());
}

void AppendKey(TBytes& out, TColor32 c) {
  const uint8_t trns[6] = {0, RedOf(c), 0, GreenOf(c), 0, BlueOf(c)};
  AppendChunk(out, kPngtRNS, trns, sizeof trns);
}

}  // namespace

TBytes EncodePng(const TBitmap32& picture, std::optional<TColor> transparentColor, TPngPacking packing) {
  if (picture.Empty()) throw Exception("PNG: cannot save an empty picture");
  const int width = picture.Width();
  std::optional<TColor32> key;
  if (transparentColor) key = FreeKey(picture, WinColorToColor32(*transparentColor));
  const bool alpha = NeedsAlphaChannel(picture, key.has_value());
  const int step = alpha ? 4 : 3;
  const size_t rowBytes = size_t(width) * size_t(step);

  TBytes out(std::begin(kPngSignature), std::end(kPngSignature));
  AppendHeader(out, width, picture.Height(), alpha);
  if (!alpha && key) AppendKey(out, *key);

  const auto pack = [&](int y, uint8_t* into) {
    if (alpha) PackRgbaRow(picture.ScanLine(y), width, into);
    else PackRgbRow(picture.ScanLine(y), width, key.value_or(0), into);
  };
  // Bands of rows are filtered and deflated at once; a band's first row is filtered against the
  // last row of the band before, as if the picture were packed in one go.
  const int bandRows = int(std::max<size_t>(1, kBandBytes / rowBytes));
  const size_t bands = size_t((picture.Height() + bandRows - 1) / bandRows);
  const TBytes stream = DeflateInPieces(
      bands,
      [&](size_t band, std::vector<uint8_t>& filtered) {
        const int from = int(band) * bandRows, to = std::min(picture.Height(), from + bandRows);
        std::vector<uint8_t> row(rowBytes), prev(rowBytes, 0);
        if (from > 0) pack(from - 1, prev.data());
        TFilterChooser chooser(rowBytes, step);
        filtered.reserve((rowBytes + 1) * size_t(to - from));
        for (int y = from; y < to; ++y) {
          pack(y, row.data());
          const std::vector<uint8_t>& best = chooser.Filter(row.data(), prev.data());
          filtered.insert(filtered.end(), best.begin(), best.end());
          row.swap(prev);
        }
        return TByteSpan(filtered);
      },
      TDeflateSettings{packing == TPngPacking::Fast ? kFastCompressionLevel : kCompressionLevel, kCompressionStrategy});
  out.reserve(out.size() + stream.size() + (stream.size() / kMaxIdatBytes + 2) * 12);
  for (size_t at = 0; at < stream.size(); at += kMaxIdatBytes)
    AppendChunk(out, kPngIDAT, stream.data() + at, std::min(kMaxIdatBytes, stream.size() - at));
  AppendChunk(out, kPngIEND, nullptr, 0);
  return out;
}

TBytes EncodePng(const TBitmap32& picture, std::optional<TColor> transparentColor) {
  return EncodePng(picture, transparentColor, TPngPacking::Normal);
}

}  // namespace gs
