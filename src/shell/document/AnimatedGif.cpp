#include "shell/document/AnimatedGif.h"

#include "codecs/GifWriter.h"
#include "common/Errors.h"

#include <string>

namespace gs {

namespace {

// "Restore to background" after each frame: frames are full pictures, and a frame's
// transparent pixels must show nothing rather than the frame before it.
constexpr int kDisposeToBackground = 2;

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
  // The transparent colour takes the entry right after the pictures' own colours.
  Palette_ = BuildPalette(paletteFrames, key ? 255 : 256, key);
  Table_ = Palette_.Colors;
  if (key) {
    TransparentIndex_ = uint8_t(Table_.size());
    Table_.push_back(RgbOf(*key) | 0xFF000000u);
  }
  Mapper_.emplace(Palette_);
}

int TAnimatedGifWriter::AddFrame(const TBitmap32& frame) {
  CheckFrameSize(frame, Width_, Height_);
  const std::vector<uint8_t> indices =
      GifIndicesOf(frame, *Mapper_, Options_.TransparentColor, TransparentIndex_.value_or(0));
  TGifImage image;
  image.Width = Width_;
  image.Height = Height_;
  image.Indices = indices;
  image.IndexBits = GifTableBits(Table_.size());
  TBytes block;
  block.reserve(indices.size() / 2 + 64);
  AppendGifImage(block, image);
  Images_.push_back(std::move(block));
  Sequence_.push_back(int(Images_.size()) - 1);
  return Sequence_.back();
}

void TAnimatedGifWriter::RepeatFrame(int frame) {
  if (frame < 0 || frame >= int(Images_.size()))
    throw Exception("Animation frame " + std::to_string(frame) + " has not been made");
  Sequence_.push_back(frame);
}

TBytes TAnimatedGifWriter::Finish() const {
  if (Sequence_.empty()) throw Exception("An animation needs at least one frame");
  size_t size = 1024 + Table_.size() * 3;
  for (const int frame : Sequence_) size += Images_[size_t(frame)].size() + 8;
  TBytes out;
  out.reserve(size);
  AppendGifHeader(out, Width_, Height_, Table_, TransparentIndex_.value_or(0));
  if (Options_.Loop) AppendLoopForever(out);
  const TGifGraphicControl control{.DelayCentiseconds = Options_.DelayCentiseconds,
                                   .Disposal = kDisposeToBackground,
                                   .TransparentIndex = TransparentIndex_};
  for (const int frame : Sequence_) {
    AppendGifGraphicControl(out, control);
    const TBytes& image = Images_[size_t(frame)];
    out.insert(out.end(), image.begin(), image.end());
  }
  AppendGifTrailer(out);
  return out;
}

}  // namespace gs
