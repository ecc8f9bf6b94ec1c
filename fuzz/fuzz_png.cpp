// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to gs::DecodePng the way a file is opened (DecodePicture, which also turns the
// picture by its EXIF orientation), and to the EXIF parser as a bare TIFF structure, since a
// mutated file rarely keeps a valid block for the parser to see. Only the decoder's documented
// failures are caught; anything else (a crash, a sanitizer report, another exception) is a
// finding.
#include "codecs/DecodeByExtension.h"
#include "codecs/ExifOrientation.h"
#include "common/Errors.h"

#include <cstddef>
#include <cstdint>
#include <new>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const gs::TByteSpan bytes(data, size);
  const int bare = gs::ParseExifOrientation(bytes);
  const int found = gs::ParseExifOrientation(gs::FindPngExif(bytes));
  if (bare < 1 || bare > 8 || found < 1 || found > 8) __builtin_trap();
  try {
    auto picture = gs::DecodePicture(".png", bytes);
    (void)picture;
  } catch (const gs::Exception&) {
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
