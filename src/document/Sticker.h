// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Messenger stickers of the caricature: the head cut out, 512 x 512 pixels with a transparent
// background, as a WebP small enough for WhatsApp (100 KB still, 500 KB and 3 s animated) and
// Telegram, or as the PNG Telegram also takes (512 KB).

#include "codecs/Picture.h"
#include "common/Geometry.h"
#include "document/Animation.h"
#include "faces/Face.h"

#include <optional>
#include <string>

namespace gs {

inline constexpr int kStickerSide = 512;
inline constexpr int kStickerMargin = 16;
inline constexpr size_t kMaxStickerBytes = 100 * 1024;
inline constexpr size_t kMaxAnimatedStickerBytes = 500 * 1024;
inline constexpr size_t kMaxPngStickerBytes = 512 * 1024;
inline constexpr int kMaxStickerMilliseconds = 3000;

enum class TStickerBackground {
  Oval,  // transparent outside an oval around the head
  None,  // transparent only where the picture already is (after Chromakey or the eraser)
};

// The part of the picture a sticker shows: the head of the face with room for the hair above
// and the chin below, centred on the face (it may reach beyond the picture, which adds
// transparency); the whole picture without a face.
TRect StickerCrop(const TBitmap32& picture, const TFace* face);

// The crop scaled to fit the sticker within its margin, centred, and the background made
// transparent.
TBitmap32 ShapeSticker(const TBitmap32& picture, const TRect& crop, TStickerBackground background);

struct TEncodedSticker {
  TBytes Bytes;
  int Quality = 0;    // the WebP quality it took to fit; for a PNG, the bits kept of each colour
  bool Fits = false;  // false: even the lowest quality is larger than the limit
  size_t Limit = 0;   // the messenger's limit the sticker was fitted to
  const char* Messenger = "";
};

// The still sticker at the highest quality that fits kMaxStickerBytes.
TEncodedSticker EncodeStillSticker(const TBitmap32& sticker);

// The still sticker as a PNG for Telegram: its colours kept to fewer levels, the alpha left as
// it is, until it fits kMaxPngStickerBytes.
TEncodedSticker EncodePngSticker(const TBitmap32& sticker);

// True when a sticker of this name is a PNG (by its extension); any other name writes a WebP.
bool IsPngSticker(const std::string& path);

// The caricature's animation as a sticker: every frame shaped as ShapeSticker does, played
// within kMaxStickerMilliseconds (the delay is shortened when the frames would take longer), at
// the highest quality that fits kMaxAnimatedStickerBytes. Throws Exception as
// EncodeCaricatureWebp does.
TEncodedSticker EncodeAnimatedSticker(const TAnimationScene& scene, TAnimationSettings settings,
                                      const TRect& crop, TStickerBackground background);

// "The sticker is 140 KB even at the lowest quality; WhatsApp takes at most 100 KB." for a
// sticker that does not fit; empty for one that does.
std::string StickerSizeWarning(const TEncodedSticker& sticker);

}  // namespace gs
