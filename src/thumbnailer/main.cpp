// SPDX-License-Identifier: GPL-3.0-or-later
// grimacer-thumbnailer INPUT OUTPUT [SIZE]: the file manager's thumbnail of a project, the
// picture the project keeps in Thumbnails/thumbnail.png, shrunk to fit SIZE x SIZE (a PNG).
// Exits non-zero with a one-line reason when the file is not a project it can read.

#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "common/Errors.h"
#include "common/Shrink.h"
#include "document/project/ZipArchive.h"

#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::cerr << "usage: grimacer-thumbnailer INPUT OUTPUT [SIZE]\n";
    return 2;
  }
  try {
    const int size = argc == 4 ? std::atoi(argv[3]) : 256;
    if (size <= 0 || size > 4096) throw gs::Exception("the size must be 1 to 4096");
    // A thumbnail is small: nothing larger than a few megabytes is one.
    gs::TZipLimits limits;
    limits.MaxEntryBytes = limits.MaxTotalBytes = uint64_t(16) << 20;
    gs::TZipReader zip(std::string(argv[1]), limits);
    gs::TBitmap32 picture = gs::DecodePng(zip.Read("Thumbnails/thumbnail.png")).Bitmap;
    const gs::TSize fitted = gs::FittedSize(picture.Width(), picture.Height(), size);
    if (fitted.Width != picture.Width() || fitted.Height != picture.Height())
      picture = gs::ShrinkPicture(picture, fitted.Width, fitted.Height);
    gs::WriteFileBytes(argv[2], gs::EncodePng(picture, std::nullopt));
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "grimacer-thumbnailer: " << e.what() << "\n";
    return 1;
  }
}
