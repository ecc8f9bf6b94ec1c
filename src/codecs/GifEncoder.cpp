// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/ColorQuantizer.h"
#include "codecs/Gif.h"
#include "codecs/GifWriter.h"
#include "common/Errors.h"

namespace gs {

TBytes EncodeGif(const TBitmap32& picture, std::optional<TColor> transparentColor) {
  if (picture.Empty()) throw Exception("GIF: cannot write an empty picture");
  const bool keyed = transparentColor.has_value();

  // The transparent colour takes the entry right after the picture's own colours.
  TColorHistogram histogram(std::nullopt, keyed);
  histogram.Add(picture);
  const TPalette palette = histogram.Palette(keyed ? 255 : 256);
  std::vector<TColor32> table = palette.Colors;
  const uint8_t keyIndex = uint8_t(table.size());
  if (keyed) table.push_back(UnusedGifKey(palette.Colors, WinColorToColor32(*transparentColor)));

  TColorMapper mapper(palette);
  const std::vector<uint8_t> indices =
      GifIndicesOf(picture, mapper, keyed ? std::optional<uint8_t>(keyIndex) : std::nullopt);

  TBytes out;
  out.reserve(indices.size() / 2 + 1024);
  // The background is the transparent entry, so readers that clear to it show nothing there.
  AppendGifHeader(out, picture.Width(), picture.Height(), table, keyed ? keyIndex : 0);
  if (keyed) AppendGifGraphicControl(out, TGifGraphicControl{.TransparentIndex = keyIndex});
  TGifImage image;
  image.Width = picture.Width();
  image.Height = picture.Height();
  image.Indices = indices;
  image.IndexBits = GifTableBits(table.size());
  AppendGifImage(out, image);
  AppendGifTrailer(out);
  return out;
}

}  // namespace gs
