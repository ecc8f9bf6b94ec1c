// Undo, Restore, Image Size and the canvas rotations of the main window.

#include "platform/Dialogs.h"
#include "platform/qt/WaitCursor.h"
#include "shell/dialogs/ImageSizeDialog.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"
#include "document/Canvas.h"

#include <QApplication>
#include <QGuiApplication>

namespace gs {

void TSStudio::ToolButton1Click() {
  if (!Doc.ImageLoaded()) return;
  if (UndoPicture(Doc)) ApplyZoom();
  RefreshLayers();
  RefreshView();
}

void TSStudio::ToolButton18Click() {
  // The file the user chose, not the document's name: that is the inner name of a protected
  // picture, or the copy a save wrote.
  if (!Doc.ImageLoaded() || Doc.OpenedFileName().empty()) return;
  LoadImageFile(Doc.OpenedFileName(), TPictureEntry::Restore);
  EndTool();
}

void TSStudio::ResizeImage1Click() {
  fsize->Prepare(Doc.ImageWidth(), Doc.ImageHeight());
  if (!Dialogs().RunForm(*fsize)) return;
  const TWaitCursor busy;  // a large picture takes a moment to resample
  ResizeCanvas(Doc, fsize->ChosenWidth(), fsize->ChosenHeight());
  ApplyZoom();
  RefreshView();
}

void TSStudio::Rotate(TRotation rotation) {
  RotateCanvas(Doc, rotation);
  ApplyZoom();
  RefreshView();
}

void TSStudio::N1801Click() { Rotate(TRotation::Half); }
void TSStudio::N90CW1Click() { Rotate(TRotation::Clockwise); }
void TSStudio::N90CCW1Click() { Rotate(TRotation::CounterClockwise); }

}  // namespace gs
