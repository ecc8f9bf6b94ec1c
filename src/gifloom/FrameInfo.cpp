// SPDX-License-Identifier: GPL-3.0-or-later
#include "gifloom/FrameInfo.h"

#include "gifloom/GifBlocks.h"
#include "gifloom/GifError.h"
#include "gifloom/GifMessages.h"

namespace gifloom {

namespace {

const char* TableKindName(TTableKind kind) {
  switch (kind) {
    case TTableKind::Local: return "local";
    case TTableKind::Global: return "global";
    case TTableKind::None: break;
  }
  return "none";
}

TFrameInfo DescribeTables(const TScreenDescriptor& screen, const TImageDescriptor& image) {
  TFrameInfo info{.Width = screen.Width(), .Height = screen.Height()};
  if (image.HasLocalTable()) {
    info.Table = TTableKind::Local;
    info.BitsPerPixel = image.TableCode() + 1;
  } else {
    info.Table = screen.HasGlobalTable() ? TTableKind::Global : TTableKind::None;
    info.BitsPerPixel = screen.TableCode() + 1;
  }
  return info;
}

}  // namespace

TFrameInfo ReadFrameInfo(const std::string& path) {
  TInputFile input(path, kCouldNotOpenFile);
  ReadVersionHeader(input);
  const TScreenDescriptor screen = ReadScreenDescriptor(input);
  if (screen.HasGlobalTable()) input.Skip(ColourTableSize(screen.TableCode()));
  SeekFirstImage(input, [&input](uint8_t) { SkipSubBlocks(input); });
  const TImageDescriptor image = ReadImageDescriptor(input);
  TFrameInfo info = DescribeTables(screen, image);
  // The facts above are all the first image's; a damaged rest only leaves the remark out.
  try {
    if (image.HasLocalTable()) input.Skip(ColourTableSize(image.TableCode()));
    SkipImageData(input);
    info.SeveralFrames = ImageFollows(input);
  } catch (const EGifError&) {
  }
  return info;
}

std::string FormatFrameInfo(const TFrameInfo& info) {
  return std::to_string(info.Width) + " x " + std::to_string(info.Height) + "\n" +
         TableKindName(info.Table) + " (" + std::to_string(info.BitsPerPixel) + " bpp)";
}

}  // namespace gifloom
