// SPDX-License-Identifier: GPL-3.0-or-later
// Opens arbitrary bytes as a picture file through the document, the way File > Open and the
// background and chroma key pickers do: the first byte chooses the file's extension, the rest is
// its contents. Loading goes by extension, so this also covers the ".mfk" detour into the inner
// format. Only gs::Exception and std::bad_alloc are expected; anything else is a finding.
#include "common/Errors.h"
#include "document/Document.h"
#include "document/PictureFiles.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace {

// Upper and lower case too, since the document lower-cases what it is given; one entry the
// document refuses by name, so that path is walked as well.
constexpr const char* kExtensions[] = {".bmp", ".png", ".gif", ".jpg", ".jpeg", ".mfk",
                                       ".BMP", ".PNG", ".GIF", ".JPG", ".Mfk", ".tif"};
constexpr size_t kExtensionCount = sizeof kExtensions / sizeof kExtensions[0];
constexpr int64_t kMaxDocumentPixels = 16'000'000;

// One folder per process, so that parallel fuzzing jobs never share a file.
const std::string& WorkFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/gs_fuzz_document_XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    return std::string(pattern);
  }();
  return folder;
}

bool WriteAll(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string path = WorkFolder() + "/input" + kExtensions[data[0] % kExtensionCount];
  if (!WriteAll(path, data + 1, size - 1)) std::abort();
  bool decodable = false;
  int64_t pixels = 0;
  try {
    const gs::TDecodedPicture picture = gs::LoadGraphicFile(path);
    decodable = true;
    pixels = int64_t(picture.Bitmap.Width()) * picture.Bitmap.Height();
  } catch (const gs::Exception&) {
  } catch (const std::bad_alloc&) {
  }
  // The document keeps about seven copies of its picture and a mesh of 8 bytes a pixel: 3.6 GB at
  // the 100 MP limit, over the fuzzer's memory limit, and seconds of work under the sanitizers.
  // What it does after decoding does not depend on the size, and the decoders' targets take the
  // largest pictures, so large ones stop here.
  if (pixels <= kMaxDocumentPixels) {
    bool loaded = false;
    try {
      gs::TDocument document;
      document.Open(gs::ReadPictureFile(path));
      loaded = true;
      if (!document.ImageLoaded() || document.ImageWidth() != document.SourceBitmap.Width() ||
          document.ImageHeight() != document.SourceBitmap.Height() ||
          document.ViewBitmap.Width() != document.ImageWidth() ||
          document.ViewBitmap.Height() != document.ImageHeight())
        __builtin_trap();
    } catch (const gs::Exception&) {
    } catch (const std::bad_alloc&) {
    }
    // Both read the file the same way: one cannot succeed where the other fails.
    if (loaded != decodable) __builtin_trap();
  }
  ::unlink(path.c_str());
  return 0;
}
