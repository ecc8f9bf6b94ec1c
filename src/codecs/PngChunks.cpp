// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/PngChunks.h"

#include "common/Errors.h"

#include <zlib.h>

namespace gs {

namespace {

[[noreturn]] void Fail(const std::string& why) { throw EInvalidGraphic("PNG: " + why); }

bool IsLetter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

uint32_t ChunkCrc(const uint8_t* typeAndData, size_t size) {
  // zlib's crc32 takes a uInt length; chunks are at most 2^31 bytes, which fits.
  return uint32_t(crc32(0, typeAndData, uInt(size)));
}

}  // namespace

TPngChunkReader::TPngChunkReader(TByteSpan file) : File_(file) {
  if (file.size() < sizeof kPngSignature) Fail("not a PNG file (too short)");
  for (size_t i = 0; i < sizeof kPngSignature; ++i)
    if (file[i] != kPngSignature[i]) Fail("not a PNG file (bad signature)");
  Pos_ = sizeof kPngSignature;
}

TPngChunk TPngChunkReader::Next() {
  size_t left = File_.size() - Pos_;
  if (left < 8) Fail("truncated file (chunk header missing)");
  const uint8_t* p = File_.data() + Pos_;
  uint32_t length = ReadBE32(p);
  TPngChunk chunk;
  chunk.Type = ReadBE32(p + 4);
  for (int i = 4; i < 8; ++i)
    if (!IsLetter(p[i])) Fail("bad chunk type " + PngChunkName(chunk.Type));
  std::string name = PngChunkName(chunk.Type);
  if (length > kPngMaxLength) Fail("length of chunk " + name + " out of range");
  if (left - 8 < size_t(length) + 4) Fail("truncated file (chunk " + name + ")");
  chunk.Data = TByteSpan(p + 8, length);
  if (ChunkCrc(p + 4, size_t(length) + 4) != ReadBE32(p + 8 + length)) Fail("bad CRC in chunk " + name);
  Pos_ += size_t(length) + 12;
  return chunk;
}

namespace {

bool TransparencyApplies(const TPngChunks& chunks, const TPngChunk& chunk) {
  switch (chunks.Header.ColorType) {
    case TPngColorType::Grey:
      if (chunk.Data.size() != 2) Fail("bad tRNS length");
      return true;
    case TPngColorType::Rgb:
      if (chunk.Data.size() != 6) Fail("bad tRNS length");
      return true;
    case TPngColorType::Indexed:
      return !chunks.Palette.empty();  // before PLTE it cannot apply to anything
    default:
      return false;  // alpha channels make a key meaningless
  }
}

void AddPalette(TPngChunks& chunks, const TPngChunk& chunk) {
  TPngColorType type = chunks.Header.ColorType;
  if (type == TPngColorType::Grey || type == TPngColorType::GreyAlpha) Fail("palette in a grey image");
  if (!chunks.Palette.empty()) Fail("second PLTE chunk");
  if (!chunks.ImageData.empty()) Fail("PLTE after image data");
  size_t size = chunk.Data.size();
  if (size == 0 || size % 3 != 0 || size > 256 * 3) Fail("bad palette length " + std::to_string(size));
  if (type == TPngColorType::Indexed) chunks.Palette = chunk.Data;  // otherwise only a suggestion
}

}  // namespace

TPngChunks ReadPngChunks(TByteSpan file) {
  TPngChunkReader reader(file);
  TPngChunk first = reader.Next();
  if (first.Type != kPngIHDR) Fail("first chunk is " + PngChunkName(first.Type) + ", not IHDR");
  TPngChunks chunks;
  chunks.Header = ParsePngHeader(first.Data);

  bool imageDataEnded = false;
  for (;;) {
    TPngChunk chunk = reader.Next();
    if (chunk.Type == kPngIDAT) {
      if (imageDataEnded) Fail("IDAT chunks not consecutive");
      if (chunks.Header.ColorType == TPngColorType::Indexed && chunks.Palette.empty())
        Fail("palette image without PLTE");
      chunks.ImageData.push_back(chunk.Data);
      chunks.ImageDataBytes += chunk.Data.size();
      continue;
    }
    if (!chunks.ImageData.empty()) imageDataEnded = true;
    if (chunk.Type == kPngIEND) break;
    if (chunk.Type == kPngPLTE) {
      AddPalette(chunks, chunk);
    } else if (chunk.Type == kPngtRNS) {
      if (chunks.Transparency.empty() && chunks.ImageData.empty() && TransparencyApplies(chunks, chunk))
        chunks.Transparency = chunk.Data;
    } else if (chunk.Type == kPngIHDR) {
      Fail("second IHDR chunk");
    } else if (!PngChunkIsAncillary(chunk.Type)) {
      Fail("unknown critical chunk " + PngChunkName(chunk.Type));
    }
  }
  if (chunks.ImageData.empty()) Fail("no image data");
  return chunks;
}

}  // namespace gs
