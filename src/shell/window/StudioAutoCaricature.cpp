// Grimacer > Auto Caricature...: the faces found in the picture bent by a preset in one click,
// as ordinary warp strokes the user can take back, reconstruct or animate.

#include "common/Errors.h"
#include "faces/SharedFaceFinder.h"
#include "platform/qt/WaitCursor.h"
#include "shell/dialogs/AutoCaricatureDialog.h"
#include "shell/dialogs/ProgressForm.h"
#include "shell/window/Studio.h"
#include "document/AutoCaricature.h"

#include <QAction>
#include <QProgressBar>

#include <chrono>
#include <future>

namespace gs {

TCommandRows TSStudio::AutoCaricatureCommands() {
  static const TCommandRow rows[] = {
      {.Name = "AutoCaricature1", .Caption = "Auto Caricature...", .Handler = &TSStudio::AutoCaricature1Click,
       .Icon = TIcon::AutoCaricature, .Keys = {Key(Qt::Key_A)}, .Menu = {TMenu::Grimacer, 20},
       .Palette = {1, 9, "sbtnAutoCaricature"}, .Also = &TSStudio::HasFaceModel},
  };
  return rows;
}

bool TSStudio::HasFaceModel() const { return FaceModelPresent(FaceModelPath_); }

namespace {

constexpr const char* kAutoCaricatureTip = "Auto Caricature: finds the face and caricatures it in one click";

}  // namespace

void TSStudio::SetFaceModelPath(const std::string& path) {
  FaceModelPath_ = path;
  RefreshAutoCaricature();
  RefreshCommands();
}

void TSStudio::RefreshAutoCaricature() {
  const bool model = HasFaceModel();
  Action("AutoCaricature1")->setToolTip(QString::fromUtf8(model ? kAutoCaricatureTip : kNoFaceModelMessage));
}

std::vector<TFace> TSStudio::FindFaces() {
  if (!FaceModelPresent(FaceModelPath_)) throw Exception(kNoFaceModelMessage);
  // The model is read on first use and the search takes a moment on a large photo: both run on
  // a thread of their own while the window keeps painting. Input waits, so the picture the
  // search reads in place cannot change under it.
  const TBitmap32& picture = Doc.ViewBitmap;
  std::future<std::vector<TFace>> search = std::async(
      std::launch::async, [finder = SharedFaceFinder(FaceModelPath_), &picture] { return finder.get()->Find(picture); });
  using namespace std::chrono_literals;
  if (search.wait_for(100ms) != std::future_status::ready) {
    const TProgressShown shown(*ProgressForm, QStringLiteral("Looking for faces..."));
    ProgressForm->ProgressBar->setRange(0, 0);
    while (search.wait_for(30ms) != std::future_status::ready) TProgressForm::PaintOnlyPump();
  }
  return search.get();
}

void TSStudio::ApplyAutoCaricature(const std::vector<TFace>& faces, int faceIndex, TCaricaturePreset preset,
                                   double strength) {
  // A pixel tool bakes the warp into the picture when it ends; a brush stays chosen, so that
  // Reconstruct or Warp can go on from the result at once.
  if (IsPixelTool(Doc.ToolMode)) EndTool();
  CommitStroke();
  const TWaitCursor busy;  // a whole head on a large photo takes a second
  const TRect changed = gs::ApplyAutoCaricature(Doc, faces, faceIndex, preset, strength);
  RefreshHistory();
  Repaint(changed);
}

void TSStudio::AutoCaricature1Click() {
  if (!Doc.ImageLoaded()) return;
  if (IsPixelTool(Doc.ToolMode)) EndTool();
  CommitStroke();
  const std::vector<TFace> faces = FindFaces();
  if (faces.empty()) {
    ShowMessage(kNoFaceMessage);
    return;
  }
  TAutoCaricatureDialog& dialog = KeptDialog<TAutoCaricatureDialog>("AutoCaricatureDialog");
  dialog.Prepare(Doc.ViewBitmap, faces);
  if (!RunPreparedForm(dialog)) return;
  ApplyAutoCaricature(faces, dialog.FaceIndex(), dialog.Preset(), dialog.Strength());
}

}  // namespace gs
