// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Walking the chunks of a PNG file: lengths and CRCs checked, the chunks the decoder needs
// collected, the order of the critical ones enforced.

#include "codecs/PngFormat.h"

#include <vector>

namespace gs {

struct TPngChunk {
  uint32_t Type = 0;
  TByteSpan Data;
};

class TPngChunkReader {
public:
  // Checks the signature.
  explicit TPngChunkReader(TByteSpan file);
  // The next chunk, its length and CRC checked. Throws EInvalidGraphic when the data ends
  // before the chunk does, so a file without IEND reads as truncated.
  TPngChunk Next();

private:
  TByteSpan File_;
  size_t Pos_ = 0;
};

// The chunks of a file that decide its pixels, read up to IEND.
struct TPngChunks {
  TPngHeader Header;
  TByteSpan Palette;       // PLTE, when there is one
  TByteSpan Transparency;  // tRNS, when there is one that applies to the colour type
  std::vector<TByteSpan> ImageData;  // the IDAT chunks in order
  size_t ImageDataBytes = 0;
};

// Reads every chunk up to IEND; every CRC is checked, unknown ancillary chunks are skipped and
// unknown critical ones refused. tRNS chunks out of place or not meant for the colour type are
// ignored, as is anything after IEND.
TPngChunks ReadPngChunks(TByteSpan file);

}  // namespace gs
