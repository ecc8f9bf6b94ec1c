// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/Sticker.h"

#include "codecs/PictureKinds.h"
#include "codecs/Png.h"
#include "codecs/Webp.h"
#include "common/Errors.h"
#include "common/Limits.h"
#include "common/Shrink.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace gs {
namespace {

// Measured in face heights (brows to chin): what a head holds beyond the face.
constexpr double kHairAbove = 0.8;
constexpr double kChinBelow = 0.2;
constexpr double kHeadWidthPerJaw = 1.5;
constexpr int kQualities[] = {90, 80, 70, 60, 50, 40, 30, 20, 10, 0};

TBitmap32 CropWithTransparency(const TBitmap32& picture, const TRect& crop) {
  CheckPictureSize(crop.Width(), crop.Height());
  TBitmap32 part(crop.Width(), crop.Height(), 0);
  const TRect inside = Intersect(crop, picture.BoundsRect());
  if (!inside.IsEmpty())
    part.CopyRect(inside.Left - crop.Left, inside.Top - crop.Top, picture, inside);
  return part;
}

TBitmap32 Enlarge(const TBitmap32& part, int width, int height) {
  TBitmap32 scaled(width, height, 0);
  const double sx = double(part.Width()) / width, sy = double(part.Height()) / height;
  for (int y = 0; y < height; ++y) {
    TColor32* row = scaled.ScanLine(y);
    const TFixed fy = TFixed(std::lround(((y + 0.5) * sy - 0.5) * 65536));
    for (int x = 0; x < width; ++x)
      row[x] = part.PixelBilinear(TFixed(std::lround(((x + 0.5) * sx - 0.5) * 65536)), fy);
  }
  return scaled;
}

// Clears everything outside the oval that fills the rectangle, with an edge a pixel soft.
void CutOval(TBitmap32& sticker, const TRect& r) {
  const double cx = (r.Left + r.Right) / 2.0, cy = (r.Top + r.Bottom) / 2.0;
  const double rx = r.Width() / 2.0, ry = r.Height() / 2.0;
  const double edge = std::min(rx, ry);
  for (int y = 0; y < sticker.Height(); ++y) {
    TColor32* row = sticker.ScanLine(y);
    for (int x = 0; x < sticker.Width(); ++x) {
      const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
      const double cover = std::clamp((1 - std::sqrt(dx * dx + dy * dy)) * edge + 0.5, 0.0, 1.0);
      const auto alpha = uint8_t(std::lround(AlphaOf(row[x]) * cover));
      row[x] = alpha == 0 ? 0 : (row[x] & 0x00FFFFFF) | (TColor32(alpha) << 24);
    }
  }
}

// Each colour sample rounded to one of 2^bits levels spread over 0..255: longer runs of equal
// bytes, which the PNG's filters and deflate turn into fewer bytes. Alpha keeps its soft edge.
TBitmap32 Posterised(const TBitmap32& sticker, int bits) {
  if (bits >= 8) return sticker;
  const int top = (1 << bits) - 1;
  uint8_t level[256];
  for (int v = 0; v < 256; ++v) level[v] = uint8_t(std::lround(std::lround(v * top / 255.0) * 255.0 / top));
  TBitmap32 out = sticker;
  TColor32* p = out.Bits();
  for (size_t i = 0, n = size_t(out.Width()) * out.Height(); i < n; ++i)
    p[i] = (p[i] & 0xFF000000) | TColor32(level[p[i] >> 16 & 0xFF]) << 16 | TColor32(level[p[i] >> 8 & 0xFF]) << 8 |
           level[p[i] & 0xFF];
  return out;
}

template <typename TEncode>
TEncodedSticker Fit(size_t limit, const char* messenger, std::span<const int> qualities, const TEncode& encode) {
  TEncodedSticker sticker;
  sticker.Limit = limit;
  sticker.Messenger = messenger;
  for (int quality : qualities) {
    sticker.Bytes = encode(quality);
    sticker.Quality = quality;
    sticker.Fits = sticker.Bytes.size() <= limit;
    if (sticker.Fits) break;
  }
  return sticker;
}

}  // namespace

TRect StickerCrop(const TBitmap32& picture, const TFace* face) {
  if (!face) return picture.BoundsRect();
  const TPointF left = face->Points[kJawLeftEnd], right = face->Points[kJawRightEnd];
  double browTop = face->Points[kLeftBrow.First].Y;
  for (int k = kLeftBrow.First; k <= kRightBrow.Last; ++k) browTop = std::min(browTop, face->Points[k].Y);
  const double chin = face->Chin().Y;
  const double faceHeight = std::max(chin - browTop, 1.0);
  const double top = browTop - kHairAbove * faceHeight, bottom = chin + kChinBelow * faceHeight;
  const double width = std::max(Distance(left, right), faceHeight * 0.6) * kHeadWidthPerJaw;
  const double side = std::max(width, bottom - top);
  const double cx = (left.X + right.X) / 2, cy = (top + bottom) / 2;
  const int x0 = int(std::lround(cx - side / 2)), y0 = int(std::lround(cy - side / 2));
  const int s = std::max(int(std::lround(side)), 1);
  return TRect{x0, y0, x0 + s, y0 + s};
}

TBitmap32 ShapeSticker(const TBitmap32& picture, const TRect& crop, TStickerBackground background) {
  if (crop.IsEmpty() || picture.Empty()) throw Exception("There is no picture to make a sticker of");
  const int inner = kStickerSide - 2 * kStickerMargin;
  const double scale = double(inner) / std::max(crop.Width(), crop.Height());
  const int width = std::clamp(int(std::lround(crop.Width() * scale)), 1, inner);
  const int height = std::clamp(int(std::lround(crop.Height() * scale)), 1, inner);
  const TBitmap32 part = CropWithTransparency(picture, crop);
  const TBitmap32 scaled = width < part.Width() ? ShrinkPicture(part, width, height) : Enlarge(part, width, height);
  TBitmap32 sticker(kStickerSide, kStickerSide, 0);
  const TRect placed{(kStickerSide - width) / 2, (kStickerSide - height) / 2, 0, 0};
  sticker.CopyRect(placed.Left, placed.Top, scaled, scaled.BoundsRect());
  if (background == TStickerBackground::Oval)
    CutOval(sticker, TRect{placed.Left, placed.Top, placed.Left + width, placed.Top + height});
  return sticker;
}

TEncodedSticker EncodeStillSticker(const TBitmap32& sticker) {
  return Fit(kMaxStickerBytes, "WhatsApp", kQualities,
             [&](int quality) { return EncodeWebp(sticker, TWebpOptions{false, quality}); });
}

TEncodedSticker EncodePngSticker(const TBitmap32& sticker) {
  static constexpr int kBits[] = {8, 7, 6, 5, 4, 3, 2};
  return Fit(kMaxPngStickerBytes, "Telegram", kBits,
             [&](int bits) { return EncodePng(Posterised(sticker, bits), std::nullopt); });
}

bool IsPngSticker(const std::string& path) { return IsPictureKind(path, TPictureKindId::Png); }

TEncodedSticker EncodeAnimatedSticker(const TAnimationScene& scene, TAnimationSettings settings, const TRect& crop,
                                      TStickerBackground background) {
  CheckAnimationSettings(settings);
  const int shown = int(AnimationOrder(settings.Frames, settings.BackAndForth).size());
  if (shown * settings.DelayCentiseconds * 10 > kMaxStickerMilliseconds)
    settings.DelayCentiseconds = std::max(kMinFrameDelay, kMaxStickerMilliseconds / 10 / shown);
  if (shown * settings.DelayCentiseconds * 10 > kMaxStickerMilliseconds)
    throw Exception("An animated sticker plays for at most 3 s: use fewer frames");
  const TFrameShaper shape = [&](TBitmap32 frame) { return ShapeSticker(frame, crop, background); };
  return Fit(kMaxAnimatedStickerBytes, "WhatsApp", kQualities, [&](int quality) {
    return *EncodeCaricatureWebp(scene, settings, {}, quality, shape);
  });
}

std::string StickerSizeWarning(const TEncodedSticker& sticker) {
  if (sticker.Fits) return {};
  return "The sticker is " + std::to_string((sticker.Bytes.size() + 1023) / 1024) +
         " KB even at the lowest quality; " + sticker.Messenger + " takes at most " +
         std::to_string(sticker.Limit / 1024) + " KB.";
}

}  // namespace gs
