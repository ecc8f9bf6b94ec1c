// SPDX-License-Identifier: GPL-3.0-or-later
// The editing history in the main window: the step commands, the History list, and the
// recording of commands and strokes as steps.

#include "platform/Guard.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"

#include <QAction>
#include <QDockWidget>
#include <QListWidget>
#include <QMenu>

namespace gs {

TCommandRows TSStudio::HistoryCommands() {
  static const TCommandRow rows[] = {
      {.Name = "StepBackward1", .Caption = "Step Backward", .Handler = &TSStudio::StepBackwardClick,
       .Keys = {Key(QKeySequence::Undo)}, .Menu = {TMenu::Edit, 11},
       .Also = &TSStudio::CanStepBackward},
      {.Name = "StepForward1", .Caption = "Step Forward", .Handler = &TSStudio::StepForwardClick,
       .Keys = {Key(QKeySequence::Redo), Key(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), Key(Qt::CTRL | Qt::Key_Y)},
       .Menu = {TMenu::Edit, 12},
       .Also = &TSStudio::CanStepForward},
  };
  return rows;
}

bool TSStudio::CanStepBackward() const { return Doc.History.CanStepBack() || Doc.History.InStroke(); }
bool TSStudio::CanStepForward() const { return Doc.History.CanStepForward(); }

void TSStudio::CreateHistoryDock() {
  HistoryDock = new QDockWidget(QStringLiteral("History"), this);
  HistoryDock->setObjectName(QStringLiteral("HistoryDock"));
  HistoryList = new QListWidget(HistoryDock);
  HistoryList->setObjectName(QStringLiteral("HistoryList"));
  HistoryDock->setWidget(HistoryList);
  addDockWidget(Qt::RightDockWidgetArea, HistoryDock);
  HistoryDock->hide();
  QAction* show = HistoryDock->toggleViewAction();
  show->setObjectName(QStringLiteral("History1"));
  Menu(TMenu::View)->addAction(show);
  connect(HistoryList, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { RunGuarded([this, item] { GoToStep(HistoryList->row(item)); }); });
  RefreshHistory();
}

void TSStudio::RefreshHistory() {
  const THistory& history = Doc.History;
  RefreshCommands();
  setWindowModified(Doc.ImageLoaded() && Doc.History.Modified());
  HistoryList->clear();
  HistoryList->addItem(QString::fromStdString(history.StartName));
  for (int k = 1; k <= history.Count(); ++k) HistoryList->addItem(QString::fromStdString(history.Step(k).Name));
  // The state the picture shows is marked; the steps after it are there to go forward to.
  for (int row = 0; row < HistoryList->count(); ++row) {
    QListWidgetItem* item = HistoryList->item(row);
    QFont font = item->font();
    font.setBold(row == history.Current());
    item->setFont(font);
    item->setForeground(row > history.Current() ? palette().brush(QPalette::Disabled, QPalette::Text)
                                                : palette().brush(QPalette::Text));
  }
  HistoryList->setCurrentRow(history.Current());
}

void TSStudio::StepBackwardClick() {
  CommitStroke();
  GoToStep(Doc.History.Current() - 1);
}

void TSStudio::StepForwardClick() {
  CommitStroke();
  GoToStep(Doc.History.Current() + 1);
}

void TSStudio::CommitStroke() {
  // What a held button has done so far is a step before anything else happens.
  if (Doc.History.InStroke()) Doc.History.EndStroke(Doc, StrokeName());
}

void TSStudio::GoToStep(int k) {
  CommitStroke();
  if (!Doc.ImageLoaded() || k < 0 || k > Doc.History.Count() || k == Doc.History.Current()) return;
  // The layer brushes and the pixel tools hold on to a layer or the mirror, which the steps
  // replace; a brush on the picture holds nothing and stays chosen, as a brush does after Ctrl+Z
  // in any editor.
  if (IsPictureBrush(Doc.ToolMode)) Doc.Brushes.Release();
  else EndTool();
  Doc.Selection().Clear();
  const int width = Doc.ImageWidth(), height = Doc.ImageHeight();
  const TRect changed = Doc.History.GoTo(Doc, k);
  // A step recorded while a pixel tool hid the layers keeps them hidden; no pixel tool is active
  // now, so they show.
  ShowAllLayers(true);
  if (Doc.ImageWidth() != width || Doc.ImageHeight() != height) ApplyZoom();
  Repaint(changed);
  DstImg->update();  // the layers
  RefreshHistory();
}

void TSStudio::RecordStep(TChangeScope scope, const std::string& name, const std::function<void()>& change) {
  CommitStroke();
  try {
    THistory::TStep step(Doc, scope, name);
    change();
    step.Commit();
  } catch (...) {
    // The step put back the picture or the layers as they were before the command; the view
    // may have taken the size the command had given the picture.
    ApplyZoom();
    RefreshView();
    DstImg->update();
    RefreshHistory();
    throw;
  }
  RefreshHistory();
}

std::string TSStudio::StrokeName() const {
  if (Doc.Frame.Dragging()) return Doc.Frame.Drag() == TFrameDrag::Move ? "Layer moved" : "Layer resized";
  switch (Doc.ToolMode) {
    case TToolMode::Putty: return "Putty stroke";
    case TToolMode::Warp: return "Warp stroke";
    case TToolMode::Twirl: return "Twirl stroke";
    case TToolMode::Reconstruct: return "Reconstruct stroke";
    case TToolMode::LayerReconstruct: return "Reconstruct stroke on a layer";
    case TToolMode::LayerPutty: return "Putty stroke on a layer";
    case TToolMode::LayerWarp: return "Warp stroke on a layer";
    case TToolMode::LayerTwirl: return "Twirl stroke on a layer";
    case TToolMode::Eraser: return "Eraser stroke";
    case TToolMode::ColorPaint: return "Paint stroke";
    case TToolMode::ArrangeLayers: return "Layer turned";
    default: return "Layer moved";
  }
}

}  // namespace gs
