#include "codecs/ColorQuantizer.h"
#include "codecs/Gif.h"
#include "codecs/GifWriter.h"
#include "common/Errors.h"

namespace gs {

TBytes EncodeGif(const TBitmap32& picture, std::optional<TColor> transparentColor) {
  if (picture.Empty()) throw Exception("GIF: cannot write an empty picture");
  std::optional<TColor32> key;
  if (transparentColor) key = WinColorToColor32(*transparentColor);

  // The transparent colour takes the entry right after the picture's own colours.
  const TBitmap32* pictures[] = {&picture};
  const TPalette palette = BuildPalette(pictures, key ? 255 : 256, key);
  std::vector<TColor32> table = palette.Colors;
  const uint8_t keyIndex = uint8_t(table.size());
  if (key) table.push_back(*key);

  TColorMapper mapper(palette);
  const std::vector<uint8_t> indices = GifIndicesOf(picture, mapper, key, keyIndex);

  TBytes out;
  out.reserve(indices.size() / 2 + 1024);
  // The background is the transparent entry, so readers that clear to it show nothing there.
  AppendGifHeader(out, picture.Width(), picture.Height(), table, key ? keyIndex : 0);
  if (key) AppendGifGraphicControl(out, TGifGraphicControl{.TransparentIndex = keyIndex});
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
