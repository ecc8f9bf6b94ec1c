// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/AnimatedGif.h"

#include "codecs/GifWriter.h"
#include "common/Errors.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace gs {

namespace {

// "Do not dispose": the next frame draws over this one and says only what changes.
constexpr int kLeaveInPlace = 1;
// "Restore to background": the frame's rectangle turns transparent after it has been shown.
// Drawing can only cover pixels, never make them transparent again, so a frame is wiped this
// way when pixels it shows must be transparent in the next one.
constexpr int kClearAfterwards = 2;
// "Restore to previous": after it has been shown the frame is undone, and the next one is drawn
// over what was there before it.
constexpr int kRestorePrevious = 3;

// The application extension readers take as "play this many times"; 0 is for ever.
void AppendLoopForever(TBytes& out) {
  const uint8_t block[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E',
                           '2',  '.',  '0',  0x03, 0x01, 0x00, 0x00, 0x00};
  out.insert(out.end(), block, block + sizeof block);
}

void CheckFrameSize(const TBitmap32& frame, int width, int height) {
  if (frame.Width() != width || frame.Height() != height)
    throw Exception("Animation frames must all be " + std::to_string(width) + " x " +
                    std::to_string(height) + " pixels, not " + std::to_string(frame.Width()) +
                    " x " + std::to_string(frame.Height()));
}

// Eight bytes at a time: most rows of two neighbouring frames are equal, or equal for long.
int FirstDifference(const uint8_t* a, const uint8_t* b, int n) {
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) break;
  }
  for (; i < n; ++i)
    if (a[i] != b[i]) return i;
  return n;
}

// The last differing position, -1 when there is none.
int LastDifference(const uint8_t* a, const uint8_t* b, int n) {
  int i = n;
  for (; i >= 8; i -= 8) {
    uint64_t x, y;
    std::memcpy(&x, a + i - 8, 8);
    std::memcpy(&y, b + i - 8, 8);
    if (x != y) break;
  }
  for (; i > 0; --i)
    if (a[i - 1] != b[i - 1]) return i - 1;
  return -1;
}

int64_t Area(const TRect& r) { return r.IsEmpty() ? 0 : int64_t(r.Width()) * r.Height(); }

}  // namespace

TAnimatedGifWriter::TAnimatedGifWriter(const TColorHistogram& colors, int width, int height,
                                       const TGifAnimationOptions& options)
    : Options_(options) {
  SetUp(colors, width, height);
}

TAnimatedGifWriter::TAnimatedGifWriter(std::span<const TBitmap32* const> paletteFrames,
                                       const TGifAnimationOptions& options)
    : Options_(options) {
  if (paletteFrames.empty() || paletteFrames.front()->Empty())
    throw Exception("An animation needs a picture to build its colours from");
  const int width = paletteFrames.front()->Width(), height = paletteFrames.front()->Height();
  TColorHistogram colors(std::nullopt, options.TransparentColor.has_value());
  for (const TBitmap32* frame : paletteFrames) {
    CheckFrameSize(*frame, width, height);
    colors.Add(*frame);
  }
  SetUp(colors, width, height);
}

void TAnimatedGifWriter::SetUp(const TColorHistogram& colors, int width, int height) {
  if (width <= 0 || height <= 0) throw Exception("An animation needs a picture to build its colours from");
  Width_ = width;
  Height_ = height;
  // One entry is kept back for the transparent index. Transparent pixels need it, and so does
  // every later frame for the pixels it leaves as they are; both mean "show what is there",
  // which is right for transparent pixels too, since a pixel that turns transparent is wiped
  // by the frame before.
  const TPalette palette = colors.Palette(255);
  Table_ = palette.Colors;
  Transparent_ = uint8_t(Table_.size());
  const TColor32 key = Options_.TransparentColor.value_or(0xFF000000u);
  Table_.push_back(Options_.TransparentColor ? UnusedGifKey(palette.Colors, key) : key);
  if (Options_.Dither) Dither_.emplace(palette);
  else Mapper_.emplace(palette);
  TransparentRow_.assign(size_t(Width_), Transparent_);
}

int TAnimatedGifWriter::AddFrame(const TBitmap32& frame) {
  CheckFrameSize(frame, Width_, Height_);
  std::optional<uint8_t> transparent;
  if (Options_.TransparentColor) transparent = Transparent_;
  TGifMappedPicture before;
  if (!Frames_.empty()) before = TGifMappedPicture{&Previous_, Frames_.back()};
  std::vector<uint8_t> indices = Dither_ ? GifIndicesOf(frame, *Dither_, transparent, before)
                                         : GifIndicesOf(frame, *Mapper_, transparent, before);
  Previous_ = frame;
  Frames_.push_back(std::move(indices));
  const std::vector<uint8_t>& mapped = Frames_.back();
  HasTransparent_.push_back(transparent && std::find(mapped.begin(), mapped.end(), Transparent_) != mapped.end());
  const int number = int(Frames_.size()) - 1;
  Show(number);
  return number;
}

void TAnimatedGifWriter::RepeatFrame(int frame) {
  if (frame < 0 || frame >= int(Frames_.size()))
    throw Exception("Animation frame " + std::to_string(frame) + " has not been made");
  Show(frame);
}

void TAnimatedGifWriter::Show(int frame) {
  if (Pending_) EncodePending(frame, false);
  else First_ = frame;
  Pending_ = frame;
}

const uint8_t* TAnimatedGifWriter::CanvasRow(const TCanvas& canvas, int y,
                                             std::vector<uint8_t>& scratch) const {
  if (canvas.Frame < 0) return TransparentRow_.data();
  const uint8_t* row = Frames_[size_t(canvas.Frame)].data() + size_t(y) * size_t(Width_);
  const TRect& cleared = canvas.Cleared;
  if (y < cleared.Top || y >= cleared.Bottom) return row;
  scratch.assign(row, row + Width_);
  std::fill(scratch.begin() + cleared.Left, scratch.begin() + cleared.Right, Transparent_);
  return scratch.data();
}

TRect TAnimatedGifWriter::ChangedRect(const TCanvas& canvas, int frame) const {
  std::vector<uint8_t> scratch;
  TRect changed;
  const uint8_t* pixels = Frames_[size_t(frame)].data();
  for (int y = 0; y < Height_; ++y) {
    const uint8_t* shown = CanvasRow(canvas, y, scratch);
    const uint8_t* row = pixels + size_t(y) * size_t(Width_);
    const int first = FirstDifference(shown, row, Width_);
    if (first == Width_) continue;
    const int last = LastDifference(shown, row, Width_);
    changed = Union(changed, TRect{first, y, last + 1, y + 1});
  }
  return changed;
}

TRect TAnimatedGifWriter::UncoveredRect(const TCanvas& canvas, int frame) const {
  TRect uncovered;
  if (!HasTransparent_[size_t(frame)]) return uncovered;
  std::vector<uint8_t> scratch;
  const uint8_t* then = Frames_[size_t(frame)].data();
  for (int y = 0; y < Height_; ++y) {
    const uint8_t* now = CanvasRow(canvas, y, scratch);
    const uint8_t* next = then + size_t(y) * size_t(Width_);
    int first = -1, last = -1;
    for (int x = 0; x < Width_; ++x) {
      if (now[x] != Transparent_ && next[x] == Transparent_) {
        if (first < 0) first = x;
        last = x;
      }
    }
    if (first >= 0) uncovered = Union(uncovered, TRect{first, y, last + 1, y + 1});
  }
  return uncovered;
}

TAnimatedGifWriter::TEncoded TAnimatedGifWriter::BlockOf(const TCanvas& canvas, int frame, TRect rect) {
  // Over nothing the frame is drawn whole: when a loop starts over, readers draw it over the
  // last frame, which must not show anywhere.
  if (canvas.Frame < 0) rect = TRect{0, 0, Width_, Height_};
  rect = Union(rect, ChangedRect(canvas, frame));
  // A frame that changes nothing still has its delay to show: one pixel left as it is.
  if (rect.IsEmpty()) rect = TRect{0, 0, 1, 1};
  const auto known = std::find_if(Encoded_.begin(), Encoded_.end(), [&](const TEncoded& e) {
    return e.Canvas == canvas && e.Frame == frame && e.Rect == rect;
  });
  if (known != Encoded_.end()) return *known;

  // A pixel that stays as it is shows the same written as transparent or as its own colour:
  // transparent by choice (runs of it compress well), its colour where that continues a string.
  const size_t area = size_t(rect.Width()) * size_t(rect.Height());
  std::vector<uint8_t> indices(area), own(area);
  std::vector<uint8_t> scratch;
  const uint8_t* pixels = Frames_[size_t(frame)].data();
  for (int y = rect.Top; y < rect.Bottom; ++y) {
    const uint8_t* shown = CanvasRow(canvas, y, scratch) + rect.Left;
    const uint8_t* row = pixels + size_t(y) * size_t(Width_) + rect.Left;
    const size_t at = size_t(y - rect.Top) * size_t(rect.Width());
    std::memcpy(own.data() + at, row, size_t(rect.Width()));
    for (int x = 0; x < rect.Width(); ++x) indices[at + size_t(x)] = shown[x] == row[x] ? Transparent_ : row[x];
  }
  TGifImage image;
  image.Left = rect.Left;
  image.Top = rect.Top;
  image.Width = rect.Width();
  image.Height = rect.Height();
  image.Indices = indices;
  image.Alternatives = own;
  image.IndexBits = GifTableBits(Table_.size());
  TBytes bytes;
  bytes.reserve(indices.size() / 2 + 64);
  AppendGifImage(bytes, image);
  Blocks_.push_back(std::move(bytes));
  Encoded_.push_back(TEncoded{canvas, frame, rect, Blocks_.size() - 1});
  return Encoded_.back();
}

void TAnimatedGifWriter::EncodePending(std::optional<int> next, bool nextIsWhole) {
  const int frame = *Pending_;
  const TCanvas before = Canvas_;
  const TCanvas left{frame, {}};
  std::vector<TOption> options;
  const TRect uncovered = next ? UncoveredRect(left, *next) : TRect{};
  if (uncovered.IsEmpty()) {
    // Left in place: the next frame draws only what changes.
    options.push_back(TOption{kLeaveInPlace, BlockOf(before, frame, {}).Block, left});
  } else {
    // Cleared afterwards: drawing cannot make pixels transparent, so the rectangle also takes
    // in the pixels the next frame needs transparent, and the next frame redraws whatever it
    // shows in there.
    const TEncoded cleared = BlockOf(before, frame, uncovered);
    options.push_back(TOption{kClearAfterwards, cleared.Block, TCanvas{frame, cleared.Rect}});
  }
  // Undone afterwards: the next frame is drawn over what was shown before this one, which
  // pays where the next frame looks more like that (the turn of an animation played back and
  // forth) or where this one would otherwise have to be cleared.
  if (next && !nextIsWhole && before.Frame >= 0 && UncoveredRect(before, *next).IsEmpty() &&
      (!uncovered.IsEmpty() || Area(ChangedRect(before, *next)) < Area(ChangedRect(left, *next))))
    options.push_back(TOption{kRestorePrevious, BlockOf(before, frame, {}).Block, before});

  const TOption* best = &options.front();
  if (options.size() > 1) {
    size_t bestBytes = SIZE_MAX;
    for (const TOption& option : options) {
      // BlockOf may add to Blocks_ and move it: the next block first, then both sizes.
      const size_t nextBlock = BlockOf(option.After, *next, {}).Block;
      const size_t bytes = Blocks_[option.Block].size() + Blocks_[nextBlock].size();
      if (bytes < bestBytes) bestBytes = bytes, best = &option;
    }
  }
  Shown_.push_back(TShown{best->Disposal, best->Block});
  Canvas_ = best->After;
  Pending_.reset();
  DropUnusedBlocks();
}

void TAnimatedGifWriter::DropUnusedBlocks() {
  std::vector<bool> kept(Blocks_.size(), false);
  for (const TShown& shown : Shown_) kept[shown.Block] = true;
  std::erase_if(Encoded_, [&](const TEncoded& e) {
    // A block drawn over the canvas shown now may still be chosen for the next frame.
    if (kept[e.Block] || e.Canvas == Canvas_) return false;
    TBytes().swap(Blocks_[e.Block]);
    return true;
  });
}

TBytes TAnimatedGifWriter::Finish() {
  if (!Pending_ && Shown_.empty()) throw Exception("An animation needs at least one frame");
  // A reader that keeps its canvas when it starts over draws the first frame over the last:
  // the last must then be wiped where the first is transparent.
  if (Pending_) EncodePending(Options_.Loop ? std::optional<int>(First_) : std::nullopt, true);
  size_t size = 1024 + Table_.size() * 3;
  for (const TShown& shown : Shown_) size += Blocks_[shown.Block].size() + 8;
  TBytes out;
  out.reserve(size);
  AppendGifHeader(out, Width_, Height_, Table_, Transparent_);
  if (Options_.Loop) AppendLoopForever(out);
  for (const TShown& shown : Shown_) {
    AppendGifGraphicControl(out, TGifGraphicControl{.DelayCentiseconds = Options_.DelayCentiseconds,
                                                    .Disposal = shown.Disposal,
                                                    .TransparentIndex = Transparent_});
    const TBytes& image = Blocks_[shown.Block];
    out.insert(out.end(), image.begin(), image.end());
  }
  AppendGifTrailer(out);
  return out;
}

}  // namespace gs
