// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The largest picture the editor accepts. The document keeps several full-size copies of the
// picture plus a mesh of 8 bytes a pixel, so anything larger cannot be edited safely.

#include <cstdint>

namespace gs {

inline constexpr int64_t kMaxPicturePixels = 100'000'000;
inline constexpr int kMaxPictureSide = 30'000;
// The largest file read whole into memory. The largest allowed picture takes 400 MB as a 32-bit
// BMP and 800 MB as a 16-bit RGBA PNG stored without compression; nothing larger is a picture.
inline constexpr uint64_t kMaxReadFileBytes = uint64_t(1) << 30;

// True when a picture of this size may be created.
bool PictureSizeAllowed(int64_t width, int64_t height);

// Throws EOutOfResources with a message naming the size unless PictureSizeAllowed.
void CheckPictureSize(int64_t width, int64_t height);

}  // namespace gs
