// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to gs::DecodeGif. Only the decoder's documented failures are caught;
// anything else (a crash, a sanitizer report, another exception) is a finding.
#include "codecs/Gif.h"
#include "common/Errors.h"

#include <cstddef>
#include <cstdint>
#include <new>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    auto picture = gs::DecodeGif(gs::TByteSpan(data, size));
    (void)picture;
  } catch (const gs::Exception&) {
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
