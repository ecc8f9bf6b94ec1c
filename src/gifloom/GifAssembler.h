// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Joins the first image of each input GIF, in order, into one animated GIF89a. Pixels are never
// decoded: each image's compressed data is copied byte for byte and only the blocks around it
// are rewritten (a graphic control with the chosen delay and "restore to background", the
// input's colour table as the frame's local table, and a screen as large as the largest input).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace gifloom {

struct TAssemblyOptions {
  uint16_t DelayCentiseconds = 0;
  bool Loop = true;  // adds the NETSCAPE2.0 looping block, loop count 65535
};

// What was written: the frame count and the inputs (each named once, in order) that held more
// images than the first, which alone was joined.
struct TAssemblyReport {
  size_t Frames = 0;
  std::vector<std::string> SeveralFrames;
};

// Throws EGifError on the first input that cannot be used, for more than kMaxInputFiles inputs,
// or when the output cannot be written; outputPath is then left as it was.
TAssemblyReport AssembleAnimatedGif(std::span<const std::string> inputPaths, const std::string& outputPath,
                                    const TAssemblyOptions& options);

}  // namespace gifloom
