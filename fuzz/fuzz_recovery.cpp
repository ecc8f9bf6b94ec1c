// SPDX-License-Identifier: GPL-3.0-or-later
// Reads arbitrary bytes as a recovery copy, as the editor does at start with the copies a crashed
// session left, and opens what it accepts into a document. Only gs::Exception and std::bad_alloc
// are expected; anything else is a finding.
#include "common/Errors.h"
#include "document/Document.h"
#include "document/Recovery.h"

#include <cstddef>
#include <cstdint>
#include <new>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const gs::TByteSpan bytes(data, size);
  try {
    (void)gs::DecodeRecoveryHeader(bytes);
  } catch (const gs::Exception&) {
  } catch (const std::bad_alloc&) {
  }
  try {
    gs::TRecoveryCopy copy = gs::DecodeRecovery(bytes);
    gs::TDocument document;
    gs::OpenRecovery(document, std::move(copy));
    if (!document.ImageLoaded() || document.ViewBitmap.Width() != document.ImageWidth()) __builtin_trap();
  } catch (const gs::Exception&) {
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
