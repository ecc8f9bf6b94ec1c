// Zooming the picture view: the View menu, the wheel and the arrow keys' zoom steps.

#include "document/Zoom.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"
#include "shell/window/ToolsForm.h"

#include <QScrollArea>

#include <algorithm>
#include <QSlider>

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

void TSStudio::ApplyZoom() {
  const int w = ZoomedSide(Doc.ImageWidth(), Doc.ZoomPercent);
  const int h = ZoomedSide(Doc.ImageHeight(), Doc.ZoomPercent);
  DstImg->setGeometry(0, 0, w, h);
  DstImg1->setGeometry(0, 0, w, h);
  ViewHost_->resize(w, h);
}

void TSStudio::ToolPaletteClick() { ToolsForm->setVisible(!ToolsForm->isVisible()); }
bool TSStudio::PaletteShown() const { return ToolsForm && ToolsForm->isVisible(); }

void TSStudio::SetZoom(int percent) {
  Doc.ZoomPercent = std::clamp(percent, kMinZoom, kMaxZoom);
  ApplyZoom();
}

void TSStudio::Original1Click() {
  Doc.ZoomPercent = 100;
  ApplyZoom();
}

void TSStudio::ZoomIn1Click() {
  Doc.ZoomPercent = ZoomInStep(Doc.ZoomPercent);
  ApplyZoom();
}

void TSStudio::ZoomOut1Click() {
  Doc.ZoomPercent = ZoomOutStep(Doc.ZoomPercent);
  ApplyZoom();
}

void TSStudio::miFitToWindowClick() { FitToWindow(); }

void TSStudio::FitToWindow() {
  const QSize client = sbxDstImg->viewport()->size();
  Doc.ZoomPercent = FitZoom(client.width(), client.height(), Doc.ImageWidth(), Doc.ImageHeight());
  ApplyZoom();
}

void TSStudio::FormMouseWheelUp() {
  if (IsBrush(Doc.ToolMode)) {
    SizeBar->setValue(SizeBar->value() - TBrushTool::kStep);
    return;
  }
  Doc.ZoomPercent = WheelUpZoom(Doc.ZoomPercent);
  ApplyZoom();
}

void TSStudio::FormMouseWheelDown() {
  if (IsBrush(Doc.ToolMode)) {
    SizeBar->setValue(SizeBar->value() + TBrushTool::kStep);
    return;
  }
  Doc.ZoomPercent = WheelDownZoom(Doc.ZoomPercent);
  ApplyZoom();
}

void TSStudio::WMKeyDown(int key) {
  const bool pictureBrush = IsPictureBrush(Doc.ToolMode);
  switch (key) {
    case Qt::Key_Up:
      if (pictureBrush) {
        SizeBar->setValue(SizeBar->value() + TBrushTool::kStep);
      } else {
        Doc.ZoomPercent = ArrowUpZoom(Doc.ZoomPercent);
        ApplyZoom();
      }
      break;
    case Qt::Key_Down:
      if (pictureBrush) {
        SizeBar->setValue(SizeBar->value() - TBrushTool::kStep);
      } else if (Doc.ZoomPercent > kMinZoom) {
        Doc.ZoomPercent = ArrowDownZoom(Doc.ZoomPercent);
        ApplyZoom();
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

}  // namespace gs
