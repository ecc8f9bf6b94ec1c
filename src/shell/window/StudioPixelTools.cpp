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
    Doc.PixelTools.MouseDown = false;
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

TRect TSStudio::Dab(TPoint at) {
  const int size = StampSize(Doc.EraserSize, Doc.ZoomPercent);
  const TPoint corner{std::max(at.X, 0), std::max(at.Y, 0)};
  Doc.History.TouchPixels(Doc, TRect{corner.X, corner.Y, corner.X + size + 1, corner.Y + size + 1});
  return PixelStamp(Doc, at, StampSize(Doc.EraserSize, Doc.ZoomPercent),
                    Doc.ToolMode == TToolMode::Eraser ? TStampKind::Erase : TStampKind::Paint);
}

void TSStudio::DstImg1MouseDown(Qt::MouseButtons, int x, int y) {
  if (!Doc.ImageLoaded() || !IsPixelTool(Doc.ToolMode)) return;
  ContinueStroke();
  TPixelToolState& state = Doc.PixelTools;
  state.MouseDown = true;
  const TPoint at = PixelAt(ViewToPicture(QPoint(x, y)));
  switch (Doc.ToolMode) {
    case TToolMode::Picker:
    case TToolMode::ChromaPick:
      SetPaintColor(MirrorColorAt(Doc, at));
      // The press was the pick: a drag before the release must not paint.
      state.MouseDown = false;
      if (Doc.ToolMode == TToolMode::Picker) SwitchToPixelTool(TToolMode::ColorPaint);
      else RunChromaKey();
      break;
    case TToolMode::Eraser:
    case TToolMode::ColorPaint:
      Doc.TakeUndoSnapshot();
      Doc.GeometryChanged = false;
      DstImg1->Changed(Dab(at));
      break;
    case TToolMode::Crop:
      CropPress(Doc, at);
      break;
    default:
      break;
  }
}

void TSStudio::DstImg1MouseMove(Qt::MouseButtons, int x, int y) {
  if (!Doc.ImageLoaded() || !IsPixelTool(Doc.ToolMode)) return;
  if (!Doc.PixelTools.MouseDown) return;
  ContinueStroke();
  const TPoint at = PixelAt(ViewToPicture(QPoint(x, y)));
  switch (Doc.ToolMode) {
    case TToolMode::Eraser:
    case TToolMode::ColorPaint:
      DstImg1->Changed(Dab(at));
      break;
    case TToolMode::Crop:
      CropDrag(Doc, at);
      DstImg1->Changed();
      break;
    default:
      break;
  }
}

void TSStudio::DstImg1MouseUp() {
  TPixelToolState& state = Doc.PixelTools;
  const bool pressed = state.MouseDown;
  // Cleared whatever the tool is now: a press whose tool ended meanwhile must not leave a stroke
  // armed for the next tool.
  state.MouseDown = false;
  Doc.History.EndStroke(Doc, StrokeName());
  RefreshHistory();
  if (!Doc.ImageLoaded() || Doc.ToolMode != TToolMode::Crop || !pressed) return;
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
