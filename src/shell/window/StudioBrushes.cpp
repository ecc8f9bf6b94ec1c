// The warp brush side of the main window: the brush commands, Reset Warp, the before view, the
// track bars, the picture view's mouse and the repeat timers. The brush itself is the
// document's; this adds the cursor, the outline, the timers and the repaint.

#include "shell/view/BrushLayer.h"
#include "shell/art/Icons.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"
#include "shell/window/ToolsForm.h"
#include "document/InputRouter.h"

#include <QSlider>
#include <QTimer>
#include <QToolBar>

namespace gs {

namespace {
// How near to a handle of the selection frame a press grabs it, in view pixels.
constexpr double kHandleReach = 6.0;

// What a drag from this part of the selection frame will do.
Qt::CursorShape FrameCursor(TFrameDrag part) {
  switch (part) {
    case TFrameDrag::Left:
    case TFrameDrag::Right: return Qt::SizeHorCursor;
    case TFrameDrag::Top:
    case TFrameDrag::Bottom: return Qt::SizeVerCursor;
    case TFrameDrag::TopLeft:
    case TFrameDrag::BottomRight: return Qt::SizeFDiagCursor;
    case TFrameDrag::TopRight:
    case TFrameDrag::BottomLeft: return Qt::SizeBDiagCursor;
    case TFrameDrag::Move: return Qt::SizeAllCursor;
    case TFrameDrag::None: break;
  }
  return Qt::ArrowCursor;
}

TButtons ButtonsOf(Qt::MouseButtons held) {
  return TButtons{held.testFlag(Qt::LeftButton), held.testFlag(Qt::RightButton),
                  held.testFlag(Qt::MiddleButton)};
}
}  // namespace

void TSStudio::ShowBrushOutline(bool visible) {
  if (BrushOutline->Visible == visible) return;
  BrushOutline->Visible = visible;
  DstImg->update();
}

void TSStudio::HideMirror() {
  if (!DstImg1->isVisible()) return;
  DstImg1->hide();
  DstImg->update();
}

void TSStudio::ChooseBrush(TToolMode pictureBrush) {
  // Every pixel tool shows the mirror over the view; the brushes need the view itself.
  HideMirror();
  Doc.Brushes.Choose(pictureBrush);
  BrushOutline->SetRadius(Doc.Brushes.Size() / 2);
  ShowToolCursor();
  ShowBrushOutline(true);
  SyncRepeatTimers();
  ToolBar2->show();
  RefreshView();
}

void TSStudio::Putty1Click() { ChooseBrush(TToolMode::Putty); }
void TSStudio::Warp1Click() { ChooseBrush(TToolMode::Warp); }
void TSStudio::wirl1Click() { ChooseBrush(TToolMode::Twirl); }
void TSStudio::Reconstruct1Click() { ChooseBrush(TToolMode::Reconstruct); }

void TSStudio::ResetWarp1Click() {
  if (!Doc.ImageLoaded()) return;
  ResetWarp(Doc);
  RefreshView();
}

void TSStudio::HoldBefore(TBeforeHold by, bool held) {
  const bool shown = BeforeHolds_ != 0;
  BeforeHolds_ = held && Doc.ImageLoaded() ? BeforeHolds_ | int(by) : BeforeHolds_ & ~int(by);
  if ((BeforeHolds_ != 0) == shown) return;
  // The source is shown where it lies: nothing is copied and nothing in the document changes.
  DstImg->ShowInstead(BeforeHolds_ != 0 ? &Doc.SourceBitmap : nullptr);
}

void TSStudio::SizeBarChange() {
  Doc.Brushes.SetSize(SizeBar->value());
  BrushOutline->SetRadius(Doc.Brushes.Size() / 2);
  DstImg->update();
}

void TSStudio::PinchBarChange() { Doc.Brushes.SetEffect(PinchBar->value()); }

void TSStudio::SmallerBrushClick() { SizeBar->setValue(SizeBar->value() - TBrushTool::kStep); }
void TSStudio::LargerBrushClick() { SizeBar->setValue(SizeBar->value() + TBrushTool::kStep); }

TPointF TSStudio::ViewToPicture(QPoint view) const {
  const QPointF p = DstImg->WidgetToPicture(QPointF(view));
  return TPointF{p.x(), p.y()};
}

QPoint TSStudio::PictureToView(TPointF picture) const {
  const QPointF p = DstImg->PictureToWidget(QPointF(picture.X, picture.Y));
  return QPoint(int(p.x()), int(p.y()));
}

TPointF TSStudio::HandleReach() const {
  const QPointF reach = DstImg->WidgetToPicture(QPointF(kHandleReach, kHandleReach));
  return TPointF{reach.x(), reach.y()};
}

void TSStudio::ShowToolCursor() {
  if (IsBrush(Doc.ToolMode)) DstImg->setCursor(Qt::BlankCursor);
  else if (Doc.ToolMode == TToolMode::ArrangeLayers) DstImg->setCursor(MakeToolCursor(9));
  else DstImg->unsetCursor();
}

void TSStudio::ShowFrameCursor(TPointF at) {
  const bool frameTool = Doc.ToolMode == TToolMode::None || Doc.ToolMode == TToolMode::Putty;
  const TFrameDrag part = frameTool ? Doc.Frame.HitTest(at, HandleReach()) : TFrameDrag::None;
  if (part == TFrameDrag::None) ShowToolCursor();
  else DstImg->setCursor(FrameCursor(part));
}

void TSStudio::DstImgMouseDown(Qt::MouseButtons held, Qt::KeyboardModifiers modifiers, int x, int y) {
  // A second button pressed during a stroke belongs to that stroke.
  ContinueStroke();
  const TPointer pointer{ViewToPicture(QPoint(x, y)), ButtonsOf(held), modifiers.testFlag(Qt::ControlModifier)};
  Repaint(RoutePress(Doc, pointer, HandleReach()));
}

void TSStudio::DstImgMouseMove(Qt::MouseButtons held, Qt::KeyboardModifiers modifiers, int x, int y) {
  // The outline stands for the hidden pointer over the whole view, a dragged layer included.
  if (Doc.ImageLoaded() && IsBrush(Doc.ToolMode)) BrushOutline->SetCenter(QPoint(x, y));
  const TPointer pointer{ViewToPicture(QPoint(x, y)), ButtonsOf(held), modifiers.testFlag(Qt::ControlModifier)};
  // The cursor tells what a press would do; during a drag it keeps saying what is being done.
  if (held == Qt::NoButton) ShowFrameCursor(pointer.At);
  // A drag that came in from outside the view is a stroke too.
  else ContinueStroke();
  Repaint(RouteMove(Doc, pointer));
}

void TSStudio::DstImgMouseUp() {
  const std::string name = StrokeName();
  Repaint(RouteRelease(Doc));
  Doc.History.EndStroke(Doc, name);
  RefreshHistory();
}

void TSStudio::ContinueStroke() {
  if (Doc.History.InStroke()) return;
  Doc.History.BeginStroke(Doc);
  // The stroke under way is a step to go back from, even before the button comes up.
  StepBackward1->setEnabled(true);
}

void TSStudio::UpdateTimerTimer() {
  if (Doc.Brushes.ButtonDown) ContinueStroke();
  Repaint(Doc.Brushes.Tick());
}

void TSStudio::LayterTimerTimer() {
  if (Doc.Brushes.LayerBrushDown) ContinueStroke();
  Repaint(Doc.Brushes.Tick());
}

void TSStudio::PointerDown(Qt::MouseButtons held, Qt::KeyboardModifiers modifiers, QPoint view) {
  if (DstImg1->isVisible()) DstImg1MouseDown(held, view.x(), view.y());
  else DstImgMouseDown(held, modifiers, view.x(), view.y());
}

void TSStudio::PointerMove(Qt::MouseButtons held, Qt::KeyboardModifiers modifiers, QPoint view) {
  if (DstImg1->isVisible()) DstImg1MouseMove(held, view.x(), view.y());
  else DstImgMouseMove(held, modifiers, view.x(), view.y());
}

void TSStudio::PointerUp() {
  if (DstImg1->isVisible()) DstImg1MouseUp();
  else DstImgMouseUp();
}

}  // namespace gs
