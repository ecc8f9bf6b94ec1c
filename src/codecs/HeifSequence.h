// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The first picture of a HEIF or AVIF picture sequence that stores no still picture beside it
// (a movie track only, as cameras' bursts and animated AVIFs may be). libheif 1.15 reads still
// pictures only, so the first sample is handed to it as a file of one still picture.

#include "codecs/Picture.h"

#include <optional>

namespace gs {

// A still HEIF file in memory holding the first picture of the file's first picture or video
// track, coded as HEVC or AV1; nullopt when the file has no such track. Every box, count and
// offset is checked against the file before it is used, and the picture's size against the
// editor's limits. Throws EInvalidGraphic for a broken sequence, EOutOfResources for a picture
// too large.
std::optional<TBytes> FirstSequencePictureAsStill(TByteSpan file);

}  // namespace gs
