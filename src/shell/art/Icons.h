// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Toolbar, menu and tool palette icons and the tool cursors, painted in code so the program
// ships no artwork files.
// Painting needs a QGuiApplication (QPixmap lives on the GUI platform).

#include <QCursor>
#include <QIcon>
#include <QPixmap>

#include <array>

namespace gs {

enum class TIcon {
  Open,
  Save,
  Print,
  Restore,
  Undo,
  Tutorial,
  Before,  // hold to see the photo as it was opened
  ZoomIn,
  ZoomOut,
  ZoomOriginal,
  FitToWindow,
  Putty,
  Warp,
  Twirl,
  Reconstruct,
  // The floating tool palette.
  SelectionTool,
  Delete,
  Crop,
  ViewOriginalSize,
  Eraser,
  Paintbrush,
  Eyedropper,
  TextTool,
  InsertClipart,
  Chromakey,
  ChangeBackground,
  RotateLayer,
  ComicFilter,
  AnimateCaricature,
  AutoCaricature,
  BrushSizeSelector
};
inline constexpr int kIconCount = int(TIcon::BrushSizeSelector) + 1;

// An icon painted at exactly the size asked for, so menus and toolbars of any size stay sharp;
// each size is painted when first shown. It offers 16, 24, 32 and 48 pixels.
QIcon MakeIcon(TIcon kind);

// One size x size rendering on a transparent background; a null pixmap when size < 1.
QPixmap PaintIcon(TIcon kind, int size);

// The eraser and paintbrush sizes of the brush-size menu, smallest first; cursor slots 1 to 7
// show them in this order.
inline constexpr std::array<int, 7> kBrushCircleSizes = {1, 3, 6, 10, 14, 18, 26};

// The cursors of the tool slots, drawn in black and white so they show on any picture:
//  1..7  a circle as wide as the brush of kBrushCircleSizes[slot - 1] in screen pixels, its
//        hotspot on the top-left corner of the circle's square, where the stamp starts;
//  8     the picking cursor (an eyedropper), hotspot at the tip;
//  9     the rotate cursor (a circular arrow), hotspot at the centre.
// Any other slot gives the ordinary arrow.
QCursor MakeToolCursor(int slot);

// The 32 x 32 images of the brush-size menu: a black dot as wide as the brush, index 0 the
// largest (26) down to index 6 the smallest (1), on a transparent background. A null pixmap
// for any other index.
QPixmap PaintBrushSizeImage(int index);

}  // namespace gs
