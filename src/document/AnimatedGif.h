// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An animated GIF89a built frame by frame, with one global colour table for every frame. The
// first frame shown is stored whole. Every later one holds only the smallest rectangle in which
// it differs from what a reader shows just before it, with the pixels in there that stay as they
// are written as the transparent index. What happens to a frame once shown (left in place,
// cleared, or undone) is chosen per frame, whichever makes this frame and the next smallest
// while every reader shows exactly the frames given. Frames that come back (an animation played
// back and forth) are mapped to the table once.

#include "codecs/ColorQuantizer.h"
#include "codecs/Picture.h"
#include "common/Geometry.h"

#include <optional>
#include <span>
#include <vector>

namespace gs {

struct TGifAnimationOptions {
  int DelayCentiseconds = 8;
  bool Loop = true;  // the NETSCAPE2.0 block asking readers to loop for ever
  // With a colour, pixels with alpha below 128 are transparent: they take the table entry the
  // file marks as such, which has this RGB unless an opaque entry has it (then the nearest RGB
  // none has). Without one every pixel is opaque.
  std::optional<TColor32> TransparentColor;
  // Ordered dithering to the table, for photos; nearest colours otherwise.
  bool Dither = false;
};

class TAnimatedGifWriter {
public:
  // The colour table is built from the colours counted (so that colours do not flicker from
  // frame to frame: the histogram should hold every frame, weighted by how long it shows, its
  // transparent pixels left out): at most 255 colours, and after them the transparent entry.
  // Every frame is width x height pixels. Throws Exception for an empty size.
  TAnimatedGifWriter(const TColorHistogram& colors, int width, int height,
                     const TGifAnimationOptions& options);
  // The same with the table built from paletteFrames, each counted once. Every frame has the
  // size of the first palette frame. Throws Exception when paletteFrames is empty or its
  // pictures are empty or differ in size.
  TAnimatedGifWriter(std::span<const TBitmap32* const> paletteFrames,
                     const TGifAnimationOptions& options);

  // Maps the next frame to the table and shows it; returns its number for RepeatFrame. Throws
  // Exception for a frame of another size.
  int AddFrame(const TBitmap32& frame);
  // Shows an added frame again without mapping it once more.
  void RepeatFrame(int frame);

  // The whole file: header, table, loop block, every shown frame, trailer.
  TBytes Finish();

  // The colour table as written, and the entry that is transparent in every frame.
  const std::vector<TColor32>& Table() const { return Table_; }
  uint8_t TransparentIndex() const { return Transparent_; }

private:
  // What a reader shows before a frame is drawn: the picture of frame Frame with the rectangle
  // Cleared transparent (the area its "restore to background" disposal wiped), or nothing at
  // all before the first frame (Frame < 0).
  struct TCanvas {
    int Frame = -1;
    TRect Cleared;
    friend bool operator==(const TCanvas&, const TCanvas&) = default;
  };
  // An image block already encoded: the same frame drawn over the same canvas into the same
  // rectangle is the same bytes.
  struct TEncoded {
    TCanvas Canvas;
    int Frame = 0;
    TRect Rect;
    size_t Block = 0;
  };
  struct TShown {
    int Disposal = 1;
    size_t Block = 0;
  };
  // One way to show the pending frame: its disposal, its block, and what is shown after it.
  struct TOption {
    int Disposal = 1;
    size_t Block = 0;
    TCanvas After;
  };

  void SetUp(const TColorHistogram& colors, int width, int height);
  void Show(int frame);
  // Encodes the pending frame now that the frame after it is known (none at the end of a
  // single play; the first frame again at the end of a loop, which is drawn whole).
  void EncodePending(std::optional<int> next, bool nextIsWhole);
  // The block of frame drawn over canvas into the smallest rectangle that holds rect and every
  // pixel that differs, encoded once.
  TEncoded BlockOf(const TCanvas& canvas, int frame, TRect rect);
  // Frees the blocks that were tried and not chosen.
  void DropUnusedBlocks();
  const uint8_t* CanvasRow(const TCanvas& canvas, int y, std::vector<uint8_t>& scratch) const;
  TRect ChangedRect(const TCanvas& canvas, int frame) const;
  // Pixels the canvas shows that must turn transparent for frame: drawing cannot clear them.
  TRect UncoveredRect(const TCanvas& canvas, int frame) const;

  int Width_ = 0;
  int Height_ = 0;
  TGifAnimationOptions Options_;
  std::vector<TColor32> Table_;  // the palette plus the transparent entry
  uint8_t Transparent_ = 0;
  std::optional<TColorMapper> Mapper_;
  std::optional<TOrderedDither> Dither_;
  std::vector<std::vector<uint8_t>> Frames_;  // every added frame's table indices
  TBitmap32 Previous_;                        // the frame added last, to map only what changes
  std::vector<bool> HasTransparent_;          // whether the frame has transparent pixels
  std::vector<uint8_t> TransparentRow_;       // a row of the transparent index
  std::vector<TBytes> Blocks_;                // encoded image blocks
  std::vector<TEncoded> Encoded_;
  std::vector<TShown> Shown_;                 // in the order shown
  int First_ = -1;                            // the first frame shown
  std::optional<int> Pending_;                // shown but not encoded yet
  TCanvas Canvas_;                            // what is shown before the pending frame
};

}  // namespace gs
