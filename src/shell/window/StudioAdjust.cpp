// The comic filter preview, the chroma key and the change of background.

#include "platform/Dialogs.h"
#include "shell/dialogs/ChromaKeyForm.h"
#include "shell/dialogs/ComicFilterForm.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"
#include "document/ChromaKey.h"
#include "document/PictureFiles.h"

namespace gs {

namespace {
constexpr const char* kChromaKeyStep = "Chroma key";
}  // namespace

void TSStudio::Comicfilter1Click() {
  TComicFilterForm form(Doc.ViewBitmap, this);
  Dialogs().RunForm(form);
}

void TSStudio::Chromakey1Click() {
  if (!Doc.ImageLoaded()) return;
  ShowMessage("Click on the color within the image to key out.");
  SwitchToPixelTool(TToolMode::ChromaPick);
  activateWindow();
}

void TSStudio::RunChromaKey() {
  RecordStep(TChangeScope::Picture, kChromaKeyStep, [this] { KeyPickedColour(); });
}

void TSStudio::KeyPickedColour() {
  if (!frmChromaKey) frmChromaKey = new TfrmChromaKey(this);
  // Cancel keeps the pick tool, so the next click picks again.
  if (!Dialogs().RunForm(*frmChromaKey)) return;
  const std::optional<TBitmap32> background = frmChromaKey->BackgroundPicture();
  KeyWorkingPicture(Doc, frmChromaKey->Threshold());
  if (!background) {
    EndTool();
    return;
  }
  const TBitmap32 foreground = PutBackgroundBehind(Doc, *background);
  ApplyZoom();
  CreateLayerFromPicture(foreground);
  TRotatableLayer* layer = Doc.Layers().back().get();
  EndTool();
  SelectLayer(layer);
  Doc.GeometryChanged = true;
  FitToWindow();
}

void TSStudio::ChangeBackground1Click() {
  if (!Doc.ImageLoaded()) return;
  TFileDialogRequest request{"Open", kOpenPictureFilter, "", "", false};
  const std::optional<std::string> file = Dialogs().OpenFile(request);
  if (!file) return;
  ChangeBackground(Doc, LoadGraphicFile(*file).Bitmap);
  EndTool();
  ApplyZoom();
  FitToWindow();
}

}  // namespace gs
