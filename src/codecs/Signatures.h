// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a file's first bytes say it is. Messengers and browsers rename pictures freely, so the
// extension alone does not tell which reader a file needs. Each test says true only when the
// bytes clearly belong to its kind.

#include "codecs/Picture.h"

namespace gs {

bool LooksLikeJpeg(TByteSpan bytes);
bool LooksLikePng(TByteSpan bytes);
bool LooksLikeGif(TByteSpan bytes);
bool LooksLikeBmp(TByteSpan bytes);
bool LooksLikeWebp(TByteSpan bytes);
// ISOBMFF files whose brands name HEVC-coded (HEIC) or AV1-coded (AVIF) pictures or sequences.
bool LooksLikeHeic(TByteSpan bytes);
bool LooksLikeAvif(TByteSpan bytes);

}  // namespace gs
