// SPDX-License-Identifier: GPL-3.0-or-later
// The warp brush side of the main window: the brush commands, Reset Warp, the before view, the
// track bars, the picture view's mouse and the repeat timers. The brush itself is the
// document's; this adds the cursor, the outline, the timers and the repaint.

#include "platform/Guard.h"
#include "shell/view/BrushLayer.h"
#include "shell/art/Icons.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"
#include "shell/window/ToolsForm.h"
#include "document/InputRouter.h"

#include <QCursor>
#include <QLabel>

#include <cstdlib>
#include <QSlider>
#include <QTimer>
#include <QToolBar>

namespace gs {

TCommandRows TSStudio::BrushCommands() {
  static const TCommandRow rows[] = {
      {.Name = "Putty1", .Caption = "Putty", .Handler = &TSStudio::Putty1Click, .Icon = TIcon::Putty,
       .Tip = "Putty Grimacer Effect", .Keys = {Key(Qt::Key_P)}, .Menu = {TMenu::Grimacer, 10},
       .Palette = {0, 5, "SpeedButton1"}, .Batch = "tool putty"},
      {.Name = "Warp1", .Caption = "Warp", .Handler = &TSStudio::Warp1Click, .Icon = TIcon::Warp,
       .Tip = "Warp Grimacer Effect", .Keys = {Key(Qt::Key_W)}, .Menu = {TMenu::Grimacer, 11},
       .Palette = {1, 5, "SpeedButton2"}, .Batch = "tool warp"},
      {.Name = "wirl1", .Caption = "Twirl", .Handler = &TSStudio::wirl1Click, .Icon = TIcon::Twirl,
       .Tip = "Twirl Grimacer Effect", .Keys = {Key(Qt::Key_T)}, .Menu = {TMenu::Grimacer, 12},
       .Palette = {0, 4, "SpeedButton9"}, .Batch = "tool twirl"},
      {.Name = "Reconstruct1", .Caption = "Reconstruct", .Handler = &TSStudio::Reconstruct1Click,
       .Icon = TIcon::Reconstruct, .Tip = "Reconstruct Grimacer Effect", .Keys = {Key(Qt::Key_R)},
       .Menu = {TMenu::Grimacer, 13}, .Palette = {0, 9, "sbtnReconstruct"}, .Batch = "tool reconstruct"},
      {.Name = "ResetWarp1", .Caption = "Reset Warp", .Handler = &TSStudio::ResetWarp1Click,
       .Menu = {TMenu::Grimacer, 30}, .Step = TRecordedStep{TChangeScope::Picture, "Reset Warp"},
       .Batch = "resetwarp"},
      {.Name = "SmallerBrush1", .Caption = "Smaller Brush", .Handler = &TSStudio::SmallerBrushClick,
       .Keys = {Key(Qt::Key_BracketLeft)}, .Menu = {TMenu::Grimacer, 40}},
      {.Name = "LargerBrush1", .Caption = "Larger Brush", .Handler = &TSStudio::LargerBrushClick,
       .Keys = {Key(Qt::Key_BracketRight)}, .Menu = {TMenu::Grimacer, 41}},
      // Not a click: the tool bar's button shows the photo while it is held.
      {.Name = "Before1", .Caption = "Before", .Icon = TIcon::Before,
       .Tip = "Before: hold to see the photo as it was opened (\\)", .ToolBar = 30},
  };
  return rows;
}

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

void TSStudio::CreateBrushBar() {
  ToolBar2 = addToolBar(QStringLiteral("ToolBar2"));
  ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
  ToolBar2->setMovable(false);
  const auto trackBar = [this](const char* label, const char* name, int min, int max, int value) {
    ToolBar2->addWidget(new QLabel(QString::fromLatin1(label), ToolBar2));
    auto* bar = new QSlider(Qt::Horizontal, ToolBar2);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(min, max);
    bar->setValue(value);
    bar->setFixedWidth(160);
    ToolBar2->addWidget(bar);
    // The value beside the bar, wide enough for its longest so the bar does not move.
    auto* shown = new QLabel(QString::number(value), ToolBar2);
    shown->setObjectName(QString::fromLatin1(name) + QStringLiteral("Value"));
    const QString widest = QString::number(std::abs(min) > std::abs(max) ? min : max);
    shown->setMinimumWidth(shown->fontMetrics().horizontalAdvance(widest + QLatin1Char('-')));
    shown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ToolBar2->addWidget(shown);
    connect(bar, &QSlider::valueChanged, shown, [shown](int v) noexcept { shown->setNum(v); });
    return bar;
  };
  SizeBar = trackBar(" Size ", "SizeBar", TBrushTool::kMinSize, TBrushTool::kMaxSize, Doc.Brushes.Size());
  PinchBar = trackBar(" Effect ", "PinchBar", TBrushTool::kMinEffect, TBrushTool::kMaxEffect, Doc.Brushes.Effect());
  ToolBar2->hide();
  connect(SizeBar, &QSlider::valueChanged, this, [this] { RunGuarded([this] { SizeBarChange(); }); });
  connect(PinchBar, &QSlider::valueChanged, this, [this] { RunGuarded([this] { PinchBarChange(); }); });
}

void TSStudio::ShowBrushOutline(bool visible) {
  if (BrushOutline_->Visible == visible) return;
  BrushOutline_->Visible = visible;
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
  BrushOutline_->SetRadius(Doc.Brushes.Size() / 2);
  ShowToolCursor();
  // The outline stands for the pointer: shown where it is, and only while it is over the view.
  // A brush chosen from the menu or a key with the pointer elsewhere shows it at the next move.
  const QPoint pointer = DstImg->mapFromGlobal(QCursor::pos());
  const bool over = DstImg->underMouse() && DstImg->rect().contains(pointer);
  if (over) BrushOutline_->SetCenter(pointer);
  ShowBrushOutline(over);
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
  BrushOutline_->SetRadius(Doc.Brushes.Size() / 2);
  DstImg->update();
}

void TSStudio::PinchBarChange() { Doc.Brushes.SetEffect(PinchBar->value()); }

void TSStudio::SetBrushSize(int size) { SizeBar->setValue(size); }
void TSStudio::SetBrushEffect(int effect) { PinchBar->setValue(effect); }

void TSStudio::TickRepeatTimers(int count) {
  for (int i = 0; i < count; ++i) {
    if (UpdateTimer->isActive()) UpdateTimerTimer();
    if (LayterTimer->isActive()) LayterTimerTimer();
  }
}

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
  if (Doc.ImageLoaded() && IsBrush(Doc.ToolMode)) {
    BrushOutline_->SetCenter(QPoint(x, y));
    ShowBrushOutline(true);
  }
  // Buttons all up while a press goes on: the release went elsewhere (a lost grab).
  if (held == Qt::NoButton) LosePointer();
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
  Action("StepBackward1")->setEnabled(true);
  setWindowModified(true);
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

bool TSStudio::PointerPressed() const {
  return Doc.Brushes.ButtonDown || Doc.Brushes.LayerBrushDown || Doc.Frame.Dragging() || Doc.PixelTool.Down();
}

void TSStudio::LosePointer() {
  if (!PointerPressed()) return;
  // A crop happens when its rectangle is let go on purpose, never because the focus went away.
  if (DstImg1->isVisible() && Doc.ToolMode == TToolMode::Crop) Doc.PixelTool.Lift();
  PointerUp();
}

}  // namespace gs
