// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The image data of a PNG file: one zlib stream split over the IDAT chunks, inflated on demand
// into the caller's buffers, never producing more than the caller asks for.

#include "codecs/Picture.h"

#include <vector>
#include <zlib.h>

namespace gs {

class TPngInflater {
public:
  explicit TPngInflater(const std::vector<TByteSpan>& chunks);
  ~TPngInflater();
  TPngInflater(const TPngInflater&) = delete;
  TPngInflater& operator=(const TPngInflater&) = delete;

  // Fills dst completely; throws EInvalidGraphic when the stream is broken or ends early.
  void Read(uint8_t* dst, size_t size);
  // Throws EInvalidGraphic when the stream holds more data than was read.
  void CheckNothingLeft();

private:
  bool FeedNextChunk();
  int Inflate();

  const std::vector<TByteSpan>& Chunks_;
  size_t NextChunk_ = 0;
  z_stream Stream_{};
  bool Ended_ = false;
};

}  // namespace gs
