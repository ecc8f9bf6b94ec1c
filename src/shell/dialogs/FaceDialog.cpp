// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/FaceDialog.h"

#include "platform/Guard.h"

#include <QPushButton>

namespace gs {

TFaceDialog::TFaceDialog(QWidget* parent, const QString& caption, TFaceChooser::TRender render)
    : QDialog(parent) {
  setWindowTitle(caption);
  Chooser = new TFaceChooser(this, std::move(render));
  btnApply = new QPushButton(QStringLiteral("Apply"), this);
  btnApply->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  connect(btnApply, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnApplyClick(); }); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnCancelClick(); }); });
}

void TFaceDialog::btnApplyClick() {
  Confirmed_ = true;
  accept();
}

void TFaceDialog::btnCancelClick() {
  Confirmed_ = false;
  reject();
}

bool TFaceDialog::ShowModal() {
  exec();
  return Confirmed_;
}

bool TFaceDialog::FinishAnswer(bool ok) {
  if (ok) btnApplyClick();
  else btnCancelClick();
  return Confirmed_;
}

}  // namespace gs
