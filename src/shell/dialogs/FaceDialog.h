// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFaceDialog: what Auto Caricature and Face Sculpt are both made of: the face chooser, Apply
// and Cancel, and the answer they give. Each dialog adds its own controls and how they bend
// the preview.

#include "faces/CaricaturePreview.h"
#include "platform/Dialogs.h"
#include "shell/dialogs/FaceChooser.h"

#include <QDialog>

class QPushButton;

namespace gs {

class TFaceDialog : public QDialog, public TModalForm {
  Q_OBJECT

public:
  // The chosen face, or -1 for all of them.
  int FaceIndex() const { return Chooser->FaceIndex(); }
  bool Confirmed() const { return Confirmed_; }
  // What the preview shows now.
  const TBitmap32& PreviewResult() const { return Chooser->PreviewResult(); }

  bool ShowModal() override;

  TFaceChooser* Chooser = nullptr;
  QPushButton* btnApply = nullptr;
  QPushButton* btnCancel = nullptr;

  void btnApplyClick();
  void btnCancelClick();

protected:
  TFaceDialog(QWidget* parent, const QString& caption, TFaceChooser::TRender render);

  // A scripted answer's end: Apply when it says Ok, else Cancel; whether it was applied.
  bool FinishAnswer(bool ok);

  bool Confirmed_ = false;
};

}  // namespace gs
