// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bitmap's 0xAARRGGBB words are exactly Qt's ARGB32 layout, so Qt can read them in place.

#include "common/Bitmap32.h"

#include <QImage>
#include <QPixmap>

namespace gs {

// Wraps the pixels without copying: the image is valid only while the bitmap is unchanged.
inline QImage WrappedImage(const TBitmap32& bitmap) {
  return QImage(reinterpret_cast<const uchar*>(bitmap.Bits()), bitmap.Width(), bitmap.Height(),
                qsizetype(bitmap.Width()) * 4, QImage::Format_ARGB32);
}

// A pixmap with a copy of the pixels: Qt may keep sharing an image's memory in a pixmap made from
// it, and the bitmap may change or go before the pixmap does.
inline QPixmap PixmapOf(const TBitmap32& bitmap) { return QPixmap::fromImage(WrappedImage(bitmap).copy()); }

}  // namespace gs
