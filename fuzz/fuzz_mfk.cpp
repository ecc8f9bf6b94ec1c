// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the protected (".mfk") picture reader: the header and deciphering,
// then loading the inner picture, as the editor does when it opens such a file. Only
// gs::Exception and std::bad_alloc are expected; anything else is a finding.
#include "codecs/ProtectedImage.h"
#include "common/Errors.h"

#include <cstddef>
#include <cstdint>
#include <new>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gs::TByteSpan bytes(data, size);
  try {
    gs::TProtectedContent content = gs::DecipherProtected(bytes);
    (void)content;
  } catch (const gs::Exception&) {
  } catch (const std::bad_alloc&) {
  }
  try {
    gs::TEncryptedImage image;
    image.LoadFromStream(bytes);
    if (!image.Empty() && (image.Width() <= 0 || image.Height() <= 0)) __builtin_trap();
  } catch (const gs::Exception&) {
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
