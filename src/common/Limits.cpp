// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Limits.h"

#include "common/Errors.h"

#include <string>

namespace gs {

bool PictureSizeAllowed(int64_t width, int64_t height) {
  if (width < 0 || height < 0) return false;
  if (width > kMaxPictureSide || height > kMaxPictureSide) return false;
  return width * height <= kMaxPicturePixels;
}

void CheckPictureSize(int64_t width, int64_t height) {
  if (PictureSizeAllowed(width, height)) return;
  throw EOutOfResources("The picture is too large to edit (" + std::to_string(width) + " x " +
                        std::to_string(height) +
                        " pixels). Pictures may have at most 100 megapixels and 30,000 pixels a side.");
}

}  // namespace gs
