#include "shell/ToolsForm.h"

#include "platform/Dialogs.h"
#include "shell/Studio.h"

#include <QAction>
#include <QMenu>
#include <QPainter>

namespace gs {

namespace {
constexpr int kButtonSide = 30;
constexpr int kColumnStep = 32;
constexpr int kRowStep = 32;
constexpr int kPaletteWidth = 62;
constexpr int kSizeButtonTop = 288;
constexpr int kSizeButtonHeight = 25;
constexpr int kColorTop = 316;
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
  TSStudio* s = &studio;
  const int left = 0;
  const int right = kColumnStep;
  auto row = [](int r) { return r * kRowStep; };
  // Buttons that enter a tool they already are would end it and lose the unmerged strokes.
  auto unless = [s](int mode, std::function<void()> action) {
    return [s, mode, action] {
      if (s->Document().ToolMode != mode) action();
    };
  };

  SpeedButton7 = AddButton(left, row(0), "Selection Tool", TIcon::SelectionTool, [s] { s->EndTool(); });
  SpeedButton8 = AddButton(right, row(0), "Delete", TIcon::Delete, [s] { s->DeleteSelectedLayer(); });
  SpeedButton4 = AddButton(left, row(1), "Zoom In", TIcon::ZoomIn, [s] { s->ZoomIn1Click(); });
  SpeedButton6 = AddButton(right, row(1), "Zoom Out", TIcon::ZoomOut, [s] { s->ZoomOut1Click(); });
  SpeedButton3 = AddButton(left, row(2), "Crop", TIcon::Crop, [s] {
    s->EndTool();
    s->SwitchToPixelTool(tool::Crop);
  });
  SpeedButton5 = AddButton(right, row(2), "View Original Size", TIcon::ViewOriginalSize, [s] { s->Original1Click(); });
  SpeedButton10 = AddButton(left, row(3), "Eraser Tool", TIcon::Eraser, unless(tool::Eraser, [s] {
    s->EndTool();
    s->SwitchToPixelTool(tool::Eraser);
  }));
  SpeedButton11 = AddButton(right, row(3), "Paintbrush Tool", TIcon::Paintbrush, unless(tool::ColorPaint, [s] {
    s->EndTool();
    s->SwitchToPixelTool(tool::ColorPaint);
  }));
  SpeedButton9 = AddButton(left, row(4), "Twirl Grimacer Effect", TIcon::Twirl,
                           unless(tool::Twirl, [s] { s->wirl1Click(); }));
  SpeedButton12 = AddButton(right, row(4), "Eyedropper Tool", TIcon::Eyedropper, [s] {
    s->EndTool();
    s->SwitchToPixelTool(tool::Picker);
  });
  SpeedButton1 = AddButton(left, row(5), "Putty Grimacer Effect", TIcon::Putty,
                           unless(tool::Putty, [s] { s->Putty1Click(); }));
  SpeedButton2 = AddButton(right, row(5), "Warp Grimacer Effect", TIcon::Warp,
                           unless(tool::Warp, [s] { s->Warp1Click(); }));
  SpeedButton13 = AddButton(left, row(6), "Text Tool", TIcon::TextTool, [s] { s->Text1Click(); });
  SpeedButton14 = AddButton(right, row(6), "Insert Clipart", TIcon::InsertClipart, [s] {
    s->EndTool();
    s->Clipart1Click();
  });
  sbtnChromakey = AddButton(left, row(7), "Chromakey Tool", TIcon::Chromakey, [s] { s->Chromakey1->trigger(); });
  sbtnChangeBackground = AddButton(right, row(7), "Change Background", TIcon::ChangeBackground,
                                   [s] { s->ChangeBackground1->trigger(); });
  sbtnRotateLayer = AddButton(left, row(8), "Rotate Layer", TIcon::RotateLayer, [s] { s->RotateLayerTool(); });
  SpeedButton15 = AddButton(right, row(8), "Comic Filter", TIcon::ComicFilter, [s] { s->Comicfilter1->trigger(); });
  SpeedButton15->setText(QStringLiteral("..."));
  SpeedButton15->hide();
  // The hidden comic filter leaves its place free.
  sbtnAnimateCaricature = AddButton(right, row(8), "Animate Caricature", TIcon::AnimateCaricature,
                                    [s] { s->mAnimateCaricature->trigger(); });

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
  connect(ColorSelector1, &QToolButton::clicked, this, [this] { Studio_.Guarded([this] { ChooseColor(); }); });

  setFixedSize(kPaletteWidth, kColorTop + kColorHeight);
  move(4, 123);
}

QToolButton* TToolsForm::AddButton(int x, int y, const char* hint, TIcon icon, std::function<void()> action) {
  auto* button = new QToolButton(this);
  button->setGeometry(x, y, kButtonSide, kButtonSide);
  button->setToolTip(QString::fromLatin1(hint));
  button->setIcon(MakeIcon(icon));
  button->setIconSize(QSize(24, 24));
  button->setAutoRaise(true);
  connect(button, &QToolButton::clicked, this, [this, action = std::move(action)] { RunTool(action); });
  return button;
}

QAction* TToolsForm::AddSizeItem(int imageIndex, int size) {
  QAction* item = BrushSizeMenu->addAction(QIcon(PaintBrushSizeImage(imageIndex)), QStringLiteral(" "));
  connect(item, &QAction::triggered, this, [this, size] { RunTool([this, size] { Studio_.SetEraserSize(size); }); });
  return item;
}

void TToolsForm::RunTool(const std::function<void()>& action) {
  Studio_.Guarded(action);
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
