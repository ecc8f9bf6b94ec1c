// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TToolsForm: the floating tool palette ("Tools"). Two columns of buttons showing the main
// window's commands, the brush-size drop-down and the colour selector; every button hands the
// main window the keyboard focus back.

#include "common/Color.h"
#include "shell/art/Icons.h"
#include "shell/window/Commands.h"

#include <QToolButton>
#include <QWidget>

#include <vector>


class QAction;
class QMenu;

namespace gs {

class TSStudio;

// A button showing a colour (the paint colour, the text colour). It only shows the colour: its
// owner asks for a new one and passes it on.
class TColorSelector : public QToolButton {
public:
  explicit TColorSelector(QWidget* parent = nullptr);
  TColor Color() const { return Color_; }
  void SetColor(TColor color);  // a Windows colour value

private:
  TColor Color_ = 0;
};

class TToolsForm : public QWidget {
public:
  // `rows` and `actions` are the window's command rows and their actions, index for index.
  TToolsForm(TSStudio& studio, const std::vector<TCommandRow>& rows, const std::vector<QAction*>& actions,
             QWidget* parent = nullptr);

  // Shows a colour chosen elsewhere (the eyedropper, a script) without reporting it back.
  void ShowColor(TColor color);

  // The command buttons, made from the window's command rows that have a place on the palette
  // and named as on the form ("SpeedButton7", "sbtnChromakey", ...); nullptr for another name.
  QToolButton* Button(const char* name) const;

  QToolButton* RxSpeedButton1 = nullptr; // Brush Size Selector
  TColorSelector* ColorSelector1 = nullptr;

  // The brush-size menu and its items, largest image first in the table order N4..N11.
  QMenu* BrushSizeMenu = nullptr;
  QAction* N4 = nullptr;   // 1
  QAction* N5 = nullptr;   // 3
  QAction* N6 = nullptr;   // 6
  QAction* N7 = nullptr;   // 10
  QAction* N8 = nullptr;   // 14
  QAction* N10 = nullptr;  // 18
  QAction* N11 = nullptr;  // 26

private:
  // A button showing one of the window's commands.
  QToolButton* AddButton(const TPaletteButton& place, QAction* command);
  QAction* AddSizeItem(int imageIndex, int size);
  void ReturnFocus();
  void ChooseColor();

  TSStudio& Studio_;
};

}  // namespace gs
