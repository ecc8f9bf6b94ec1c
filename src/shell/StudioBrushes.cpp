// The warp brush side of the main window: commands, track bars, mouse and timers.

#include "shell/BrushLayer.h"
#include "shell/ImageView.h"
#include "shell/Studio.h"

#include <QSlider>
#include <QTimer>
#include <QToolBar>

#include <cmath>

namespace gs {

void TSStudio::ShowBrushOutline(bool visible) {
  if (BrushOutline->Visible == visible) return;
  BrushOutline->Visible = visible;
  DstImg->update();
}

void TSStudio::ChooseBrushTool(int mode) {
  // Every pixel tool shows the mirror over the view; the brushes need the view itself.
  if (Doc.ToolMode >= tool::Eraser && Doc.ToolMode <= tool::ChromaPick) {
    if (Doc.ToolMode > tool::ColorPaint) LeavePixelTools(Doc);
    DstImg1->hide();
    ShowAllLayers(true);
  }
  ChooseBrush(Doc, Doc.Brushes, mode, SizeBar->value());
  BrushOutline->SetRadius(SizeBar->value() / 2);
  DstImg->setCursor(Qt::BlankCursor);
  ShowBrushOutline(true);
  // Warp and Twirl keep acting while the button is held still; Putty moves only.
  if (mode == tool::Putty) UpdateTimer->stop();
  else UpdateTimer->start();
  LayterTimer->stop();
  if (Doc.SelectedLayerIndex >= 0 && Doc.SelectedLayer) {
    Doc.ToolMode = mode + tool::LayerPutty;
    if (mode != tool::Putty) {
      UpdateTimer->stop();
      LayterTimer->start();
    }
  }
  ToolBar2->show();
  RefreshView();
}

void TSStudio::Putty1Click() { ChooseBrushTool(tool::Putty); }
void TSStudio::Warp1Click() { ChooseBrushTool(tool::Warp); }
void TSStudio::wirl1Click() { ChooseBrushTool(tool::Twirl); }

void TSStudio::SizeBarChange() {
  DstImg->update();
  BrushOutline->SetRadius(SizeBar->value() / 2);
  RebuildBrush(Doc.Brushes, SizeBar->value(), Doc.ToolMode);
  if (Doc.ToolMode > tool::ArrangeLayers) PrepareLayerWarpBrush();
}

void TSStudio::PinchBarChange() {
  Doc.Brushes.Brush.SetPinch(PinchBar->value() / 100.0f);
  RebuildBrush(Doc.Brushes, SizeBar->value(), Doc.ToolMode);
  if (Doc.ToolMode > tool::ArrangeLayers) PrepareLayerWarpBrush();
}

void TSStudio::PrepareLayerWarpBrush() {
  // A layer brush keeps its own shape, pressure and repeat after a change of Size or Effect.
  Doc.Brushes.Brush.SetPressure(BrushPressure(Doc.ToolMode));
  RebuildBrush(Doc.Brushes, SizeBar->value(), Doc.ToolMode);
  UpdateTimer->stop();
  if (Doc.ToolMode == tool::LayerPutty) LayterTimer->stop();
  else LayterTimer->start();
}

bool TSStudio::SelectStampByButton(Qt::MouseButtons held) {
  if (held & Qt::LeftButton) {
    Doc.Brushes.ActiveStamp = 0;
    return true;
  }
  if (held & Qt::RightButton) {
    Doc.Brushes.ActiveStamp = 1;
    return true;
  }
  return false;
}

TPoint TSStudio::ViewToPicture(int x, int y) const {
  const QPointF p = DstImg->WidgetToPicture(QPointF(x, y));
  return TPoint{int(std::floor(p.x())), int(std::floor(p.y()))};
}

void TSStudio::DstImgMouseDown(Qt::MouseButtons held, int x, int y) {
  if (!Doc.ImageLoaded || Doc.Brushes.LayerBrushDown) return;
  const bool layerTookClick = LayerTookClick_;
  LayerTookClick_ = false;
  if (!layerTookClick) {
    ShowAllLayers(true);
    Doc.SelectedLayerIndex = -1;
  }
  // A press that moves, resizes or turns a layer is no stroke on the picture below it.
  if (layerTookClick) return;
  if (Doc.ToolMode == tool::None || Doc.ToolMode == tool::ArrangeLayers) return;
  Doc.Brushes.ButtonDown = true;
  if (Doc.ToolMode == tool::Eraser || Doc.ToolMode == tool::ColorPaint) return;
  if (Doc.ToolMode >= tool::Putty && Doc.ToolMode <= tool::Twirl) Doc.UndoBitmap = Doc.ViewBitmap;
  Doc.GeometryChanged = false;
  if (SelectStampByButton(held)) {
    const TPoint q = ViewToPicture(x, y);
    const TVectorMap& stamp = Doc.Brushes.Active();
    Doc.Brushes.Stroke.StrokePoint = TPoint{q.X - stamp.Width() / 2, q.Y - stamp.Height() / 2};
    Doc.Brushes.Stroke.PuttyCarry = TFixedVector{};
  }
}

void TSStudio::DstImgMouseMove(Qt::MouseButtons held, int x, int y) {
  if (Doc.ToolMode == tool::None || Doc.ToolMode == tool::ArrangeLayers || !Doc.ImageLoaded) return;
  if ((Doc.ToolMode == tool::Eraser || Doc.ToolMode == tool::ColorPaint) && Doc.Brushes.ButtonDown)
    return;
  BrushOutline->SetCenter(QPoint(x, y));
  if (Doc.ToolMode > tool::ArrangeLayers) return;
  if (Doc.ToolMode > tool::Twirl) return;
  if (!SelectStampByButton(held)) return;
  const TPoint q = ViewToPicture(x, y);
  const TVectorMap& stamp = Doc.Brushes.Active();
  const TRect changed = ApplyPictureBrush(Doc, Doc.Brushes, TPoint{q.X - stamp.Width() / 2, q.Y - stamp.Height() / 2});
  DstImg->Changed(changed);
}

void TSStudio::DstImgMouseUp() { Doc.Brushes.ButtonDown = false; }

void TSStudio::UpdateTimerTimer() {
  if (Doc.ToolMode > tool::Eraser || !Doc.Brushes.ButtonDown) return;
  if (Doc.ToolMode < tool::Putty || Doc.ToolMode > tool::Twirl) return;
  DstImg->Changed(ApplyPictureBrush(Doc, Doc.Brushes, Doc.Brushes.Stroke.StrokePoint));
}


}  // namespace gs
