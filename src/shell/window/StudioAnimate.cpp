// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > Animate Caricature...: the warp played from the photo to the caricature, saved as an
// animated GIF or WebP; and the row of File > Export Sticker..., which can play it too.

#include "platform/Dialogs.h"
#include "plugins/qt/KeyboardAbort.h"
#include "shell/dialogs/AnimateDialog.h"
#include "shell/dialogs/ProgressForm.h"
#include "shell/window/Studio.h"
#include "document/Animation.h"

#include <filesystem>

namespace gs {

TCommandRows TSStudio::AnimateCommands() {
  static const TCommandRow rows[] = {
      {.Name = "mAnimateCaricature", .Caption = "Animate Caricature...", .Handler = &TSStudio::mAnimateCaricatureClick,
       .Icon = TIcon::AnimateCaricature, .Tip = "Animate Caricature", .Menu = {TMenu::Tools, 13},
       .Palette = {1, 8, "sbtnAnimateCaricature"}},
      // Right after Save As: another way to save the caricature.
      {.Name = "mExportSticker", .Caption = "Export Sticker...", .Handler = &TSStudio::mExportStickerClick,
       .Tip = "Export the head as a 512 x 512 messenger sticker", .Menu = {TMenu::File, 14}},
  };
  return rows;
}

void TSStudio::mAnimateCaricatureClick() {
  if (!Doc.ImageLoaded()) return;
  // A pixel tool has baked the warp into the picture by now, and a brush left its strokes in
  // the mesh: what is left to animate is what the mesh holds.
  EndTool();
  const TAnimationScene scene = AnimationSceneOf(Doc);
  if (!SceneHasWarp(scene)) {
    ShowMessage(kNothingToAnimate);
    return;
  }
  TAnimateDialog& dialog = KeptDialog<TAnimateDialog>("AnimateDialog");
  // The animation is saved beside its photo unless the user goes elsewhere.
  dialog.Prepare(scene, std::filesystem::path(Doc.DocumentFileName()).parent_path().string());
  if (!RunPreparedForm(dialog)) return;
  WriteAnimation(scene, dialog.Settings(), dialog.OutputPath());
}

bool TSStudio::WriteAnimation(const TAnimationScene& scene, const TAnimationSettings& settings,
                              const std::string& path) {
  const TProgressShown shown(*ProgressForm, QStringLiteral("Animating caricature..."));
  // Escape stops it; nothing is written then.
  return WriteCaricatureAnimation(scene, settings, path, [this](int done, int total) {
    ProgressForm->SetProgress(done, total);
    return !TakePendingEscape();
  });
}

}  // namespace gs
