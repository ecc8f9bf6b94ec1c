// SPDX-License-Identifier: GPL-3.0-or-later
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

TToolsForm::TToolsForm(TSStudio& studio, const std::vector<TCommandRow>& rows,
                       const std::vector<QAction*>& actions, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      Studio_(studio) {
  setWindowTitle(QStringLiteral("Tools"));
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].Palette.Name) continue;
    QToolButton* button = AddButton(rows[i].Palette, actions[i]);
    if (rows[i].Hidden) button->hide();
  }

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

QToolButton* TToolsForm::AddButton(const TPaletteButton& place, QAction* command) {
  auto* button = new QToolButton(this);
  button->setObjectName(QString::fromLatin1(place.Name));
  button->setDefaultAction(command);
  button->setGeometry(place.Column * kColumnStep, place.Row * kRowStep, kButtonSide, kButtonSide);
  button->setIconSize(QSize(24, 24));
  button->setAutoRaise(true);
  connect(button, &QToolButton::triggered, this, GuardedSlot([this] { ReturnFocus(); }));
  return button;
}

QAction* TToolsForm::AddSizeItem(int imageIndex, int size) {
  QAction* item = BrushSizeMenu->addAction(QIcon(PaintBrushSizeImage(imageIndex)), QStringLiteral(" "));
  connect(item, &QAction::triggered, this, GuardedSlot([this, size] {
    Studio_.SetEraserSize(size);
    ReturnFocus();
  }));
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

QToolButton* TToolsForm::Button(const char* name) const {
  return findChild<QToolButton*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

void TToolsForm::ShowColor(TColor color) { ColorSelector1->SetColor(color); }

}  // namespace gs
