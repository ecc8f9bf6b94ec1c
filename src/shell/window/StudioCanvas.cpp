// SPDX-License-Identifier: GPL-3.0-or-later
// Undo, Restore, Image Size and the canvas rotations of the main window.

#include "platform/Dialogs.h"
#include "platform/qt/WaitCursor.h"
#include "shell/dialogs/ImageSizeDialog.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"
#include "document/Canvas.h"

#include <QApplication>
#include <QGuiApplication>

namespace gs {

namespace {
constexpr const char* kRestoreStep = "Restore";
}  // namespace

TCommandRows TSStudio::CanvasCommands() {
  static const TCommandRow rows[] = {
      // Ctrl+Z goes back through the history, as in every editor now; the single Undo keeps the
      // key Photoshop gives its toggle of the last state.
      {.Name = "Undo1", .Caption = "Undo", .Handler = &TSStudio::ToolButton1Click, .Icon = TIcon::Undo,
       .Tip = "Undo", .Keys = {Key(Qt::CTRL | Qt::ALT | Qt::Key_Z)}, .Menu = {TMenu::Edit, 10}, .ToolBar = 21,
       .Step = TRecordedStep{TChangeScope::Picture, "Undo"}, .Batch = "undo"},
      {.Name = "Restore1", .Caption = "Restore", .Handler = &TSStudio::ToolButton18Click, .Icon = TIcon::Restore,
       .Tip = "Restore", .Menu = {TMenu::Edit, 13}, .ToolBar = 20, .Batch = "restore"},
      {.Name = "ImageSize1", .Caption = "Image Size", .Handler = &TSStudio::ResizeImage1Click,
       .Menu = {TMenu::Edit, 14}, .Step = TRecordedStep{TChangeScope::Picture, "Image Size"}},
      {.Name = "Rotate180", .Caption = "180", .Handler = &TSStudio::N1801Click, .Menu = {TMenu::RotateCanvas, 10},
       .Step = TRecordedStep{TChangeScope::Picture, "Rotate 180"}, .Batch = "rotate 180"},
      {.Name = "Rotate90CW", .Caption = "90 CW", .Handler = &TSStudio::N90CW1Click,
       .Menu = {TMenu::RotateCanvas, 11}, .Step = TRecordedStep{TChangeScope::Picture, "Rotate 90 CW"},
       .Batch = "rotate cw"},
      {.Name = "Rotate90CCW", .Caption = "90 CCW", .Handler = &TSStudio::N90CCW1Click,
       .Menu = {TMenu::RotateCanvas, 12}, .Step = TRecordedStep{TChangeScope::Picture, "Rotate 90 CCW"},
       .Batch = "rotate ccw"},
      {.Name = "FlipHorizontal1", .Caption = "Flip Horizontal", .Handler = &TSStudio::FlipHorizontalClick,
       .Menu = {TMenu::RotateCanvas, 20}, .Step = TRecordedStep{TChangeScope::Picture, "Flip Horizontal"},
       .Batch = "flip horizontal"},
      {.Name = "FlipVertical1", .Caption = "Flip Vertical", .Handler = &TSStudio::FlipVerticalClick,
       .Menu = {TMenu::RotateCanvas, 21}, .Step = TRecordedStep{TChangeScope::Picture, "Flip Vertical"},
       .Batch = "flip vertical"},
  };
  return rows;
}

void TSStudio::ToolButton1Click() {
  if (!Doc.ImageLoaded()) return;
  if (UndoPicture(Doc)) ApplyZoom();
  RefreshLayers();
  RefreshView();
}

void TSStudio::ToolButton18Click() {
  // The file the user chose, not the document's name: that is the inner name of a protected
  // picture, or the copy a save wrote.
  if (!Doc.ImageLoaded() || Doc.OpenedFileName().empty()) return;
  // Asked before the step begins, so that a Save answered here is a step of its own.
  if (!MayCloseDocument()) return;
  RecordStep(TChangeScope::Picture, kRestoreStep, [this] {
    LoadImageFile(Doc.OpenedFileName(), TPictureEntry::Restore);
    EndTool();
    // Back to what the file holds, when that file is also where the document saves.
    if (Doc.OpenedFileName() == Doc.DocumentFileName()) Doc.History.MarkSaved();
  });
}

void TSStudio::ResizeImage1Click() {
  fsize->Prepare(Doc.ImageWidth(), Doc.ImageHeight());
  if (!Dialogs().RunForm(*fsize)) return;
  const TWaitCursor busy;  // a large picture takes a moment to resample
  ResizeCanvas(Doc, fsize->ChosenWidth(), fsize->ChosenHeight());
  ApplyZoom();
  RefreshView();
}

void TSStudio::Rotate(TRotation rotation) {
  RotateCanvas(Doc, rotation);
  ApplyZoom();
  RefreshView();
}

void TSStudio::N1801Click() { Rotate(TRotation::Half); }
void TSStudio::N90CW1Click() { Rotate(TRotation::Clockwise); }
void TSStudio::N90CCW1Click() { Rotate(TRotation::CounterClockwise); }

void TSStudio::FlipHorizontalClick() {
  FlipCanvas(Doc, TFlip::Horizontal);
  RefreshView();
}

void TSStudio::FlipVerticalClick() {
  FlipCanvas(Doc, TFlip::Vertical);
  RefreshView();
}

}  // namespace gs
