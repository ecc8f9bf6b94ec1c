// Undo, Restore, Image Size and the canvas rotations of the main window.

#include "platform/Dialogs.h"
#include "shell/ImageSizeDialog.h"
#include "shell/ImageView.h"
#include "shell/Studio.h"
#include "shell/document/Canvas.h"

#include <QApplication>
#include <QGuiApplication>

namespace gs {

namespace {
// The hourglass while a large picture is resampled.
class TBusyCursor {
public:
  TBusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TBusyCursor() { QGuiApplication::restoreOverrideCursor(); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};
}  // namespace

void TSStudio::ToolButton1Click() {
  if (!Doc.ImageLoaded) return;
  const bool resized = Doc.GeometryChanged;
  UndoPicture(Doc);
  if (resized) ApplyZoom();
  RefreshLayers();
  RefreshView();
}

void TSStudio::ToolButton18Click() {
  if (!Doc.ImageLoaded || Doc.SourceFileName.empty()) return;
  Doc.ZoomPercent = 100;
  LoadImageFile(Doc.SourceFileName);
  EndTool();
}

void TSStudio::ResizeImage1Click() {
  fsize->Prepare(Doc.ImageWidth, Doc.ImageHeight);
  if (!Dialogs().RunForm(*fsize)) return;
  TBusyCursor busy;
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
