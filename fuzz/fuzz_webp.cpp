// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the WebP reader the way a file is opened (DecodePicture): still
// pictures through libwebp's decoder, animations through its demuxer and animation decoder.
// Only the reader's documented failures are caught; anything else is a finding.
#include "codecs/DecodeByExtension.h"
#include "common/Errors.h"

#include <cstddef>
#include <cstdint>
#include <new>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    auto picture = gs::DecodePicture(".webp", gs::TByteSpan(data, size));
    if (picture.Bitmap.Empty()) __builtin_trap();  // a picture read is never empty
  } catch (const gs::Exception&) {
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
