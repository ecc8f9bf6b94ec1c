// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu: opening, saving, Save As and Exit, and the caption that names the file.

#include "codecs/FileIO.h"
#include "document/PictureFiles.h"
#include "document/project/ProjectFile.h"
#include "platform/Dialogs.h"
#include "platform/FileFilter.h"
#include "platform/Guard.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"

#include <QStatusBar>

#include <algorithm>
#include <filesystem>
#include <iostream>

namespace gs {

TCommandRows TSStudio::FileCommands() {
  static const TCommandRow rows[] = {
      {.Name = "mOpenImage", .Caption = "&Open", .Handler = &TSStudio::mOpenImageClick, .Icon = TIcon::Open,
       .Tip = "Open", .Keys = {Key(QKeySequence::Open)}, .Menu = {TMenu::File, 10}, .ToolBar = 10,
       .Needs = TNeeds::Nothing},
      {.Name = "mSaveImage", .Caption = "&Save", .Handler = &TSStudio::mSaveImageClick, .Icon = TIcon::Save,
       .Tip = "Save", .Keys = {Key(QKeySequence::Save)}, .Menu = {TMenu::File, 13}, .ToolBar = 11,
       .Step = TRecordedStep{TChangeScope::Picture, "Save"}, .Batch = "save"},
      {.Name = "saveas1", .Caption = "&Save As...", .Handler = &TSStudio::saveas1Click,
       .Keys = {Key(QKeySequence::SaveAs), Key(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}, .Menu = {TMenu::File, 14},
       .Step = TRecordedStep{TChangeScope::Picture, "Save As"}},
      {.Name = "mExit", .Caption = "&Exit", .Handler = &TSStudio::mExitClick, .Keys = {Key(QKeySequence::Quit)},
       .Menu = {TMenu::File, 16}, .Needs = TNeeds::Nothing},
  };
  return rows;
}

void TSStudio::mOpenImageClick() {
  if (!MayCloseDocument()) return;
  TFileDialogRequest request{"Open", OpenPictureFilter(true), "", LastFolder_, false};
  const std::optional<std::string> file = Dialogs().OpenFile(request);
  if (!file) return;
  RememberFolder(*file);
  OpenFile(*file);
}

void TSStudio::OpenFile(const std::string& path) {
  // A file that cannot be opened leaves everything as it was: it throws before any change.
  LoadImageFile(path, TPictureEntry::Open);
  RecipeSteps_.clear();  // the face edits of the picture before
  // The work the copy held was saved or let go before the open: a crash now must not offer it.
  DropRecoveryCopy();
  RememberFile(path);
  EndTool();
  UpdateCaption();
  RefreshHistory();
}

void TSStudio::LoadImageFile(const std::string& fileName, TPictureEntry entry) {
  try {
    if (IsProjectFile(fileName)) LoadProjectFile(fileName, entry);
    else Doc.Open(ReadPictureFile(fileName), entry);
  } catch (...) {
    RefreshView();
    throw;
  }
  // The face model may have been installed since: Auto Caricature says so with its tip.
  RefreshAutoCaricature();
  RefreshCommands();
  DstImg->show();
  RefreshView();
  FitToWindow();
}

void TSStudio::LoadProjectFile(const std::string& fileName, TPictureEntry entry) {
  TProject project = ReadProjectFile(fileName, std::cerr);
  if (entry != TPictureEntry::Open) {
    // Restore brings back the photo the project keeps, as it was before any warp.
    TLoadedPicture loaded;
    loaded.Picture = std::move(project.Copy.Source);
    loaded.Undo = loaded.Picture;
    loaded.TransparentColor = project.Copy.TransparentColor;
    loaded.SourceFileName = fileName;
    loaded.FileName = fileName;
    Doc.Open(std::move(loaded), entry);
    return;
  }
  std::vector<TFace> faces = std::move(project.Faces);
  OpenProject(Doc, std::move(project), fileName);
  // The faces carried in the project describe the picture as it opens: Face Sculpt goes on
  // from them without a new search.
  if (faces.empty()) KnownFaces_.Forget();
  else KnownFaces_.Remember(Doc, std::move(faces));
}

void TSStudio::SaveProject(const std::string& target) {
  Doc.GeometryChanged = false;
  EndTool();
  ShowBrushOutline(false);
  const std::vector<TFace>* faces = KnownFaces_.ShownIn(Doc);
  WriteFileBytes(target, EncodeProject(Doc, faces ? *faces : std::vector<TFace>{}));
  Doc.SetDocumentFileName(target);
  UpdateCaption();
  RefreshView();
  Doc.History.MarkSaved();
  DropRecoveryCopy();
}

std::optional<TKeptScene> TSStudio::PrepareSave(const std::string& target) {
  // Merging the layers, or the GIF's colour reduction, bakes the warp into the picture: keep
  // what an animation of the caricature needs.
  const bool bakes = !Doc.Layers().empty() || IsPictureKind(target, TPictureKindId::Gif);
  const TAnimationScene scene = SceneOf(Doc);
  std::optional<TKeptScene> kept;
  if (bakes && !IsPixelTool(Doc.ToolMode) && SceneHasWarp(scene)) kept.emplace(scene);
  Doc.GeometryChanged = false;
  EndTool();
  ShowBrushOutline(false);
  FlattenLayers();
  return kept;
}

// A save that fails leaves the document as it was: the history's step puts the layers and the
// warp back, and nothing here names the document or keeps a scene before the file is written.
void TSStudio::SaveTo(const std::string& target) {
  if (IsProjectFile(target)) return SaveProject(target);
  const bool merges = !Doc.Layers().empty();
  std::optional<TKeptScene> kept = PrepareSave(target);
  Doc.WritePicture(target);
  if (kept) Doc.SceneBeforeSave = std::move(kept);
  Doc.SetDocumentFileName(target);
  UpdateCaption();
  RefreshView();
  // The user goes on with the picture as the GIF's colour reduction left it.
  if (IsPictureKind(target, TPictureKindId::Gif)) LoadImageFile(target, TPictureEntry::SavedCopy);
  Doc.History.MarkSaved();
  DropRecoveryCopy();
  if (merges) statusBar()->showMessage(QString::fromUtf8(kLayersMergedMessage));
}

void TSStudio::mSaveImageClick() {
  // A photo of a kind that only opens (HEIC, AVIF) is saved under a name of the user's choice.
  if (!SavesAsPicture(Doc.DocumentFileName()) && !IsProjectFile(Doc.DocumentFileName())) return saveas1Click();
  SaveTo(Doc.DocumentFileName());
}

namespace {

// Save As starts in the document's folder, under its name, with its kind chosen. A kind that
// cannot be saved (a protected picture) gives way to the default kind under the same name.
TFileDialogRequest SaveAsRequest(const std::string& document, const std::string& lastFolder) {
  TFileDialogRequest request{"Save As", SavePictureFilter(true), kSavePictureDefaultExt, lastFolder, true};
  if (document.empty()) return request;
  std::string name = ExtractFileName(document);
  if (FilterIndexFor(request.Filter, name) < 0) name = ChangeFileExt(name, std::string(".") + request.DefaultExt);
  const std::string folder = std::filesystem::path(document).parent_path().string();
  if (!folder.empty()) request.InitialDir = folder;
  request.FileName = name;
  request.FilterIndex = std::max(FilterIndexFor(request.Filter, name), 0);
  return request;
}

}  // namespace

void TSStudio::saveas1Click() {
  const TFileDialogRequest request = SaveAsRequest(Doc.DocumentFileName(), LastFolder_);
  const std::optional<std::string> file = Dialogs().SaveFile(request);
  if (!file) return;
  RememberFolder(*file);
  SaveTo(*file);
}

bool TSStudio::MayCloseDocument() {
  CommitStroke();
  // A script saves when it means to: the batch mode never asks.
  if (BatchMode_ || !Doc.ImageLoaded() || !Doc.History.Modified()) return true;
  const std::string question = "Save changes to " + ExtractFileName(Doc.DocumentFileName()) + " before closing?";
  switch (Dialogs().AskSaveChanges(question)) {
    case TSaveChanges::Discard: return true;
    case TSaveChanges::Cancel: return false;
    case TSaveChanges::Save: break;
  }
  // The normal Save, a step of the history as its command is; when it fails, the user is told
  // why and nothing is closed.
  bool saved = false;
  RunGuarded([this, &saved] {
    RunCommand(Row("mSaveImage"));
    saved = !Doc.History.Modified();
  });
  return saved;
}

void TSStudio::mExitClick() { close(); }

void TSStudio::UpdateCaption() {
  QString caption = QString::fromLatin1(kAppCaption);
  if (!Doc.DocumentFileName().empty())
    caption += QStringLiteral("  \"") + QString::fromStdString(ExtractFileName(Doc.DocumentFileName())) +
               QStringLiteral("\"[*]");
  setWindowTitle(caption);
}

}  // namespace gs
