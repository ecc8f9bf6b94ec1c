// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Scratch folders and small pictures for the document tests.

#include "common/Bitmap32.h"

#include <filesystem>
#include <string>

namespace gs::test {

// A fresh empty folder under the system's temporary folder, removed with the object.
class TScratchFolder {
public:
  TScratchFolder();
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;
  std::string Path(const std::string& name) const { return (Root_ / name).string(); }

private:
  std::filesystem::path Root_;
};

// A small picture with a few distinct opaque colours, the top-left pixel `corner`.
TBitmap32 Swatch(int width, int height, TColor32 corner = 0xFF2040C0);

// A picture with detail everywhere, so that any displacement shows in the pixels.
TBitmap32 Stripes(int width, int height);

}  // namespace gs::test
