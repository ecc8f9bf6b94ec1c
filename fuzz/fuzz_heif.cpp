// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the HEIF reader (HEIC and AVIF through libheif) the way a file is
// opened, including our own search for rotation and mirroring properties and the EXIF block.
// Only the reader's documented failures are caught; anything else is a finding.
#include "codecs/DecodeByExtension.h"
#include "common/Errors.h"

#include <cstddef>
#include <cstdint>
#include <new>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    auto picture = gs::DecodePicture(".heic", gs::TByteSpan(data, size));
    if (picture.Bitmap.Empty()) __builtin_trap();
  } catch (const gs::Exception&) {
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
