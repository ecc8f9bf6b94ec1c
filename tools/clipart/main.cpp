// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the clipart and talk bubbles the program ships into the Clipart folder given on the
// command line. The pictures alternate between PNG and GIF so that both kinds of keyed
// transparency the "Transparent Image?" question handles are shipped and exercised.

#include "ClipartArt.h"

#include "codecs/FileIO.h"
#include "codecs/Gif.h"
#include "codecs/Png.h"

#include <QGuiApplication>

#include <cstdio>
#include <exception>
#include <filesystem>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_clipart CLIPART_FOLDER\n");
    return 2;
  }
  // Gradients and clip paths need the GUI platform; the build runs it offscreen.
  QGuiApplication app(argc, argv);
  try {
    const std::filesystem::path folder(argv[1]);
    for (const gs::clipart::TArtwork& art : gs::clipart::Catalogue()) {
      const std::filesystem::path path = folder / gs::clipart::RelativePath(art);
      std::filesystem::create_directories(path.parent_path());
      const gs::TBitmap32 picture = gs::clipart::Render(art);
      gs::WriteFileBytes(path.string(), art.FileType == gs::clipart::TFileType::Png
                                            ? gs::EncodePng(picture, gs::clipart::kKeyColor)
                                            : gs::EncodeGif(picture, gs::clipart::kKeyColor));
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_clipart: %s\n", e.what());
    return 1;
  }
  return 0;
}
