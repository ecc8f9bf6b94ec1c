// SPDX-License-Identifier: GPL-3.0-or-later
// Grimacer > Save Face Recipe... / Load Face Recipe... and Warp > Save Mesh... / Load Mesh...: a
// caricature carried to another face or another photo, as the face edits that made it or as
// the warp mesh itself.

#include "codecs/FileIO.h"
#include "common/Errors.h"
#include "document/FaceRecipe.h"
#include "document/MeshFile.h"
#include "faces/finder/SharedFaceFinder.h"
#include "platform/Dialogs.h"
#include "shell/dialogs/FaceRecipeDialog.h"
#include "shell/window/Studio.h"

namespace gs {

namespace {
constexpr const char* kNoRecipeMessage =
    "There is nothing to save as a face recipe: bend a face with Auto Caricature or Face Sculpt first.";
}  // namespace

TCommandRows TSStudio::RecipeCommands() {
  static const TCommandRow rows[] = {
      {.Name = "SaveFaceRecipe1", .Caption = "Save Face Recipe...", .Handler = &TSStudio::SaveFaceRecipe1Click,
       .Menu = {TMenu::Grimacer, 22}},
      {.Name = "LoadFaceRecipe1", .Caption = "Load Face Recipe...", .Handler = &TSStudio::LoadFaceRecipe1Click,
       .Menu = {TMenu::Grimacer, 23}, .Also = &TSStudio::HasFaceModel},
      {.Name = "SaveMesh1", .Caption = "Save Mesh...", .Handler = &TSStudio::SaveMesh1Click,
       .Menu = {TMenu::Warp, 10}},
      {.Name = "LoadMesh1", .Caption = "Load Mesh...", .Handler = &TSStudio::LoadMesh1Click,
       .Menu = {TMenu::Warp, 11}, .Step = TRecordedStep{TChangeScope::Picture, "Load Mesh"}},
  };
  return rows;
}

void TSStudio::RememberRecipeSteps(int stepBefore, const std::vector<TRecipeStep>& edits) {
  // Only an edit that became a step of the history is part of the caricature.
  if (Doc.History.Current() <= stepBefore || Doc.History.Current() == 0) return;
  const THistoryStep& made = Doc.History.Step(Doc.History.Current());
  // What was kept for a step the history has dropped goes: its memory may hold a new step now.
  std::erase_if(RecipeSteps_, [&](const TKeptRecipeStep& kept) {
    if (kept.Step == &made) return true;
    for (int k = 1; k <= Doc.History.Count(); ++k)
      if (&Doc.History.Step(k) == kept.Step) return false;
    return true;
  });
  for (const TRecipeStep& edit : edits) RecipeSteps_.push_back({&made, made.Name, edit});
}

TFaceRecipe TSStudio::CurrentRecipe() const {
  // The face edits of the steps the document shows now, in their order: a step gone back from
  // or dropped is no part of it.
  TFaceRecipe recipe;
  for (int k = 1; k <= Doc.History.Current(); ++k) {
    const THistoryStep& step = Doc.History.Step(k);
    for (const TKeptRecipeStep& kept : RecipeSteps_)
      if (kept.Step == &step && kept.Name == step.Name) recipe.Steps.push_back(kept.Edit);
  }
  return recipe;
}

void TSStudio::SaveFaceRecipe1Click() {
  const TFaceRecipe recipe = CurrentRecipe();
  if (recipe.Steps.empty()) return ShowMessage(kNoRecipeMessage);
  const std::optional<std::string> file =
      Dialogs().SaveFile(TFileDialogRequest{"Save Face Recipe", kFaceRecipeFilter, kFaceRecipeExtension, LastFolder_, true});
  if (!file) return;
  RememberFolder(*file);
  const std::string text = EncodeFaceRecipe(recipe);
  WriteFileBytes(*file, TBytes(text.begin(), text.end()));
}

void TSStudio::LoadFaceRecipe1Click() {
  const std::optional<std::string> file =
      Dialogs().OpenFile(TFileDialogRequest{"Load Face Recipe", kFaceRecipeFilter, "", LastFolder_, false});
  if (!file) return;
  RememberFolder(*file);
  const TBytes bytes = ReadFileBytes(*file);
  const TFaceRecipe recipe = DecodeFaceRecipe(std::string(bytes.begin(), bytes.end()));
  LastFaceLimit_ = 1;
  const std::vector<TFace> faces = FacesForDialog();
  if (faces.empty()) return;
  const TShapeModel model = SharedFaceFinder(FaceModelPath_).get()->ShapeModel();
  // The batch words say which faces; a person is asked when there is more than one.
  int face = RecipeFaces_ == TRecipeFaces::All ? -1 : 0;
  if (RecipeFaces_ == TRecipeFaces::Ask && faces.size() > 1) {
    TFaceRecipeDialog& dialog = KeptDialog<TFaceRecipeDialog>("FaceRecipeDialog");
    dialog.Prepare(Doc.ViewBitmap, faces, recipe, model);
    if (!RunPreparedForm(dialog)) return;
    face = dialog.FaceIndex();
  }
  const int before = Doc.History.Current();
  BendFaces(faces, [&](std::vector<TFace>& bent) { return ApplyFaceRecipe(Doc, bent, face, recipe, &model); });
  RememberRecipeSteps(before, recipe.Steps);
}

void TSStudio::SaveMesh1Click() {
  const std::optional<std::string> file =
      Dialogs().SaveFile(TFileDialogRequest{"Save Mesh", kMeshFileFilter, kMeshFileExtension, LastFolder_, true});
  if (!file) return;
  RememberFolder(*file);
  CommitStroke();
  WriteFileBytes(*file, EncodeMeshFile(Doc.MeshTransformation.VectorMap()));
}

void TSStudio::LoadMesh1Click() {
  const std::optional<std::string> file =
      Dialogs().OpenFile(TFileDialogRequest{"Load Mesh", kMeshFileFilter, "", LastFolder_, false});
  if (!file) return;
  RememberFolder(*file);
  const TVectorMap mesh = DecodeMeshFile(ReadFileBytes(*file));
  EndTool();
  LoadMesh(Doc, mesh);
  RefreshView();
}

}  // namespace gs
