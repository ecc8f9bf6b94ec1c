// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/PngInflater.h"

#include "common/Errors.h"

#include <climits>
#include <string>

namespace gs {

namespace {

[[noreturn]] void Fail(const std::string& why) { throw EInvalidGraphic("PNG: " + why); }

}  // namespace

TPngInflater::TPngInflater(const std::vector<TByteSpan>& chunks) : Chunks_(chunks) {
  if (inflateInit(&Stream_) != Z_OK) throw EOutOfResources("PNG: cannot start the zlib decoder");
}

TPngInflater::~TPngInflater() { inflateEnd(&Stream_); }

bool TPngInflater::FeedNextChunk() {
  while (NextChunk_ < Chunks_.size()) {
    TByteSpan chunk = Chunks_[NextChunk_++];
    if (chunk.empty()) continue;
    Stream_.next_in = const_cast<Bytef*>(chunk.data());  // zlib never writes through next_in
    Stream_.avail_in = uInt(chunk.size());               // chunk lengths fit 31 bits
    return true;
  }
  return false;
}

int TPngInflater::Inflate() {
  int result = inflate(&Stream_, Z_NO_FLUSH);
  switch (result) {
    case Z_OK:
    case Z_BUF_ERROR:  // no progress possible: the caller feeds more input or gives up
      return result;
    case Z_STREAM_END:
      Ended_ = true;
      return result;
    case Z_NEED_DICT:
      Fail("image data needs a preset dictionary");
    case Z_MEM_ERROR:
      throw EOutOfResources("PNG: out of memory in the zlib decoder");
    default:
      Fail(std::string("corrupt image data (") + (Stream_.msg ? Stream_.msg : "zlib error") + ")");
  }
}

void TPngInflater::Read(uint8_t* dst, size_t size) {
  while (size > 0) {
    if (Ended_) Fail("truncated image data");
    if (Stream_.avail_in == 0 && !FeedNextChunk()) Fail("truncated image data");
    uInt part = uInt(size < size_t(UINT_MAX) ? size : size_t(UINT_MAX));
    Stream_.next_out = dst;
    Stream_.avail_out = part;
    uInt inputBefore = Stream_.avail_in;
    Inflate();
    size_t produced = part - Stream_.avail_out;
    // zlib always moves when it has input and room; standing still would loop forever.
    if (produced == 0 && Stream_.avail_in == inputBefore && !Ended_) Fail("corrupt image data");
    dst += produced;
    size -= produced;
  }
}

void TPngInflater::CheckNothingLeft() {
  // A stream whose end (or checksum) lies beyond the last IDAT is tolerated: every pixel is
  // there already, and the chunk CRCs have vouched for the bytes.
  uint8_t extra = 0;
  while (!Ended_) {
    if (Stream_.avail_in == 0 && !FeedNextChunk()) return;
    Stream_.next_out = &extra;
    Stream_.avail_out = 1;
    uInt inputBefore = Stream_.avail_in;
    Inflate();
    if (Stream_.avail_out == 0) Fail("too much image data");
    if (Stream_.avail_in == inputBefore && !Ended_) Fail("corrupt image data");
  }
  // Bytes after the end of the stream are left alone: they cannot add pixels.
}

}  // namespace gs
