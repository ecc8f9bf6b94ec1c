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

}  // namespace

TAnimatedGifWriter::TAnimatedGifWriter(std::span<const TBitmap32* const> paletteFrames,
                                       const TGifAnimationOptions& options)
    : Options_(options) {
  if (paletteFrames.empty() || paletteFrames.front()->Empty())
    throw Exception("An animation needs a picture to build its colours from");
  Width_ = paletteFrames.front()->Width();
  Height_ = paletteFrames.front()->Height();
  for (const TBitmap32* frame : paletteFrames) CheckFrameSize(*frame, Width_, Height_);
  const std::optional<TColor32> key = options.TransparentColor;
  // One entry is kept back for the transparent index. The key colour's pixels need it, and so
  // does every later frame for the pixels it leaves as they are; both mean "show what is
  // there", which is right for key pixels too, since a pixel that turns transparent is wiped
  // by the frame before (kClearAfterwards).
  const TPalette palette = BuildPalette(paletteFrames, 255, key);
  Table_ = palette.Colors;
  Transparent_ = uint8_t(Table_.size());
  Table_.push_back(key ? RgbOf(*key) | 0xFF000000u : 0xFF000000u);
  if (options.Dither) Dither_.emplace(palette);
  else Mapper_.emplace(palette);
  TransparentRow_.assign(size_t(Width_), Transparent_);
}

int TAnimatedGifWriter::AddFrame(const TBitmap32& frame) {
  CheckFrameSize(frame, Width_, Height_);
  const std::optional<TColor32> key = Options_.TransparentColor;
  Frames_.push_back(Dither_ ? GifIndicesOf(frame, *Dither_, key, Transparent_)
                            : GifIndicesOf(frame, *Mapper_, key, Transparent_));
  const std::vector<uint8_t>& indices = Frames_.back();
  HasTransparent_.push_back(key && std::find(indices.begin(), indices.end(), Transparent_) != indices.end());
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
  if (Pending_) EncodePending(frame);
  else First_ = frame;
  Pending_ = frame;
}

const uint8_t* TAnimatedGifWriter::CanvasRow(int y, std::vector<uint8_t>& scratch) const {
  if (Canvas_.Frame < 0) return TransparentRow_.data();
  const uint8_t* row = Frames_[size_t(Canvas_.Frame)].data() + size_t(y) * size_t(Width_);
  const TRect& cleared = Canvas_.Cleared;
  if (y < cleared.Top || y >= cleared.Bottom) return row;
  scratch.assign(row, row + Width_);
  std::fill(scratch.begin() + cleared.Left, scratch.begin() + cleared.Right, Transparent_);
  return scratch.data();
}

TRect TAnimatedGifWriter::ChangedRect(int frame) const {
  std::vector<uint8_t> scratch;
  TRect changed;
  const uint8_t* pixels = Frames_[size_t(frame)].data();
  for (int y = 0; y < Height_; ++y) {
    const uint8_t* shown = CanvasRow(y, scratch);
    const uint8_t* row = pixels + size_t(y) * size_t(Width_);
    const int first = FirstDifference(shown, row, Width_);
    if (first == Width_) continue;
    const int last = LastDifference(shown, row, Width_);
    changed = Union(changed, TRect{first, y, last + 1, y + 1});
  }
  return changed;
}

TRect TAnimatedGifWriter::UncoveredRect(int frame, int next) const {
  TRect uncovered;
  const uint8_t* now = Frames_[size_t(frame)].data();
  const uint8_t* then = Frames_[size_t(next)].data();
  for (int y = 0; y < Height_; ++y) {
    const size_t start = size_t(y) * size_t(Width_);
    int first = -1, last = -1;
    for (int x = 0; x < Width_; ++x) {
      if (now[start + size_t(x)] != Transparent_ && then[start + size_t(x)] == Transparent_) {
        if (first < 0) first = x;
        last = x;
      }
    }
    if (first >= 0) uncovered = Union(uncovered, TRect{first, y, last + 1, y + 1});
  }
  return uncovered;
}

void TAnimatedGifWriter::EncodePending(std::optional<int> next) {
  const int frame = *Pending_;
  TRect rect = Canvas_.Frame < 0 ? TRect{0, 0, Width_, Height_} : ChangedRect(frame);
  int disposal = kLeaveInPlace;
  if (next && HasTransparent_[size_t(*next)]) {
    const TRect uncovered = UncoveredRect(frame, *next);
    if (!uncovered.IsEmpty()) {
      rect = Union(rect, uncovered);
      disposal = kClearAfterwards;
    }
  }
  // A frame that changes nothing still has its delay to show: one pixel left as it is.
  if (rect.IsEmpty()) rect = TRect{0, 0, 1, 1};

  const auto known = std::find_if(Encoded_.begin(), Encoded_.end(), [&](const TEncoded& e) {
    return e.Canvas == Canvas_ && e.Frame == frame && e.Rect == rect;
  });
  size_t block = 0;
  if (known != Encoded_.end()) {
    block = known->Block;
  } else {
    std::vector<uint8_t> indices(size_t(rect.Width()) * size_t(rect.Height()));
    std::vector<uint8_t> scratch;
    uint8_t* out = indices.data();
    const uint8_t* pixels = Frames_[size_t(frame)].data();
    for (int y = rect.Top; y < rect.Bottom; ++y) {
      const uint8_t* shown = CanvasRow(y, scratch) + rect.Left;
      const uint8_t* row = pixels + size_t(y) * size_t(Width_) + rect.Left;
      for (int x = 0; x < rect.Width(); ++x) out[x] = shown[x] == row[x] ? Transparent_ : row[x];
      out += rect.Width();
    }
    TGifImage image;
    image.Left = rect.Left;
    image.Top = rect.Top;
    image.Width = rect.Width();
    image.Height = rect.Height();
    image.Indices = indices;
    image.IndexBits = GifTableBits(Table_.size());
    TBytes bytes;
    bytes.reserve(indices.size() / 2 + 64);
    AppendGifImage(bytes, image);
    block = Blocks_.size();
    Blocks_.push_back(std::move(bytes));
    Encoded_.push_back(TEncoded{Canvas_, frame, rect, block});
  }
  Shown_.push_back(TShown{disposal, block});
  Canvas_ = TCanvas{frame, disposal == kClearAfterwards ? rect : TRect{}};
  Pending_.reset();
}

TBytes TAnimatedGifWriter::Finish() {
  if (!Pending_ && Shown_.empty()) throw Exception("An animation needs at least one frame");
  // A reader that keeps its canvas when it starts over draws the first frame over the last:
  // the last must then be wiped where the first is transparent.
  if (Pending_) EncodePending(Options_.Loop ? std::optional<int>(First_) : std::nullopt);
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
