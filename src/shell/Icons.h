#pragma once
// Toolbar and menu icons, painted in code so the program ships no artwork files.
// Painting needs a QGuiApplication (QPixmap lives on the GUI platform).

#include <QIcon>
#include <QPixmap>

namespace gs {

enum class TIcon {
  Open,
  Save,
  Print,
  Restore,
  Undo,
  Tutorial,
  ZoomIn,
  ZoomOut,
  ZoomOriginal,
  FitToWindow,
  Putty,
  Warp,
  Twirl
};
inline constexpr int kIconCount = int(TIcon::Twirl) + 1;

// An icon with pixmaps at 16, 24, 32 and 48 pixels so menus and toolbars of any size stay sharp.
QIcon MakeIcon(TIcon kind);

// One size x size rendering on a transparent background; a null pixmap when size < 1.
QPixmap PaintIcon(TIcon kind, int size);

}  // namespace gs
