// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Signatures.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace gs {
namespace {

bool StartsWith(TByteSpan bytes, size_t at, const char* text) {
  const size_t n = std::strlen(text);
  return bytes.size() >= at + n && std::memcmp(bytes.data() + at, text, n) == 0;
}

uint32_t Little32(TByteSpan bytes, size_t at) {
  return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
         uint32_t(bytes[at + 3]) << 24;
}

uint32_t Big32(TByteSpan bytes, size_t at) {
  return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

bool IsBrand(TByteSpan bytes, size_t at, std::initializer_list<const char*> brands) {
  return std::any_of(brands.begin(), brands.end(), [&](const char* b) { return StartsWith(bytes, at, b); });
}

// The brands of a leading ftyp box: the major one at 8, the compatible ones from 16 to its end.
// A file names a kind when its major brand does, or when its major brand is the general HEIF
// one and a compatible brand names that kind.
bool FtypNames(TByteSpan bytes, std::initializer_list<const char*> brands) {
  if (bytes.size() < 16 || !StartsWith(bytes, 4, "ftyp")) return false;
  if (IsBrand(bytes, 8, brands)) return true;
  if (!IsBrand(bytes, 8, {"mif1", "msf1"})) return false;
  const size_t end = std::min<size_t>(Big32(bytes, 0), bytes.size());
  for (size_t at = 16; at + 4 <= end; at += 4)
    if (IsBrand(bytes, at, brands)) return true;
  return false;
}

}  // namespace

bool LooksLikeJpeg(TByteSpan bytes) {
  return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

bool LooksLikePng(TByteSpan bytes) { return StartsWith(bytes, 0, "\x89PNG\r\n\x1A\n"); }

bool LooksLikeGif(TByteSpan bytes) { return StartsWith(bytes, 0, "GIF87a") || StartsWith(bytes, 0, "GIF89a"); }

// "BM" alone is two letters any text may start with; the info header's size must be one of
// the handful of sizes the bitmap header versions have.
bool LooksLikeBmp(TByteSpan bytes) {
  if (bytes.size() < 18 || !StartsWith(bytes, 0, "BM")) return false;
  const uint32_t header = Little32(bytes, 14);
  return header == 12 || header == 40 || header == 52 || header == 56 || header == 64 || header == 108 ||
         header == 124;
}

bool LooksLikeWebp(TByteSpan bytes) { return StartsWith(bytes, 0, "RIFF") && StartsWith(bytes, 8, "WEBP"); }

bool LooksLikeHeic(TByteSpan bytes) { return FtypNames(bytes, {"heic", "heix", "heim", "heis", "hevc", "hevx"}); }

bool LooksLikeAvif(TByteSpan bytes) { return FtypNames(bytes, {"avif", "avis"}); }

}  // namespace gs
