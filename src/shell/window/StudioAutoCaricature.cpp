// SPDX-License-Identifier: GPL-3.0-or-later
// Grimacer > Auto Caricature... and Face Sculpt...: the faces found in the picture bent by a
// preset, or by sliders and Exaggerate, in one step, as warp the user can take back, reconstruct
// or animate.

#include "common/Errors.h"
#include "faces/finder/SharedFaceFinder.h"
#include "shell/dialogs/AutoCaricatureDialog.h"
#include "shell/dialogs/FaceSculptDialog.h"
#include "shell/dialogs/ProgressForm.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"
#include "platform/qt/WaitCursor.h"
#include "document/AutoCaricature.h"

#include <QAction>
#include <QApplication>
#include <QProgressBar>

#include <chrono>
#include <future>

namespace gs {

TCommandRows TSStudio::AutoCaricatureCommands() {
  static const TCommandRow rows[] = {
      {.Name = "AutoCaricature1", .Caption = "Auto Caricature...", .Handler = &TSStudio::AutoCaricature1Click,
       .Icon = TIcon::AutoCaricature, .Keys = {Key(Qt::Key_A)}, .Menu = {TMenu::Grimacer, 20},
       .Palette = {1, 9, "sbtnAutoCaricature"}, .Also = &TSStudio::HasFaceModel},
      {.Name = "FaceSculpt1", .Caption = "Face Sculpt...", .Handler = &TSStudio::FaceSculpt1Click,
       .Keys = {Key(Qt::Key_F)}, .Menu = {TMenu::Grimacer, 21}, .Also = &TSStudio::HasFaceModel},
  };
  return rows;
}

bool TSStudio::HasFaceModel() const { return FaceModelPresent(FaceModelPath_); }

namespace {

constexpr const char* kAutoCaricatureTip = "Auto Caricature: finds the face and caricatures it in one click";
constexpr const char* kFaceSculptTip = "Face Sculpt: eyes, nose, mouth and face by sliders, and Exaggerate";

// Work that may take a while on a large photo runs on a thread of its own while the window
// keeps painting, with the progress window up after a moment. Input waits, so nothing the work
// reads or writes can change under it.
template <class TWork>
auto WhileShowingProgress(TProgressForm& progress, const QString& caption, TWork work) {
  auto job = std::async(std::launch::async, std::move(work));
  using namespace std::chrono_literals;
  if (job.wait_for(100ms) != std::future_status::ready) {
    const TProgressShown shown(progress, caption);
    progress.ProgressBar->setRange(0, 0);
    while (job.wait_for(30ms) != std::future_status::ready) TProgressForm::PaintOnlyPump();
  }
  return job.get();
}

// The views show what they showed before while a worker bends the picture they would read.
class TFrozenViews {
public:
  explicit TFrozenViews(std::initializer_list<TImageView*> views) : Views_(views) {
    for (TImageView* view : Views_) view->Freeze();
  }
  ~TFrozenViews() {
    for (TImageView* view : Views_) view->Thaw();
  }
  TFrozenViews(const TFrozenViews&) = delete;
  TFrozenViews& operator=(const TFrozenViews&) = delete;

private:
  std::vector<TImageView*> Views_;
};

}  // namespace

void TSStudio::SetFaceModelPath(const std::string& path) {
  FaceModelPath_ = path;
  KnownFaces_.Forget();
  RefreshAutoCaricature();
  RefreshCommands();
}

void TSStudio::RefreshAutoCaricature() {
  const bool model = HasFaceModel();
  Action("AutoCaricature1")->setToolTip(QString::fromUtf8(model ? kAutoCaricatureTip : kNoFaceModelMessage));
  Action("FaceSculpt1")->setToolTip(QString::fromUtf8(model ? kFaceSculptTip : kNoFaceModelMessage));
}

std::vector<TFace> TSStudio::FindFaces() {
  if (!FaceModelPresent(FaceModelPath_)) throw Exception(kNoFaceModelMessage);
  // The model is read on first use; the picture is read in place.
  const TBitmap32& picture = Doc.ViewBitmap;
  return WhileShowingProgress(*ProgressForm, QStringLiteral("Looking for faces..."),
                              [finder = SharedFaceFinder(FaceModelPath_), &picture] { return finder.get()->Find(picture); });
}

std::vector<TFace> TSStudio::FacesToBend() {
  if (const std::vector<TFace>* known = KnownFaces_.For(Doc)) return *known;
  std::vector<TFace> faces = FindFaces();
  // A strong caricature's face can be past what the finder knows of faces. When this very
  // picture was shown before with its faces (Undo brings it back), those still hold.
  if (const std::vector<TFace>* shown = faces.empty() ? KnownFaces_.ShownIn(Doc) : nullptr) faces = *shown;
  KnownFaces_.Remember(Doc, faces);
  return faces;
}

void TSStudio::BendFaces(std::vector<TFace> faces, const std::function<TFaceEditResult(std::vector<TFace>&)>& bend) {
  // A pixel tool bakes the warp into the picture when it ends; a brush stays chosen, so that
  // Reconstruct or Warp can go on from the result at once.
  if (IsPixelTool(Doc.ToolMode)) EndTool();
  CommitStroke();
  const TWaitCursor busy;
  // The dialog that asked is hidden, but the window system shows what it covered only once this
  // window paints it, and the work to come holds the thread that would: paint now, and let the
  // busy pointer through. Input stays queued.
  if (!BatchMode_) {
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  const TFaceEditResult result = [&] {
    const TFrozenViews frozen{DstImg, DstImg1};
    return WhileShowingProgress(*ProgressForm, QStringLiteral("Bending the faces..."), [&] { return bend(faces); });
  }();
  LastFaceLimit_ = result.Limit;
  KnownFaces_.Remember(Doc, std::move(faces));
  RefreshHistory();
  Repaint(result.Changed);
}


std::vector<TFace> TSStudio::FacesForDialog() {
  if (!Doc.ImageLoaded()) return {};
  if (IsPixelTool(Doc.ToolMode)) EndTool();
  CommitStroke();
  std::vector<TFace> faces = FacesToBend();
  if (faces.empty()) ShowMessage(kNoFaceMessage);
  return faces;
}

void TSStudio::AutoCaricature1Click() {
  LastFaceLimit_ = 1;
  const std::vector<TFace> faces = FacesForDialog();
  if (faces.empty()) return;
  TAutoCaricatureDialog& dialog = KeptDialog<TAutoCaricatureDialog>("AutoCaricatureDialog");
  dialog.Prepare(Doc.ViewBitmap, faces);
  if (!RunPreparedForm(dialog)) return;
  const int face = dialog.FaceIndex();
  const TCaricaturePreset preset = dialog.Preset();
  const double strength = dialog.Strength();
  const int before = Doc.History.Current();
  BendFaces(faces, [&](std::vector<TFace>& bent) { return gs::ApplyAutoCaricature(Doc, bent, face, preset, strength); });
  RememberRecipeSteps(before, {TRecipeStep{preset, strength, {}}});
}

void TSStudio::FaceSculpt1Click() {
  LastFaceLimit_ = 1;
  const std::vector<TFace> faces = FacesForDialog();
  if (faces.empty()) return;
  // Read with the faces, so ready by now.
  const TShapeModel model = SharedFaceFinder(FaceModelPath_).get()->ShapeModel();
  TFaceSculptDialog& dialog = KeptDialog<TFaceSculptDialog>("FaceSculptDialog");
  dialog.Prepare(Doc.ViewBitmap, faces, model);
  if (!RunPreparedForm(dialog)) return;
  const int face = dialog.FaceIndex();
  const TSculpt sculpt = dialog.Sculpt();
  const int before = Doc.History.Current();
  BendFaces(faces, [&](std::vector<TFace>& bent) { return ApplyFaceSculpt(Doc, bent, face, sculpt, &model); });
  RememberRecipeSteps(before, {TRecipeStep{std::nullopt, 1, sculpt}});
}

}  // namespace gs
