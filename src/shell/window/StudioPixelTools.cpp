// SPDX-License-Identifier: GPL-3.0-or-later
// The pixel tools of the main window: entering them, the mouse on the mirror DstImg1, the brush
// size and the paint colour.

#include "shell/art/Icons.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"
#include "shell/window/ToolsForm.h"
#include "document/PixelTools.h"

#include <QTimer>
#include <QToolBar>

namespace gs {

TCommandRows TSStudio::PixelToolCommands() {
  static const TCommandRow rows[] = {
      {.Name = "SelectionTool1", .Caption = "Selection Tool", .Handler = &TSStudio::SelectionToolClick,
       .Icon = TIcon::SelectionTool, .Tip = "Selection Tool", .Keys = {Key(Qt::Key_V)},
       .Palette = {0, 0, "SpeedButton7"}, .Batch = "tool selection"},
      {.Name = "Crop1", .Caption = "Crop", .Handler = &TSStudio::CropToolClick, .Icon = TIcon::Crop, .Tip = "Crop",
       .Keys = {Key(Qt::Key_C)}, .Palette = {0, 2, "SpeedButton3"}, .Batch = "tool crop"},
      {.Name = "Eraser1", .Caption = "Eraser Tool", .Handler = &TSStudio::EraserToolClick, .Icon = TIcon::Eraser,
       .Tip = "Eraser Tool", .Keys = {Key(Qt::Key_E)}, .Palette = {0, 3, "SpeedButton10"}, .Batch = "tool eraser"},
      {.Name = "Paintbrush1", .Caption = "Paintbrush Tool", .Handler = &TSStudio::PaintbrushToolClick,
       .Icon = TIcon::Paintbrush, .Tip = "Paintbrush Tool", .Keys = {Key(Qt::Key_B)},
       .Palette = {1, 3, "SpeedButton11"}, .Batch = "tool paint"},
      {.Name = "Eyedropper1", .Caption = "Eyedropper Tool", .Handler = &TSStudio::EyedropperToolClick,
       .Icon = TIcon::Eyedropper, .Tip = "Eyedropper Tool", .Keys = {Key(Qt::Key_I)},
       .Palette = {1, 4, "SpeedButton12"}, .Batch = "tool eyedropper"},
  };
  return rows;
}
namespace {
// Entering a pixel tool bakes the warp into the picture: a step of its own when it does.
constexpr const char* kCropToolStep = "Crop Tool";
constexpr const char* kPaintbrushToolStep = "Paintbrush Tool";
constexpr const char* kEyedropperToolStep = "Eyedropper Tool";
constexpr const char* kEraserToolStep = "Eraser Tool";
constexpr const char* kCropStep = "Crop";
}  // namespace

void TSStudio::SwitchToPixelTool(TToolMode tool) {
  UpdateTimer->stop();
  LayterTimer->stop();
  if (!Doc.ImageLoaded()) return;
  const char* name = tool == TToolMode::Crop                                      ? kCropToolStep
                     : tool == TToolMode::ColorPaint                              ? kPaintbrushToolStep
                     : tool == TToolMode::Picker || tool == TToolMode::ChromaPick ? kEyedropperToolStep
                                                                                  : kEraserToolStep;
  RecordStep(TChangeScope::Picture, name, [this, tool] { EnterPixelTool(tool); });
}

void TSStudio::EnterPixelTool(TToolMode tool) {
  Doc.GeometryChanged = false;
  Doc.TakeUndoSnapshot();
  if (tool == TToolMode::Crop) FlattenLayers();
  // A layer brush (11..13) leaves its bar, outline and layers up just as a picture brush does,
  // so it is baked and hidden the same way; only a pixel tool already has the mirror up.
  if (!IsPixelTool(Doc.ToolMode)) {
    Doc.Brushes.ButtonDown = false;
    Doc.PixelTool.Lift();
    PrepareMirror(Doc);
    DstImg1->setGeometry(DstImg->geometry());
    DstImg1->show();
    DstImg1->raise();
    DstImg1->Changed();
    ShowAllLayers(false);
    ToolBar2->hide();
    ShowBrushOutline(false);
  }
  switch (tool) {
    case TToolMode::Eraser:
    case TToolMode::ColorPaint:
      DstImg1->setCursor(MakeToolCursor(EraserCursorSlot(Doc.EraserSize)));
      Doc.ToolMode = tool;
      break;
    case TToolMode::Picker:
    case TToolMode::ChromaPick:
      DstImg1->setCursor(MakeToolCursor(8));
      Doc.ToolMode = tool;
      break;
    case TToolMode::Crop:
      DstImg1->setCursor(Qt::CrossCursor);
      Doc.ToolMode = tool;
      break;
    default:
      break;
  }
}

void TSStudio::SelectionToolClick() { EndTool(); }

void TSStudio::CropToolClick() {
  EndTool();
  SwitchToPixelTool(TToolMode::Crop);
}

// Entering the tool already active would start it again from a new undo snapshot.
void TSStudio::EraserToolClick() {
  if (Doc.ToolMode == TToolMode::Eraser) return;
  EndTool();
  SwitchToPixelTool(TToolMode::Eraser);
}

void TSStudio::PaintbrushToolClick() {
  if (Doc.ToolMode == TToolMode::ColorPaint) return;
  EndTool();
  SwitchToPixelTool(TToolMode::ColorPaint);
}

void TSStudio::EyedropperToolClick() {
  EndTool();
  SwitchToPixelTool(TToolMode::Picker);
}

void TSStudio::DstImg1MouseDown(Qt::MouseButtons, int x, int y) {
  if (!Doc.ImageLoaded() || !IsPixelTool(Doc.ToolMode)) return;
  ContinueStroke();
  const TPixelToolPress press = Doc.PixelTool.Press(PixelAt(ViewToPicture(QPoint(x, y))));
  if (!press.Changed.IsEmpty()) DstImg1->Changed(press.Changed);
  if (press.Outcome == TPixelToolOutcome::Picked || press.Outcome == TPixelToolOutcome::PickedKey)
    SetPaintColor(Doc.PaintColor);  // the palette shows it
  if (press.Outcome == TPixelToolOutcome::Picked) SwitchToPixelTool(TToolMode::ColorPaint);
  else if (press.Outcome == TPixelToolOutcome::PickedKey) RunChromaKey();
}

void TSStudio::DstImg1MouseMove(Qt::MouseButtons held, int x, int y) {
  // Buttons all up while a press goes on: the release went elsewhere (a lost grab).
  if (held == Qt::NoButton) LosePointer();
  if (!Doc.ImageLoaded() || !IsPixelTool(Doc.ToolMode) || !Doc.PixelTool.Down()) return;
  ContinueStroke();
  const TRect changed = Doc.PixelTool.Move(PixelAt(ViewToPicture(QPoint(x, y))));
  if (!changed.IsEmpty()) DstImg1->Changed(changed);
}

void TSStudio::DstImg1MouseUp() {
  const TPixelToolOutcome outcome = Doc.PixelTool.Release();
  Doc.History.EndStroke(Doc, StrokeName());
  RefreshHistory();
  if (outcome != TPixelToolOutcome::CropReady) return;
  RecordStep(TChangeScope::Picture, kCropStep, [this] {
    if (PerformCrop(Doc)) {
      ApplyZoom();
      EndTool();
    } else {
      DstImg1->Changed();
    }
  });
}

void TSStudio::SetEraserSize(int size) {
  Doc.EraserSize = size;
  DstImg1->setCursor(MakeToolCursor(EraserCursorSlot(size)));
  if (!IsDabTool(Doc.ToolMode)) SwitchToPixelTool(TToolMode::Eraser);
}

void TSStudio::SetPaintColor(TColor color) {
  gs::SetPaintColor(Doc, color);
  if (ToolsForm) ToolsForm->ShowColor(color);
}

}  // namespace gs
