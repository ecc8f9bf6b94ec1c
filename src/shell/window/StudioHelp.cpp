// Help, the about box, starting the GIF maker, and printing.

#include "platform/qt/ShellLaunch.h"
#include "shell/dialogs/AboutBox.h"
#include "shell/window/PrintPicture.h"
#include "shell/window/Studio.h"

#include <QPrinter>

namespace gs {

// The launches report success, but there is nothing useful to do when they fail.
void TSStudio::GifMakerHelp1Click() { ShellExecute(HelpFilePath(Folders)); }
void TSStudio::ToolButton19Click() { ShellExecute(HelpFilePath(Folders)); }
void TSStudio::VideoTutorial1Click() { ShellExecute(TutorialPath(Folders)); }
void TSStudio::GrimacerAnimator1Click() { StartProgram(AnimatorPath(Folders)); }

void TSStudio::About1Click() { ShowAboutBox(*Form2); }

void TSStudio::ToolButton13Click() {
  if (!Doc.ImageLoaded()) return;
  if (!Printer_) Printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  TPrintSource source;
  source.Width = Doc.ViewBitmap.Width();
  source.Height = Doc.ViewBitmap.Height();
  source.DeselectLayer = [this] { SelectLayer(nullptr); };
  // The picture as shown: the working picture with its visible layers over it.
  source.PaintView = [this](TBitmap32& page) {
    page = Doc.ViewBitmap;
    for (const auto& layer : Doc.Layers())
      if (layer->Visible) MergeLayer(page, *layer);
  };
  RunPrint(*Printer_, source);
}

}  // namespace gs
