// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The clipart and talk bubbles the program ships, painted in code in one cartoon style.
//
// The editor makes clipart transparent by a single colour key ("Transparent Image?"): pixels
// whose colour equals the file's transparent colour vanish and every other pixel stays fully
// opaque. Antialiased edges mixed with the key colour would therefore survive as a pink fringe,
// so the art is painted softly on a transparent canvas and then hardened: covered pixels are
// settled against a dark matte that matches the outlines, uncovered ones take the key colour.
// Painting needs a QGuiApplication (text and gradients go through the GUI platform).

#include "common/Bitmap32.h"
#include "common/Color.h"

#include <QColor>
#include <QImage>
#include <QSize>

#include <string>
#include <vector>

class QPainter;

namespace gs::clipart {

// Magenta: a colour none of the art uses, and the same value in RGB and in Windows BGR order.
inline constexpr TColor kKeyColor = 0xFF00FF;

// Pixels at least this opaque in the soft painting become part of the picture.
inline constexpr int kAlphaThreshold = 128;

enum class TFileType { Png, Gif };

struct TArtwork {
  std::string Name;  // the file name without extension, as users see it in the open dialog
  bool TalkBubble = false;
  TFileType FileType = TFileType::Png;
  QSize Size;
  QColor Matte;  // what the soft edges are settled against: the colour of the art's outline
  void (*Paint)(QPainter&) = nullptr;
};

// Every picture, clipart first, then the talk bubbles.
const std::vector<TArtwork>& Catalogue();

// Where the picture goes below the Clipart folder, e.g. "Crown.gif" or "Talk Bubbles/Whisper.png".
std::string RelativePath(const TArtwork& art);

// The antialiased painting on a transparent canvas (QImage::Format_ARGB32_Premultiplied).
QImage PaintSoft(const TArtwork& art);

// Pixels with alpha >= kAlphaThreshold become opaque, their colour composited over the matte;
// the rest become the key colour with alpha 0. An opaque pixel that would equal the key colour
// is nudged off it so that it cannot vanish on loading. Accepts any QImage format.
TBitmap32 Harden(const QImage& soft, const QColor& matte);

// PaintSoft followed by Harden with the artwork's matte.
TBitmap32 Render(const TArtwork& art);

}  // namespace gs::clipart
