// SPDX-License-Identifier: GPL-3.0-or-later
// Reads arbitrary bytes as a project (.ora) as File > Open does, and opens what it accepts into
// a document. Only gs::Exception and std::bad_alloc are expected; anything else is a finding.
#include "common/Errors.h"
#include "document/Document.h"
#include "document/project/ProjectFile.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    std::ostringstream notes;
    gs::TProject project = gs::DecodeProject(gs::TByteSpan(data, size), notes);
    gs::TDocument document;
    gs::OpenProject(document, std::move(project), "fuzz.ora");
    if (!document.ImageLoaded() || document.ViewBitmap.Width() != document.ImageWidth()) __builtin_trap();
  } catch (const gs::Exception&) {
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
