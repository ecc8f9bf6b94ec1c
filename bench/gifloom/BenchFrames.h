// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The frames the benchmark joins: still GIFs written once into a scratch folder, each with its
// own 256-colour global table and properly LZW-compressed image data.

#include <string>
#include <vector>

namespace gifloom::bench {

struct TBenchFrames {
  std::string Folder;
  std::vector<std::string> Paths;
  size_t TotalBytes = 0;
};

// Writes count frames of width x height into a new folder under the temporary directory.
TBenchFrames WriteBenchFrames(int count, int width, int height);

// Removes the folder and everything in it.
void RemoveBenchFrames(const TBenchFrames& frames);

}  // namespace gifloom::bench
