// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to gs::ReadJpegFrameInfo, which reads a file: every input is written
// to a temporary file first. Only gs::Exception and std::bad_alloc are expected.
#include "common/Errors.h"
#include "export/JpegToPdf.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <unistd.h>

namespace {

const std::string& TempPath() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    std::string p = std::string(dir && *dir ? dir : "/tmp") + "/gs_fuzz_jpeg_frame_info." +
                    std::to_string(getpid()) + ".jpg";
    return p;
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = TempPath();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
  try {
    gs::TJpegFrameInfo info = gs::ReadJpegFrameInfo(path);
    // A found frame never has a negative size.
    if (info.Found && (info.Width < 0 || info.Height < 0)) __builtin_trap();
  } catch (const gs::Exception&) {
  } catch (const std::bad_alloc&) {
  }
  std::remove(path.c_str());
  return 0;
}
