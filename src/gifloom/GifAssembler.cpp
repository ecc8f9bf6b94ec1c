// SPDX-License-Identifier: GPL-3.0-or-later
#include "gifloom/GifAssembler.h"

#include "gifloom/GifBlocks.h"
#include "gifloom/GifError.h"
#include "gifloom/GifMessages.h"
#include "gifloom/ReplacingOutputFile.h"

#include <algorithm>
#include <array>

namespace gifloom {

namespace {

constexpr uint64_t kScreenDescriptorOffset = 6;
// Disposal method 2 (restore to background) with the input's user-input and transparency bits.
constexpr uint8_t kKeptControlBits = 0xEB;
constexpr uint8_t kRestoreToBackground = 0x08;

struct TScreenSize {
  uint16_t Width = 0;
  uint16_t Height = 0;
  bool SeveralFrames = false;  // of the input it came from
};

// One input's first image with everything the output needs to say about it.
struct TFrame {
  TGraphicControl Control;
  TImageDescriptor Image;
  TColourTable Table;
};

void WriteLeadIn(TReplacingOutputFile& output, bool loop) {
  static constexpr std::array<uint8_t, 13> kHeaderAndBlankScreen = {'G', 'I', 'F', '8', '9', 'a'};
  output.Write(kHeaderAndBlankScreen);
  if (loop) output.Write(kLoopingBlock);
}

TGraphicControl ReadControlBeforeImage(TInputFile& input) {
  TGraphicControl control;
  SeekFirstImage(input, [&](uint8_t label) {
    if (label == kGraphicControlLabel)
      control = ReadGraphicControl(input);
    else
      SkipSubBlocks(input);
  });
  return control;
}

// Reads up to the frame's image data, turning a global table into the frame's local one.
TFrame ReadFrameHeaders(TInputFile& input, const TScreenDescriptor& screen) {
  TFrame frame;
  if (screen.HasGlobalTable()) frame.Table = ReadColourTable(input, screen.TableCode());
  frame.Control = ReadControlBeforeImage(input);
  frame.Image = ReadImageDescriptor(input);
  if (frame.Image.HasLocalTable())
    frame.Table = ReadColourTable(input, frame.Image.TableCode());
  else if (screen.HasGlobalTable())
    frame.Image.DeclareLocalTable(screen.TableCode());
  else
    throw EGifError(kNoColourTable, input.Path());
  return frame;
}

void WriteFrameHeaders(TReplacingOutputFile& output, const TFrame& frame, uint16_t delay) {
  const std::array<uint8_t, 8> control = {
      kExtensionIntroducer,
      kGraphicControlLabel,
      4,
      uint8_t((frame.Control.Packed & kKeptControlBits) | kRestoreToBackground),
      uint8_t(delay),
      uint8_t(delay >> 8),
      frame.Control.TransparentIndex,
      0};
  output.Write(control);
  output.WriteByte(kImageSeparator);
  output.Write(frame.Image.Bytes);
  output.Write(std::span(frame.Table.Bytes.data(), frame.Table.Size));
}

// The minimum code size byte and the sub-blocks up to and including the zero length byte.
void CopyImageData(TInputFile& input, TReplacingOutputFile& output) {
  std::array<uint8_t, 256> block{};
  block[0] = input.ReadByte();
  output.WriteByte(block[0]);
  for (;;) {
    const uint8_t length = input.ReadByte();
    block[0] = length;
    input.Read(std::span(block.data() + 1, length));
    output.Write(std::span(block.data(), size_t(length) + 1));
    if (length == 0) return;
  }
}

TScreenSize AppendFrame(const std::string& path, uint16_t delay, TReplacingOutputFile& output) {
  TInputFile input(path, kCouldNotOpenInput);
  ReadVersionHeader(input);
  const TScreenDescriptor screen = ReadScreenDescriptor(input);
  WriteFrameHeaders(output, ReadFrameHeaders(input, screen), delay);
  CopyImageData(input, output);
  return {screen.Width(), screen.Height(), ImageFollows(input)};
}

void WriteTrailerAndScreen(TReplacingOutputFile& output, TScreenSize screen) {
  output.WriteByte(kTrailer);
  std::array<uint8_t, 7> descriptor{};
  WriteLe16(&descriptor[0], screen.Width);
  WriteLe16(&descriptor[2], screen.Height);
  output.Overwrite(kScreenDescriptorOffset, descriptor);
}

}  // namespace

TAssemblyReport AssembleAnimatedGif(std::span<const std::string> inputPaths, const std::string& outputPath,
                                    const TAssemblyOptions& options) {
  if (inputPaths.empty()) throw EGifError(kNoFrames, "");
  if (inputPaths.size() > kMaxInputFiles) throw EGifError(kTooManyInputs, "");
  TReplacingOutputFile output(outputPath);
  WriteLeadIn(output, options.Loop);
  TScreenSize largest;
  TAssemblyReport report;
  for (const std::string& path : inputPaths) {
    const TScreenSize screen = AppendFrame(path, options.DelayCentiseconds, output);
    largest.Width = std::max(largest.Width, screen.Width);
    largest.Height = std::max(largest.Height, screen.Height);
    const auto& named = report.SeveralFrames;
    if (screen.SeveralFrames && std::find(named.begin(), named.end(), path) == named.end())
      report.SeveralFrames.push_back(path);
  }
  WriteTrailerAndScreen(output, largest);
  output.Commit();
  report.Frames = inputPaths.size();
  return report;
}

}  // namespace gifloom
