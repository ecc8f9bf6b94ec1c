#pragma once
// TToolsForm: the floating tool palette ("Tools"). Two columns of buttons showing the main
// window's commands, the brush-size drop-down and the colour selector; every button hands the
// main window the keyboard focus back.

#include "common/Color.h"
#include "shell/art/Icons.h"

#include <QToolButton>
#include <QWidget>


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
  explicit TToolsForm(TSStudio& studio, QWidget* parent = nullptr);

  // Shows a colour chosen elsewhere (the eyedropper, a script) without reporting it back.
  void ShowColor(TColor color);

  // The buttons, named as on the form.
  QToolButton* SpeedButton7 = nullptr;   // Selection Tool
  QToolButton* SpeedButton8 = nullptr;   // Delete
  QToolButton* SpeedButton4 = nullptr;   // Zoom In
  QToolButton* SpeedButton6 = nullptr;   // Zoom Out
  QToolButton* SpeedButton3 = nullptr;   // Crop
  QToolButton* SpeedButton5 = nullptr;   // View Original Size
  QToolButton* SpeedButton10 = nullptr;  // Eraser Tool
  QToolButton* SpeedButton11 = nullptr;  // Paintbrush Tool
  QToolButton* SpeedButton9 = nullptr;   // Twirl Grimacer Effect
  QToolButton* SpeedButton12 = nullptr;  // Eyedropper Tool
  QToolButton* SpeedButton1 = nullptr;   // Putty Grimacer Effect
  QToolButton* SpeedButton2 = nullptr;   // Warp Grimacer Effect
  QToolButton* SpeedButton13 = nullptr;  // Text Tool
  QToolButton* SpeedButton14 = nullptr;  // Insert Clipart
  QToolButton* sbtnChromakey = nullptr;
  QToolButton* sbtnChangeBackground = nullptr;
  QToolButton* sbtnRotateLayer = nullptr;
  QToolButton* sbtnAnimateCaricature = nullptr;
  QToolButton* sbtnReconstruct = nullptr;  // Reconstruct Grimacer Effect
  QToolButton* sbtnAutoCaricature = nullptr;  // beside it
  QToolButton* SpeedButton15 = nullptr;  // Comic Filter, hidden
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
  QToolButton* AddButton(int x, int y, QAction* command);
  QAction* AddSizeItem(int imageIndex, int size);
  void ReturnFocus();
  void ChooseColor();

  TSStudio& Studio_;
};

}  // namespace gs
