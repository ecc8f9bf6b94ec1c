// SPDX-License-Identifier: GPL-3.0-or-later
// Help, the about box, starting the GIF maker, and printing.

#include "codecs/FileIO.h"
#include "common/Errors.h"
#include "platform/Dialogs.h"
#include "platform/qt/ShellLaunch.h"
#include "shell/dialogs/AboutBox.h"
#include "shell/dialogs/HelpWindow.h"
#include "shell/window/PrintPicture.h"
#include "shell/window/Studio.h"

#include <QPrinter>

namespace gs {

TCommandRows TSStudio::HelpCommands() {
  static const TCommandRow rows[] = {
      {.Name = "mPrint", .Caption = "&Print", .Handler = &TSStudio::ToolButton13Click, .Icon = TIcon::Print,
       .Tip = "Print", .Keys = {Key(QKeySequence::Print)}, .Menu = {TMenu::File, 12}, .ToolBar = 12},
      {.Name = "GrimacerAnimator1", .Caption = "Grimacer Animator", .Handler = &TSStudio::GrimacerAnimator1Click,
       .Menu = {TMenu::Tools, 10}, .Needs = TNeeds::Nothing},
      {.Name = "GrimacerStudioHelp1", .Caption = "Grimacer Studio Help", .Handler = &TSStudio::GifMakerHelp1Click,
       .Keys = {Key(QKeySequence::HelpContents)}, .Menu = {TMenu::Help, 10}, .Needs = TNeeds::Nothing},
      {.Name = "VideoTutorial1", .Caption = "Video Tutorial", .Handler = &TSStudio::VideoTutorial1Click,
       .Tip = "Opens the illustrated step-by-step tutorial, help/tutorial.html (a web page, not a video)",
       .Menu = {TMenu::Help, 11}, .Needs = TNeeds::Nothing},
      {.Name = "About1", .Caption = "About", .Handler = &TSStudio::About1Click, .Menu = {TMenu::Help, 12},
       .Needs = TNeeds::Nothing},
      {.Name = "AboutAtStart1", .Caption = "Show the about box at start", .Handler = &TSStudio::AboutAtStartClick,
       .Menu = {TMenu::Help, 13}, .Needs = TNeeds::Nothing, .Checked = &TSStudio::AboutAtStart},
      {.Name = "Tutorial1", .Caption = "Tutorial", .Handler = &TSStudio::ToolButton19Click, .Icon = TIcon::Tutorial,
       .Tip = "Tutorial", .ToolBar = 40, .Needs = TNeeds::Nothing},
  };
  return rows;
}

void TSStudio::AboutAtStartClick() { Form2->SetShowAtStart(!Form2->ShowAtStart()); }
bool TSStudio::AboutAtStart() const { return Form2 && Form2->ShowAtStart(); }

namespace {

// The manual's page in the desktop's browser, or, where there is none (the launch fails), in a
// window of our own, kept for the next time.
void ShowManual(QWidget& window, const std::string& page) {
  if (!FileExists(page)) {
    ShowMessage("Couldn't find the help file " + page + ".");
    return;
  }
  if (ShellExecute(page)) return;
  auto* help = window.findChild<THelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
  if (!help) help = new THelpWindow(&window);
  help->ShowPage(page);
}

}  // namespace

void TSStudio::GifMakerHelp1Click() { ShowManual(*this, HelpFilePath(Folders_)); }
void TSStudio::ToolButton19Click() { ShowManual(*this, HelpFilePath(Folders_)); }
void TSStudio::VideoTutorial1Click() { ShowManual(*this, TutorialPath(Folders_)); }
// The launch reports success, but there is nothing useful to do when it fails.
void TSStudio::GrimacerAnimator1Click() {
  const std::string gifloom = AnimatorPath(Folders_);
  if (gifloom.empty() || !StartProgram(gifloom))
    throw Exception("Could not start the Grimacer Animator" + (gifloom.empty() ? std::string(".") : " (" + gifloom + ")."));
}

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
