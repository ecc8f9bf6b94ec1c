// SPDX-License-Identifier: GPL-3.0-or-later
// Zooming the picture view: the View menu, the wheel and the arrow keys' zoom steps.

#include "document/Zoom.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"
#include "shell/window/ToolsForm.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace gs {

TCommandRows TSStudio::ViewCommands() {
  static const TCommandRow rows[] = {
      {.Name = "Original1", .Caption = "Original", .Handler = &TSStudio::Original1Click,
       .Icon = TIcon::ViewOriginalSize, .Tip = "View Original Size", .Keys = {Key(Qt::CTRL | Qt::Key_0)},
       .Menu = {TMenu::View, 10}, .Palette = {1, 2, "SpeedButton5"}, .Batch = "zoom original"},
      // Ctrl+= is the same key as Ctrl++ without Shift on most keyboards.
      {.Name = "ZoomIn1", .Caption = "Zoom In", .Handler = &TSStudio::ZoomIn1Click, .Icon = TIcon::ZoomIn,
       .Tip = "Zoom In", .Keys = {Key(QKeySequence::ZoomIn), Key(Qt::CTRL | Qt::Key_Equal)},
       .Menu = {TMenu::View, 11}, .Palette = {0, 1, "SpeedButton4"}, .Batch = "zoom in"},
      {.Name = "ZoomOut1", .Caption = "Zoom Out", .Handler = &TSStudio::ZoomOut1Click, .Icon = TIcon::ZoomOut,
       .Tip = "Zoom Out", .Keys = {Key(QKeySequence::ZoomOut)}, .Menu = {TMenu::View, 12},
       .Palette = {1, 1, "SpeedButton6"}, .Batch = "zoom out"},
      // Ctrl+9 leaves Ctrl+1.. free for zoom levels.
      {.Name = "miFitToWindow", .Caption = "Fit To Window", .Handler = &TSStudio::miFitToWindowClick,
       .Keys = {Key(Qt::CTRL | Qt::Key_9)}, .Menu = {TMenu::View, 13}, .Batch = "zoom fit"},
      // The palette alone holds some tools: once closed it must have a way back. The History
      // list's switch follows in the same group.
      {.Name = "ToolPalette1", .Caption = "Tool Palette", .Handler = &TSStudio::ToolPaletteClick,
       .Menu = {TMenu::View, 20}, .Needs = TNeeds::Nothing, .Checked = &TSStudio::PaletteShown},
  };
  return rows;
}

void TSStudio::ApplyZoom(std::optional<QPoint> anchor) {
  // The picture point under the anchor (a viewport position, its centre by default) stays
  // under it: the share of the view's width and height it lies at is the same before and after.
  QWidget* port = sbxDstImg->viewport();
  const QPoint at = anchor.value_or(port->rect().center());
  const QPoint before = DstImg->mapFrom(port, at);
  const double shareX = DstImg->width() > 0 ? double(before.x()) / DstImg->width() : 0.5;
  const double shareY = DstImg->height() > 0 ? double(before.y()) / DstImg->height() : 0.5;
  const int w = ZoomedSide(Doc.ImageWidth(), Doc.ZoomPercent);
  const int h = ZoomedSide(Doc.ImageHeight(), Doc.ZoomPercent);
  DstImg->setGeometry(0, 0, w, h);
  DstImg1->setGeometry(0, 0, w, h);
  ViewHost_->resize(w, h);
  // A view smaller than the viewport is centred and cannot scroll: the bars stay at 0.
  sbxDstImg->horizontalScrollBar()->setValue(int(std::lround(shareX * w - at.x())));
  sbxDstImg->verticalScrollBar()->setValue(int(std::lround(shareY * h - at.y())));
  RefreshStatus();
}

void TSStudio::ZoomTo(int percent, std::optional<QPoint> anchor) {
  FitFollowsWindow_ = false;
  Doc.ZoomPercent = percent;
  ApplyZoom(anchor);
}

void TSStudio::ToolPaletteClick() { ToolsForm->setVisible(!ToolsForm->isVisible()); }
bool TSStudio::PaletteShown() const { return ToolsForm && ToolsForm->isVisible(); }

void TSStudio::SetZoom(int percent) { ZoomTo(std::clamp(percent, kMinZoom, kMaxZoom)); }

void TSStudio::Original1Click() { ZoomTo(100); }

void TSStudio::ZoomIn1Click() { ZoomTo(ZoomInStep(Doc.ZoomPercent)); }

void TSStudio::ZoomOut1Click() { ZoomTo(ZoomOutStep(Doc.ZoomPercent)); }

void TSStudio::miFitToWindowClick() { FitToWindow(); }

void TSStudio::FitToWindow() {
  const QSize client = sbxDstImg->viewport()->size();
  Doc.ZoomPercent = FitZoom(client.width(), client.height(), Doc.ImageWidth(), Doc.ImageHeight());
  ApplyZoom();
  // Until the user zooms, the picture stays fitted as the window settles or is resized: a
  // picture opened from the command line comes before the window manager gives its size.
  FitFollowsWindow_ = true;
}

void TSStudio::ViewportResized() {
  if (FitFollowsWindow_ && Doc.ImageLoaded()) FitToWindow();
}

void TSStudio::FormMouseWheelUp(std::optional<QPoint> pointer) {
  if (IsBrush(Doc.ToolMode)) {
    SizeBar->setValue(SizeBar->value() - TBrushTool::kStep);
    return;
  }
  ZoomTo(WheelUpZoom(Doc.ZoomPercent), pointer);
}

void TSStudio::FormMouseWheelDown(std::optional<QPoint> pointer) {
  if (IsBrush(Doc.ToolMode)) {
    SizeBar->setValue(SizeBar->value() + TBrushTool::kStep);
    return;
  }
  ZoomTo(WheelDownZoom(Doc.ZoomPercent), pointer);
}

void TSStudio::WMKeyDown(int key) {
  const bool pictureBrush = IsPictureBrush(Doc.ToolMode);
  switch (key) {
    case Qt::Key_Up:
      if (pictureBrush) {
        SizeBar->setValue(SizeBar->value() + TBrushTool::kStep);
      } else {
        ZoomTo(ArrowUpZoom(Doc.ZoomPercent));
      }
      break;
    case Qt::Key_Down:
      if (pictureBrush) {
        SizeBar->setValue(SizeBar->value() - TBrushTool::kStep);
      } else if (Doc.ZoomPercent > kMinZoom) {
        ZoomTo(ArrowDownZoom(Doc.ZoomPercent));
      }
      break;
    case Qt::Key_Left:
      if (pictureBrush) PinchBar->setValue(PinchBar->value() - TBrushTool::kStep);
      break;
    case Qt::Key_Right:
      if (pictureBrush) PinchBar->setValue(PinchBar->value() + TBrushTool::kStep);
      break;
    default:
      break;
  }
}

// Space held turns a drag on the picture into a pan, as in every painting program: the middle
// button already belongs to the brushes.
bool TSStudio::PanWithSpace(QWidget* widget, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      const auto* key = static_cast<QKeyEvent*>(event);
      // A focused button or text field has its own use for Space.
      if (key->key() != Qt::Key_Space || qobject_cast<QAbstractButton*>(widget)) return false;
      if (key->isAutoRepeat()) return SpaceHeld_;
      HoldSpace(event->type() == QEvent::KeyPress);
      return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
      break;
    default:
      return false;
  }
  QWidget* port = sbxDstImg->viewport();
  if (!Panning_ && (!SpaceHeld_ || (widget != port && !port->isAncestorOf(widget)))) return false;
  const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
  QScrollBar* across = sbxDstImg->horizontalScrollBar();
  QScrollBar* down = sbxDstImg->verticalScrollBar();
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
    Panning_ = true;
    PanFrom_ = at;
    PanScroll_ = QPoint(across->value(), down->value());
  } else if (event->type() == QEvent::MouseMove && Panning_) {
    across->setValue(PanScroll_.x() - (at.x() - PanFrom_.x()));
    down->setValue(PanScroll_.y() - (at.y() - PanFrom_.y()));
  } else if (event->type() == QEvent::MouseButtonRelease) {
    Panning_ = false;
  }
  return true;
}

void TSStudio::HoldSpace(bool held) {
  if (held == SpaceHeld_) return;
  SpaceHeld_ = held;
  if (!held) Panning_ = false;
  if (held) QGuiApplication::setOverrideCursor(Qt::OpenHandCursor);
  else QGuiApplication::restoreOverrideCursor();
}

}  // namespace gs
