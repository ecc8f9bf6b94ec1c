// SPDX-License-Identifier: GPL-3.0-or-later
// The status bar: the picture's size, the zoom and what the chosen tool does, in one line each.

#include "shell/window/Studio.h"

#include <QLabel>
#include <QStatusBar>

namespace gs {

namespace {

// What a press does with the tool: the one line a user needs before the first stroke.
const char* ToolHint(TToolMode mode, bool picture) {
  if (!picture) return "Open a picture to start (File > Open, or drop one here).";
  switch (mode) {
    case TToolMode::Putty:
    case TToolMode::LayerPutty: return "Putty: drag to push the picture along. Space and drag pans.";
    case TToolMode::Warp:
    case TToolMode::LayerWarp:
      return "Warp: hold the left button to grow, the right to shrink. [ and ] change the size.";
    case TToolMode::Twirl:
    case TToolMode::LayerTwirl:
      return "Twirl: hold the left button to turn left, the right to turn right.";
    case TToolMode::Reconstruct:
    case TToolMode::LayerReconstruct: return "Reconstruct: hold a button to bring back the photo under the brush.";
    case TToolMode::Eraser: return "Eraser: drag to make the picture transparent.";
    case TToolMode::ColorPaint: return "Paintbrush: drag to paint in the chosen colour.";
    case TToolMode::Picker: return "Eyedropper: click to take a colour from the picture.";
    case TToolMode::Crop: return "Crop: drag a rectangle; the picture is cut to it when you let go.";
    case TToolMode::ChromaPick: return "Chroma Key: click the background colour to take out.";
    case TToolMode::ArrangeLayers: return "Rotate Layer: drag to turn the selected layer.";
    case TToolMode::None: break;
  }
  return "Choose a tool: Putty, Warp or Twirl bend the face. Click a layer to select it.";
}

}  // namespace

void TSStudio::CreateStatusBar() {
  const auto label = [this](const char* name) {
    auto* shown = new QLabel(statusBar());
    shown->setObjectName(QString::fromLatin1(name));
    return shown;
  };
  StatusHint_ = label("StatusHint");
  StatusSize_ = label("StatusSize");
  StatusZoom_ = label("StatusZoom");
  statusBar()->addWidget(StatusHint_, 1);
  statusBar()->addPermanentWidget(StatusSize_);
  statusBar()->addPermanentWidget(StatusZoom_);
  statusBar()->setSizeGripEnabled(true);
}

void TSStudio::RefreshStatus() {
  if (!StatusHint_) return;
  const bool picture = Doc.ImageLoaded();
  StatusHint_->setText(QString::fromUtf8(ToolHint(Doc.ToolMode, picture)));
  StatusSize_->setText(picture ? QStringLiteral("%1 \u00D7 %2").arg(Doc.ImageWidth()).arg(Doc.ImageHeight()) : QString());
  StatusZoom_->setText(picture ? QStringLiteral("%1 %").arg(Doc.ZoomPercent) : QString());
}

}  // namespace gs
