#include "shell/window/ToolsForm.h"

#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "shell/window/Studio.h"

#include <QAction>
#include <QMenu>
#include <QPainter>

namespace gs {

namespace {
constexpr int kButtonSide = 30;
constexpr int kColumnStep = 32;
constexpr int kRowStep = 32;
constexpr int kPaletteWidth = 62;
constexpr int kSizeButtonTop = 320;
constexpr int kSizeButtonHeight = 25;
constexpr int kColorTop = 348;
constexpr int kColorHeight = 21;
}  // namespace

TColorSelector::TColorSelector(QWidget* parent) : QToolButton(parent) { SetColor(0); }

void TColorSelector::SetColor(TColor color) {
  Color_ = color;
  const QSize swatch(kPaletteWidth - 12, kColorHeight - 8);
  QPixmap pixmap(swatch);
  pixmap.fill(QColor::fromRgb(WinColorToColor32(color)));
  QPainter painter(&pixmap);
  painter.setPen(Qt::darkGray);
  painter.drawRect(0, 0, swatch.width() - 1, swatch.height() - 1);
  painter.end();
  setIconSize(swatch);
  setIcon(QIcon(pixmap));
}

TToolsForm::TToolsForm(TSStudio& studio, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      Studio_(studio) {
  setWindowTitle(QStringLiteral("Tools"));
  const TSStudio& s = studio;
  const int left = 0;
  const int right = kColumnStep;
  auto row = [](int r) { return r * kRowStep; };

  SpeedButton7 = AddButton(left, row(0), s.SelectionTool1);
  SpeedButton8 = AddButton(right, row(0), s.DeleteLayer1);
  SpeedButton4 = AddButton(left, row(1), s.ZoomIn1);
  SpeedButton6 = AddButton(right, row(1), s.ZoomOut1);
  SpeedButton3 = AddButton(left, row(2), s.Crop1);
  SpeedButton5 = AddButton(right, row(2), s.Original1);
  SpeedButton10 = AddButton(left, row(3), s.Eraser1);
  SpeedButton11 = AddButton(right, row(3), s.Paintbrush1);
  SpeedButton9 = AddButton(left, row(4), s.wirl1);
  SpeedButton12 = AddButton(right, row(4), s.Eyedropper1);
  SpeedButton1 = AddButton(left, row(5), s.Putty1);
  SpeedButton2 = AddButton(right, row(5), s.Warp1);
  SpeedButton13 = AddButton(left, row(6), s.Text1);
  SpeedButton14 = AddButton(right, row(6), s.Clipart1);
  sbtnChromakey = AddButton(left, row(7), s.Chromakey1);
  sbtnChangeBackground = AddButton(right, row(7), s.ChangeBackground1);
  sbtnRotateLayer = AddButton(left, row(8), s.RotateLayer1);
  SpeedButton15 = AddButton(right, row(8), s.Comicfilter1);
  SpeedButton15->hide();
  // The hidden comic filter leaves its place free.
  sbtnAnimateCaricature = AddButton(right, row(8), s.mAnimateCaricature);
  sbtnReconstruct = AddButton(left, row(9), s.Reconstruct1);
  sbtnAutoCaricature = AddButton(right, row(9), s.AutoCaricature1);

  BrushSizeMenu = new QMenu(this);
  N4 = AddSizeItem(6, 1);
  N5 = AddSizeItem(5, 3);
  N6 = AddSizeItem(4, 6);
  N7 = AddSizeItem(3, 10);
  N8 = AddSizeItem(2, 14);
  N10 = AddSizeItem(1, 18);
  N11 = AddSizeItem(0, 26);
  RxSpeedButton1 = new QToolButton(this);
  RxSpeedButton1->setGeometry(0, kSizeButtonTop, kPaletteWidth, kSizeButtonHeight);
  RxSpeedButton1->setToolTip(QStringLiteral("Brush Size Selector"));
  RxSpeedButton1->setIcon(MakeIcon(TIcon::BrushSizeSelector));
  RxSpeedButton1->setIconSize(QSize(20, 20));
  RxSpeedButton1->setAutoRaise(true);
  RxSpeedButton1->setMenu(BrushSizeMenu);
  RxSpeedButton1->setPopupMode(QToolButton::InstantPopup);

  ColorSelector1 = new TColorSelector(this);
  ColorSelector1->setGeometry(0, kColorTop, kPaletteWidth, kColorHeight);
  ColorSelector1->setToolTip(QStringLiteral("Color Selector"));
  ColorSelector1->setAutoRaise(true);
  connect(ColorSelector1, &QToolButton::clicked, this, [this] { RunGuarded([this] { ChooseColor(); }); });

  setFixedSize(kPaletteWidth, kColorTop + kColorHeight);
  move(4, 123);
}

QToolButton* TToolsForm::AddButton(int x, int y, QAction* command) {
  auto* button = new QToolButton(this);
  button->setDefaultAction(command);
  button->setGeometry(x, y, kButtonSide, kButtonSide);
  button->setIconSize(QSize(24, 24));
  button->setAutoRaise(true);
  connect(button, &QToolButton::triggered, this, [this] { ReturnFocus(); });
  return button;
}

QAction* TToolsForm::AddSizeItem(int imageIndex, int size) {
  QAction* item = BrushSizeMenu->addAction(QIcon(PaintBrushSizeImage(imageIndex)), QStringLiteral(" "));
  connect(item, &QAction::triggered, this, [this, size] {
    RunGuarded([this, size] { Studio_.SetEraserSize(size); });
    ReturnFocus();
  });
  return item;
}

void TToolsForm::ReturnFocus() {
  // The arrow keys and the wheel belong to the main window, not to the palette.
  Studio_.activateWindow();
  Studio_.setFocus(Qt::OtherFocusReason);
}

void TToolsForm::ChooseColor() {
  const std::optional<TColor> chosen = Dialogs().ChooseColor(ColorSelector1->Color());
  if (!chosen) return;
  ColorSelector1->SetColor(*chosen);
  Studio_.SetPaintColor(*chosen);
}

void TToolsForm::ShowColor(TColor color) { ColorSelector1->SetColor(color); }

}  // namespace gs
