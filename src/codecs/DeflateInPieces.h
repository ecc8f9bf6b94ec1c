// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One zlib stream deflated in pieces at once, on every core. Each piece is deflated on its own
// (no match reaches back into the piece before) and ends on a byte boundary, so the pieces side
// by side are one stream that any inflater reads; its checksum is joined from theirs. A piece
// of a few megabytes packs as well as the whole.

#include "codecs/Picture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace gs {

struct TDeflateSettings {
  int Level = 6;
  int Strategy = 0;  // Z_DEFAULT_STRATEGY
  bool AllCores = true;  // else one piece after the other on the calling thread
};

// The bytes of piece `index`: a view of memory that outlives the call, or of `scratch`, which
// the piece may fill as it likes.
using TDeflatePiece = std::function<TByteSpan(size_t index, std::vector<uint8_t>& scratch)>;

// The zlib stream (header, data, Adler-32) of the pieces 0 .. count - 1 in their order.
TBytes DeflateInPieces(size_t count, const TDeflatePiece& piece, const TDeflateSettings& settings);

// The same of one block of memory, cut into pieces of about kDeflatePieceBytes.
inline constexpr size_t kDeflatePieceBytes = size_t(4) << 20;
TBytes DeflateInPieces(TByteSpan bytes, const TDeflateSettings& settings);

}  // namespace gs
