// The pixel tools of the main window: entering them, the mouse on the mirror DstImg1, the brush
// size and the paint colour.

#include "shell/Icons.h"
#include "shell/ImageView.h"
#include "shell/Studio.h"
#include "shell/ToolsForm.h"
#include "shell/document/PixelTools.h"

#include <QTimer>
#include <QToolBar>

namespace gs {

namespace {
bool IsPixelTool(int mode) { return mode >= tool::Eraser && mode <= tool::ChromaPick; }
}  // namespace

void TSStudio::SwitchToPixelTool(int toolCode) {
  UpdateTimer->stop();
  LayterTimer->stop();
  if (!Doc.ImageLoaded) return;
  Doc.GeometryChanged = false;
  Doc.UndoBitmap = Doc.ViewBitmap;
  if (toolCode == tool::Crop) FlattenLayers();
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
  switch (toolCode) {
    case tool::Eraser:
    case tool::ColorPaint:
      DstImg1->setCursor(MakeToolCursor(EraserCursorSlot(Doc.EraserSize)));
      Doc.ToolMode = toolCode;
      break;
    case tool::Picker:
    case tool::ChromaPick:
      DstImg1->setCursor(MakeToolCursor(8));
      Doc.ToolMode = toolCode;
      break;
    case tool::Crop:
      DstImg1->setCursor(Qt::CrossCursor);
      Doc.ToolMode = tool::Crop;
      break;
    default:
      break;
  }
}

void TSStudio::DstImg1MouseDown(Qt::MouseButtons, int x, int y) {
  if (!Doc.ImageLoaded || Doc.ToolMode == tool::None || Doc.ToolMode == tool::ArrangeLayers) return;
  TPixelToolState& state = Doc.PixelTools;
  state.MouseDown = true;
  const TPoint at = ViewToDocument(x, y, Doc.ZoomPercent);
  switch (Doc.ToolMode) {
    case tool::Picker:
    case tool::ChromaPick:
      SetPaintColor(MirrorColorAt(Doc, at));
      // The press was the pick: a drag before the release must not paint.
      state.MouseDown = false;
      if (Doc.ToolMode == tool::Picker) SwitchToPixelTool(tool::ColorPaint);
      else RunChromaKey();
      break;
    case tool::Eraser:
    case tool::ColorPaint:
      Doc.UndoBitmap = Doc.ViewBitmap;
      Doc.GeometryChanged = false;
      DstImg1->Changed(PixelStamp(Doc, at, StampSize(Doc.EraserSize, Doc.ZoomPercent),
                                  Doc.ToolMode == tool::Eraser ? TStampKind::Erase : TStampKind::Paint));
      break;
    case tool::Crop:
      CropPress(Doc, at);
      break;
    default:
      break;
  }
}

void TSStudio::DstImg1MouseMove(Qt::MouseButtons, int x, int y) {
  if (!Doc.ImageLoaded || Doc.ToolMode == tool::None || Doc.ToolMode == tool::ArrangeLayers) return;
  if (!Doc.PixelTools.MouseDown) return;
  const TPoint at = ViewToDocument(x, y, Doc.ZoomPercent);
  switch (Doc.ToolMode) {
    case tool::Eraser:
    case tool::ColorPaint:
      DstImg1->Changed(PixelStamp(Doc, at, StampSize(Doc.EraserSize, Doc.ZoomPercent),
                                  Doc.ToolMode == tool::Eraser ? TStampKind::Erase : TStampKind::Paint));
      break;
    case tool::Crop:
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
  if (!Doc.ImageLoaded || Doc.ToolMode != tool::Crop || !pressed) return;
  if (PerformCrop(Doc)) {
    ApplyZoom();
    EndTool();
  } else {
    DstImg1->Changed();
  }
}

void TSStudio::SetEraserSize(int size) {
  Doc.EraserSize = size;
  DstImg1->setCursor(MakeToolCursor(EraserCursorSlot(size)));
  if (Doc.ToolMode != tool::Eraser && Doc.ToolMode != tool::ColorPaint) SwitchToPixelTool(tool::Eraser);
}

void TSStudio::SetPaintColor(TColor color) {
  gs::SetPaintColor(Doc, color);
  if (ToolsForm) ToolsForm->ShowColor(color);
}

}  // namespace gs
