// The File menu: opening, saving, Save As and Exit, and the caption that names the file.

#include "codecs/FileIO.h"
#include "document/PictureFiles.h"
#include "platform/Dialogs.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"

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
       .Keys = {Key(QKeySequence::SaveAs)}, .Menu = {TMenu::File, 14},
       .Step = TRecordedStep{TChangeScope::Picture, "Save As"}},
      {.Name = "mExit", .Caption = "&Exit", .Handler = &TSStudio::mExitClick, .Keys = {Key(QKeySequence::Quit)},
       .Menu = {TMenu::File, 16}, .Needs = TNeeds::Nothing},
  };
  return rows;
}

void TSStudio::mOpenImageClick() {
  TFileDialogRequest request{"Open", kOpenPictureFilter, "", LastFolder_, false};
  const std::optional<std::string> file = Dialogs().OpenFile(request);
  if (!file) return;
  RememberFolder(*file);
  OpenFile(*file);
}

void TSStudio::OpenFile(const std::string& path) {
  // A file that cannot be opened leaves everything as it was: it throws before any change.
  LoadImageFile(path, TPictureEntry::Open);
  RememberFile(path);
  EndTool();
  UpdateCaption();
  RefreshHistory();
}

void TSStudio::LoadImageFile(const std::string& fileName, TPictureEntry entry) {
  try {
    Doc.Open(ReadPictureFile(fileName), entry);
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

void TSStudio::PrepareSave(const std::string& target) {
  // Merging the layers, or the GIF's colour reduction, bakes the warp into the picture: keep
  // what an animation of the caricature needs.
  const bool bakes = !Doc.Layers().empty() || LowerCase(ExtractFileExt(target)) == ".gif";
  const TAnimationScene scene = SceneOf(Doc);
  if (bakes && !IsPixelTool(Doc.ToolMode) && SceneHasWarp(scene)) Doc.SceneBeforeSave.emplace(scene);
  Doc.GeometryChanged = false;
  EndTool();
  ShowBrushOutline(false);
  FlattenLayers();
}

void TSStudio::mSaveImageClick() {
  PrepareSave(Doc.DocumentFileName());
  Doc.WritePicture(Doc.DocumentFileName());
  RefreshView();
}

void TSStudio::saveas1Click() {
  TFileDialogRequest request{"Save As", kSavePictureFilter, kSavePictureDefaultExt, LastFolder_, true};
  const std::optional<std::string> file = Dialogs().SaveFile(request);
  if (!file) return;
  RememberFolder(*file);
  PrepareSave(*file);
  Doc.SetDocumentFileName(*file);
  UpdateCaption();
  Doc.WritePicture(*file);
  RefreshView();
  // The user goes on with the picture as the GIF's colour reduction left it.
  if (LowerCase(ExtractFileExt(*file)) == ".gif") LoadImageFile(Doc.DocumentFileName(), TPictureEntry::SavedCopy);
}

void TSStudio::mExitClick() { close(); }

void TSStudio::UpdateCaption() {
  QString caption = QString::fromLatin1(kAppCaption);
  if (!Doc.DocumentFileName().empty())
    caption += QStringLiteral("  \"") + QString::fromStdString(ExtractFileName(Doc.DocumentFileName())) +
               QLatin1Char('"');
  setWindowTitle(caption);
}

}  // namespace gs
