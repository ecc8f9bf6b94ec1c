// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// WebP pictures through libwebp: still pictures both ways, animations written frame by frame.

#include "codecs/Picture.h"

#include <memory>

namespace gs {

// Decodes a still WebP, or the first frame of an animated one as shown on its canvas, with its
// alpha. The size is checked against the editor's limits before anything is allocated. Throws
// EInvalidGraphic for broken or truncated files, EOutOfResources for pictures too large.
TDecodedPicture DecodeWebp(TByteSpan bytes);

struct TWebpOptions {
  bool Lossless = false;
  int Quality = 90;  // 0..100: lossy quality, or for lossless how hard it tries
};

// Photos lossy at quality 90; a picture with any transparency, or of 256 colours or fewer (a
// drawing, a posterised caricature), lossless, where lossy coding would smear its edges.
TWebpOptions StillWebpOptions(const TBitmap32& picture);

// Encodes as a still WebP with its alpha. Throws Exception for an empty picture or a side
// beyond WebP's 16383 pixels.
TBytes EncodeWebp(const TBitmap32& picture, const TWebpOptions& options);
TBytes EncodeWebp(const TBitmap32& picture);  // with StillWebpOptions

// An animated WebP of frames of one size, each shown for its own time, in 24-bit colour with
// alpha. Frames that repeat (an animation played back and forth) are coded again: WebP has no
// way to refer back to an earlier frame.
class TAnimatedWebpWriter {
public:
  // Loop: play for ever; otherwise once. A lossy animation's quality is that of the frames
  // after the first; the first, which shows wherever they do not change, is coded at a higher
  // one, or lossless when that costs little more. Throws Exception for an empty or too large size.
  TAnimatedWebpWriter(int width, int height, bool loop, const TWebpOptions& options);
  ~TAnimatedWebpWriter();
  TAnimatedWebpWriter(const TAnimatedWebpWriter&) = delete;
  TAnimatedWebpWriter& operator=(const TAnimatedWebpWriter&) = delete;

  // Throws Exception for a frame of another size or when libwebp fails.
  void AddFrame(const TBitmap32& frame, int durationMs);
  // The whole file. The writer takes no more frames after it.
  TBytes Finish();

private:
  struct TState;
  std::unique_ptr<TState> State_;
};

}  // namespace gs
