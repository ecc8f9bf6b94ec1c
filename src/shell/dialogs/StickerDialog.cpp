// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/StickerDialog.h"

#include "common/Errors.h"
#include "platform/Guard.h"
#include "platform/WholeNumber.h"
#include "shell/dialogs/DialogButtons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace gs {

TStickerDialog::TStickerDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Export Sticker"));
  cbAnimated = new QCheckBox(QStringLiteral("Animated"), this);
  cbAnimated->setToolTip(QStringLiteral("Plays the face bending into the caricature, at most 3 seconds"));
  cbBackground = new QComboBox(this);
  cbBackground->addItem(QStringLiteral("Oval around the head"));
  cbBackground->addItem(QStringLiteral("None (keep the picture's own transparency)"));
  seFace = new QSpinBox(this);
  seFace->setToolTip(QStringLiteral("1 is the largest face"));
  btnOk = new QPushButton(QStringLiteral("Ok"), this);
  btnOk->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);

  auto* fields = new QFormLayout;
  fields->addRow(cbAnimated);
  fields->addRow(QStringLiteral("Background"), cbBackground);
  fields->addRow(QStringLiteral("Face"), seFace);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(RightAlignedButtons({btnOk, btnCancel}));
  connect(btnOk, &QPushButton::clicked, this, GuardedSlot([this] { accept(); }));
  connect(btnCancel, &QPushButton::clicked, this, GuardedSlot([this] { reject(); }));
}

void TStickerDialog::Prepare(int faces, bool canAnimate, bool transparent) {
  Faces_ = faces;
  cbAnimated->setChecked(false);
  cbAnimated->setEnabled(canAnimate);
  cbBackground->setCurrentIndex(transparent ? 1 : 0);
  seFace->setRange(faces > 0 ? 1 : 0, std::max(faces, 0));
  seFace->setValue(faces > 0 ? 1 : 0);
  // The spin box shows its special text at its least value, which is face 1 when there are faces.
  seFace->setSpecialValueText(faces > 0 ? QString() : QStringLiteral("No face: the whole picture"));
  seFace->setEnabled(faces > 1);
}

bool TStickerDialog::Animated() const { return cbAnimated->isEnabled() && cbAnimated->isChecked(); }

TStickerBackground TStickerDialog::Background() const {
  return cbBackground->currentIndex() == 1 ? TStickerBackground::None : TStickerBackground::Oval;
}

int TStickerDialog::FaceIndex() const { return Faces_ > 0 ? seFace->value() - 1 : -1; }

bool TStickerDialog::ShowModal() { return exec() == QDialog::Accepted; }

bool TStickerDialog::AnswerScripted(const TFormAnswer& answer) {
  for (const auto& [name, value] : answer.Fields) {
    if (name == "Animated") {
      const bool on = ParseSwitch(value, name);
      if (on && !cbAnimated->isEnabled())
        throw Exception(kNothingToAnimate);
      cbAnimated->setChecked(on);
    } else if (name == "Background") {
      if (value != "oval" && value != "none") throw Exception("Background is oval or none, not \"" + value + "\"");
      cbBackground->setCurrentIndex(value == "none" ? 1 : 0);
    } else if (name == "Face") {
      if (Faces_ == 0) throw Exception("No face found to choose from: the sticker shows the whole picture");
      seFace->setValue(ParseWholeNumber(value, 1, Faces_, name));
    } else {
      throw Exception("The Export Sticker dialog has no field \"" + name + "\"");
    }
  }
  return answer.Ok;
}

}  // namespace gs
