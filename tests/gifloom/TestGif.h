// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds small GIF files for the tests, reads the animations Gifloom writes back into their
// blocks, and gives each test a scratch folder.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace gifloom::test {

using TBytes = std::vector<uint8_t>;

struct TTestControl {
  uint8_t Packed = 0;
  uint16_t Delay = 0;
  uint8_t TransparentIndex = 0;
};

// One still GIF. Table codes of -1 mean "no such table"; table entry i of a file with colour
// seed s is ColourOf(s, i).
struct TTestGif {
  std::string Version = "GIF89a";
  uint16_t ScreenWidth = 4;
  uint16_t ScreenHeight = 3;
  int GlobalTableCode = 1;
  int LocalTableCode = -1;
  uint8_t DescriptorFlags = 0;  // interlace, sort and reserved bits of the image descriptor
  uint8_t ColourSeed = 0;
  std::vector<TTestControl> Controls;  // graphic control extensions before the image
  bool CommentBeforeImage = false;
  // Indices of the image, which covers the screen; empty: every pixel gets index 1.
  std::vector<uint8_t> Indices;
};

uint32_t ColourOf(uint8_t seed, int index);  // 0xRRGGBB
TBytes BuildGif(const TTestGif& gif);
// Just the image data of BuildGif's output: minimum code size, sub-blocks, zero length byte.
TBytes ImageDataOf(const TTestGif& gif);
TBytes ColourTable(int code, uint8_t seed);

struct TFrameBlocks {
  TBytes Control;     // the 6 bytes after 0x21 0xF9
  TBytes Descriptor;  // the 9 bytes after ','
  TBytes Table;
  TBytes ImageData;
};

// The blocks of an animation in the layout Gifloom writes; fails the calling test (through
// exceptions) on any other layout.
struct TAnimation {
  TBytes Screen;  // 7 bytes
  bool HasLoopingBlock = false;
  std::vector<TFrameBlocks> Frames;
};
TAnimation ParseAnimation(const TBytes& bytes);

TBytes ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const TBytes& bytes);

// A fresh folder removed with everything in it at the end of the scope.
class TScratchFolder {
public:
  TScratchFolder();
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return Path_; }
  std::string operator/(const std::string& name) const { return (Path_ / name).string(); }
  // Writes a GIF built from the description and returns its path.
  std::string Put(const std::string& name, const TTestGif& gif) const;
  std::vector<std::string> Names() const;

private:
  std::filesystem::path Path_;
};

}  // namespace gifloom::test
