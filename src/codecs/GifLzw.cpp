// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/GifLzw.h"

#include "common/Errors.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>

namespace gs {

namespace {

constexpr int kMaxCodeBits = 12;
constexpr uint32_t kTableSize = 1u << kMaxCodeBits;

// ---- Encoding ---------------------------------------------------------------------------

class TCodeWriter {
public:
  explicit TCodeWriter(TBytes& bytes) : Bytes_(bytes) {}

  void Put(uint32_t code, int width) {
    Pending_ |= uint64_t(code) << PendingBits_;
    PendingBits_ += width;
    while (PendingBits_ >= 8) {
      Bytes_.push_back(uint8_t(Pending_));
      Pending_ >>= 8;
      PendingBits_ -= 8;
    }
  }
  void Flush() {
    if (PendingBits_ > 0) Bytes_.push_back(uint8_t(Pending_));
    Pending_ = 0;
    PendingBits_ = 0;
  }

private:
  TBytes& Bytes_;
  uint64_t Pending_ = 0;
  int PendingBits_ = 0;
};

// The table of strings seen so far, keyed by (code of the string without its last index, last
// index). Open addressing at most half full; clearing it is one fill of 64 KB.
class TStringTable {
public:
  TStringTable() { Clear(); }
  void Clear() { Keys_.fill(kEmpty); }

  static uint32_t Key(uint32_t prefix, uint8_t index) { return (prefix << 8) | index; }

  // The slot holding key, or the empty slot where it belongs.
  uint32_t Find(uint32_t key) const {
    uint32_t slot = (key * 0x9E3779B1u) >> (32 - kBits);
    while (Keys_[slot] != kEmpty && Keys_[slot] != key) slot = (slot + 1) & (kSize - 1);
    return slot;
  }
  bool Holds(uint32_t slot) const { return Keys_[slot] != kEmpty; }
  uint16_t CodeAt(uint32_t slot) const { return Codes_[slot]; }
  void Put(uint32_t slot, uint32_t key, uint16_t code) {
    Keys_[slot] = key;
    Codes_[slot] = code;
  }

private:
  static constexpr int kBits = 13;
  static constexpr uint32_t kSize = 1u << kBits;
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
  std::array<uint32_t, kSize> Keys_;
  std::array<uint16_t, kSize> Codes_;
};

TBytes EncodeCodes(std::span<const uint8_t> indices, std::span<const uint8_t> alternatives,
                   int minCodeSize) {
  TBytes codes;
  codes.reserve(indices.size() / 2 + 16);
  TCodeWriter writer(codes);
  const uint32_t clear = 1u << minCodeSize, end = clear + 1;
  const uint8_t indexMask = uint8_t(clear - 1);
  int width = minCodeSize + 1;
  uint32_t nextCode = end + 1;
  auto table = std::make_unique<TStringTable>();
  writer.Put(clear, width);
  if (!indices.empty()) {
    uint32_t prefix = indices[0] & indexMask;
    for (size_t i = 1; i < indices.size(); ++i) {
      const uint8_t index = indices[i] & indexMask;
      const uint32_t key = TStringTable::Key(prefix, index);
      const uint32_t slot = table->Find(key);
      if (table->Holds(slot)) {
        prefix = table->CodeAt(slot);
        continue;
      }
      if (!alternatives.empty() && alternatives[i] != indices[i]) {
        const uint32_t other = table->Find(TStringTable::Key(prefix, alternatives[i] & indexMask));
        if (table->Holds(other)) {
          prefix = table->CodeAt(other);
          continue;
        }
      }
      writer.Put(prefix, width);
      if (nextCode < kTableSize) {
        table->Put(slot, key, uint16_t(nextCode));
        // The reader adds this code one step later, so it widens once the code it is about
        // to receive may be this one.
        if (nextCode == (1u << width)) ++width;
        ++nextCode;
      } else {
        writer.Put(clear, width);
        table->Clear();
        width = minCodeSize + 1;
        nextCode = end + 1;
      }
      prefix = index;
    }
    writer.Put(prefix, width);
    // The reader adds one more string on receiving that last code.
    if (nextCode < kTableSize && nextCode == (1u << width)) ++width;
  }
  writer.Put(end, width);
  writer.Flush();
  return codes;
}

// ---- Decoding ---------------------------------------------------------------------------

// Up to 25 bits starting at bitPos (codes are 12 bits at most); missing bytes read as 0.
inline uint32_t PeekBits(const uint8_t* data, size_t size, size_t bitPos) {
  const size_t byte = bitPos >> 3;
  uint32_t word = 0;
  if (byte + 4 <= size) {
    word = uint32_t(data[byte]) | (uint32_t(data[byte + 1]) << 8) |
           (uint32_t(data[byte + 2]) << 16) | (uint32_t(data[byte + 3]) << 24);
  } else {
    for (size_t i = 0; byte + i < size; ++i) word |= uint32_t(data[byte + i]) << (8 * i);
  }
  return word >> (bitPos & 7);
}

// Copies a string that appeared earlier in the output. The source may run into the part being
// written (a code that refers to the string being defined); copying forwards in steps no
// longer than the distance reproduces it correctly.
inline void CopyEarlier(uint8_t* out, size_t from, size_t to, size_t length, size_t room) {
  const size_t distance = to - from;
  if (distance >= 8 && length + 7 <= room) {
    for (size_t i = 0; i < length; i += 8) std::memcpy(out + to + i, out + from + i, 8);
  } else {
    for (size_t i = 0; i < length; ++i) out[to + i] = out[from + i];
  }
}

[[noreturn]] void Fail(const char* reason) { throw EInvalidGraphic(std::string("GIF: ") + reason); }

}  // namespace

void AppendGifLzwData(TBytes& out, std::span<const uint8_t> indices, int minCodeSize) {
  AppendGifLzwData(out, indices, {}, minCodeSize);
}

void AppendGifLzwData(TBytes& out, std::span<const uint8_t> indices,
                      std::span<const uint8_t> alternatives, int minCodeSize) {
  if (!alternatives.empty() && alternatives.size() != indices.size())
    throw Exception("GIF: the alternative indices do not match the image");
  const TBytes codes = EncodeCodes(indices, alternatives, minCodeSize);
  out.reserve(out.size() + codes.size() + codes.size() / 255 + 3);
  out.push_back(uint8_t(minCodeSize));
  for (size_t i = 0; i < codes.size(); i += 255) {
    const size_t length = std::min<size_t>(255, codes.size() - i);
    out.push_back(uint8_t(length));
    out.insert(out.end(), codes.begin() + ptrdiff_t(i), codes.begin() + ptrdiff_t(i + length));
  }
  out.push_back(0);
}

// Every table entry is a string that already stands in the output: the previous code's
// string followed by one more index. So an entry is just (position, length), and decoding a
// code is a copy from earlier in the output instead of a walk along a chain of prefixes.
void DecodeGifLzw(TByteSpan codes, int minCodeSize, std::span<uint8_t> out) {
  const size_t size = out.size();
  if (size == 0) return;
  uint8_t* dst = out.data();
  const uint8_t* data = codes.data();
  const size_t dataSize = codes.size();
  const size_t totalBits = dataSize * 8;

  const uint32_t clear = 1u << minCodeSize, end = clear + 1;
  std::array<uint32_t, kTableSize> start;
  std::array<uint16_t, kTableSize> length;
  length.fill(1);

  int width = minCodeSize + 1;
  uint32_t mask = (1u << width) - 1;
  uint32_t nextFree = end + 1;
  bool havePrevious = false;
  uint32_t previous = 0;
  size_t previousStart = 0;
  size_t bitPos = 0;
  size_t pos = 0;
  for (;;) {
    if (bitPos + size_t(width) > totalBits) Fail("truncated image data");
    const uint32_t code = PeekBits(data, dataSize, bitPos) & mask;
    bitPos += size_t(width);
    if (code == clear) {
      width = minCodeSize + 1;
      mask = (1u << width) - 1;
      nextFree = end + 1;
      havePrevious = false;
      continue;
    }
    if (code == end) Fail("LZW data ends before the image is complete");
    if (havePrevious) {
      if (code > nextFree) Fail("bad LZW code");
      // A full table stays as it is until the next clear code.
      if (nextFree < kTableSize) {
        start[nextFree] = uint32_t(previousStart);
        length[nextFree] = uint16_t(length[previous] + 1);
        ++nextFree;
      }
    } else if (code > clear) {
      Fail("bad LZW code");
    }
    // Checked after every code, not only after one that adds a string: with a minimum code
    // size of 1 the first free code (4) is already too wide right after a clear's first code.
    if (nextFree == (1u << width) && width < kMaxCodeBits) {
      ++width;
      mask = (1u << width) - 1;
    }
    const size_t room = size - pos;
    size_t n = 1;
    if (code < clear) {
      dst[pos] = uint8_t(code);
    } else {
      n = std::min<size_t>(length[code], room);
      CopyEarlier(dst, start[code], pos, n, room);
    }
    havePrevious = true;
    previous = code;
    previousStart = pos;
    pos += n;
    if (pos == size) return;
  }
}

uint64_t GifLzwMaxOutput(size_t codeBytes, int minCodeSize) {
  // The k-th code after a clear stands for at most k indices (each new string is one longer
  // than the previous code's), and no string is longer than the table.
  const uint64_t codes = uint64_t(codeBytes) * 8 / uint64_t(minCodeSize + 1);
  const uint64_t longest = kTableSize;
  if (codes <= longest) return codes * (codes + 1) / 2;
  return longest * (longest + 1) / 2 + (codes - longest) * longest;
}

}  // namespace gs
