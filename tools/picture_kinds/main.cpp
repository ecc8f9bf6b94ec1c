// SPDX-License-Identifier: GPL-3.0-or-later
// Fills the MIME types of the picture kinds the editor opens into its desktop entry and its
// AppStream metainfo at build time, so that the install offers the editor for exactly what it
// opens: `fill_mime_types TEMPLATE OUTPUT` replaces @GS_PICTURE_MIME_TYPES@ with
// "image/jpeg;image/png;...;" and @GS_PICTURE_MEDIATYPES@ with one <mediatype> element a type.

#include "codecs/FileIO.h"
#include "codecs/PictureKinds.h"

#include <exception>
#include <iostream>
#include <string>

namespace {

void ReplaceAll(std::string& text, const std::string& token, const std::string& with) {
  for (size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + with.size()))
    text.replace(at, token.size(), with);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: fill_mime_types TEMPLATE OUTPUT\n";
    return 2;
  }
  try {
    const gs::TBytes bytes = gs::ReadFileBytes(argv[1]);
    std::string text(bytes.begin(), bytes.end());
    std::string list, elements;
    for (const std::string& type : gs::OpenedMimeTypes()) {
      list += type + ";";
      elements += (elements.empty() ? "" : "\n    ") + ("<mediatype>" + type + "</mediatype>");
    }
    ReplaceAll(text, "@GS_PICTURE_MIME_TYPES@", list);
    ReplaceAll(text, "@GS_PICTURE_MEDIATYPES@", elements);
    gs::WriteFileBytes(argv[2], gs::TByteSpan(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
