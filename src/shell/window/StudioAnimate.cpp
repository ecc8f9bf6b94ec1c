// Tools > Animate Caricature...: the warp played from the photo to the caricature, saved as an
// animated GIF.

#include "platform/Dialogs.h"
#include "plugins/qt/KeyboardAbort.h"
#include "shell/dialogs/AnimateDialog.h"
#include "shell/dialogs/ProgressForm.h"
#include "shell/window/Studio.h"
#include "document/Animation.h"

namespace gs {

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
  if (!AnimateDialog) AnimateDialog = new TAnimateDialog(this);
  AnimateDialog->Prepare(scene);
  if (!RunPreparedForm(*AnimateDialog)) return;
  WriteAnimation(scene, AnimateDialog->Settings(), AnimateDialog->OutputPath());
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
