#pragma once
// The largest picture the editor accepts. The document keeps several full-size copies of the
// picture plus a mesh of 8 bytes a pixel, so anything larger cannot be edited safely.

#include <cstdint>

namespace gs {

inline constexpr int64_t kMaxPicturePixels = 100'000'000;
inline constexpr int kMaxPictureSide = 30'000;

// True when a picture of this size may be created.
bool PictureSizeAllowed(int64_t width, int64_t height);

// Throws EOutOfResources with a message naming the size unless PictureSizeAllowed.
void CheckPictureSize(int64_t width, int64_t height);

}  // namespace gs
