#pragma once
// An animated GIF89a built frame by frame: one global colour table for every frame, each frame
// a full picture with its delay, and frames that come back (an animation played back and forth)
// stored once and only repeated.

#include "codecs/ColorQuantizer.h"
#include "codecs/Picture.h"

#include <optional>
#include <span>
#include <vector>

namespace gs {

struct TGifAnimationOptions {
  int DelayCentiseconds = 8;
  bool Loop = true;  // the NETSCAPE2.0 block asking readers to loop for ever
  // Pixels of this RGB get a table entry of their own that the file marks as transparent.
  std::optional<TColor32> TransparentColor;
};

class TAnimatedGifWriter {
public:
  // The colour table is built from paletteFrames (the frames that show the most of what the
  // animation will hold), so that colours do not flicker from frame to frame. Every frame has
  // the size of the first palette frame. Throws Exception when paletteFrames is empty or its
  // pictures are empty or differ in size.
  TAnimatedGifWriter(std::span<const TBitmap32* const> paletteFrames,
                     const TGifAnimationOptions& options);

  // Encodes the next frame; returns its number for RepeatFrame. Throws Exception for a frame
  // of another size.
  int AddFrame(const TBitmap32& frame);
  // Shows an already encoded frame again without encoding it once more.
  void RepeatFrame(int frame);

  // The whole file: header, table, loop block, every shown frame, trailer.
  TBytes Finish() const;

private:
  int Width_ = 0;
  int Height_ = 0;
  TGifAnimationOptions Options_;
  TPalette Palette_;
  std::vector<TColor32> Table_;  // the palette plus the transparent entry
  std::optional<uint8_t> TransparentIndex_;
  std::optional<TColorMapper> Mapper_;
  std::vector<TBytes> Images_;  // each encoded frame's image block
  std::vector<int> Sequence_;   // the encoded frames in the order shown
};

}  // namespace gs
