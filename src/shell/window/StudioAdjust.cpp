// SPDX-License-Identifier: GPL-3.0-or-later
// The comic filter preview, the chroma key and the change of background.

#include "platform/Dialogs.h"
#include "shell/dialogs/ChromaKeyForm.h"
#include "shell/dialogs/ComicFilterForm.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"
#include "document/ChromaKey.h"
#include "document/PictureFiles.h"

namespace gs {

TCommandRows TSStudio::AdjustCommands() {
  static const TCommandRow rows[] = {
      // Made and kept, but shown nowhere: the palette keeps its place for Animate Caricature.
      {.Name = "Comicfilter1", .Caption = "Comic filter", .Handler = &TSStudio::Comicfilter1Click,
       .Icon = TIcon::ComicFilter, .Tip = "Comic Filter", .Menu = {TMenu::Grimacer, 50},
       .Palette = {1, 8, "SpeedButton15"}, .IconText = "...", .Hidden = true},
      {.Name = "Chromakey1", .Caption = "Chromakey...", .Handler = &TSStudio::Chromakey1Click,
       .Icon = TIcon::Chromakey, .Tip = "Chromakey Tool", .Menu = {TMenu::Tools, 11},
       .Palette = {0, 7, "sbtnChromakey"}},
      {.Name = "ChangeBackground1", .Caption = "Change background...", .Handler = &TSStudio::ChangeBackground1Click,
       .Icon = TIcon::ChangeBackground, .Tip = "Change Background", .Menu = {TMenu::Tools, 12},
       .Palette = {1, 7, "sbtnChangeBackground"},
       .Step = TRecordedStep{TChangeScope::Picture, "Change background"}},
  };
  return rows;
}
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
  TfrmChromaKey& dialog = KeptDialog<TfrmChromaKey>("frmChromaKey");
  // Cancel keeps the pick tool, so the next click picks again.
  if (!Dialogs().RunForm(dialog)) return;
  const std::optional<TBitmap32> background = dialog.BackgroundPicture();
  KeyWorkingPicture(Doc, dialog.Threshold());
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
  TFileDialogRequest request{"Open", OpenPictureFilter(), "", "", false};
  const std::optional<std::string> file = Dialogs().OpenFile(request);
  if (!file) return;
  ChangeBackground(Doc, LoadGraphicFile(*file).Bitmap);
  EndTool();
  ApplyZoom();
  FitToWindow();
}

}  // namespace gs
