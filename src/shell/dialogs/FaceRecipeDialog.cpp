// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/FaceRecipeDialog.h"

#include "common/Errors.h"
#include "shell/dialogs/FaceChooser.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace gs {

TFaceRecipeDialog::TFaceRecipeDialog(QWidget* parent)
    : TFaceDialog(parent, QStringLiteral("Load Face Recipe"),
                  [this](TCaricaturePreview& preview, int face) -> const TBitmap32& { return Render(preview, face); }) {
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Chooser->cbAllFaces);
  buttons->addStretch(1);
  buttons->addWidget(btnApply);
  buttons->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Chooser);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFaceRecipeDialog::Prepare(const TBitmap32& picture, const std::vector<TFace>& faces, const TFaceRecipe& recipe,
                                std::optional<TShapeModel> model) {
  if (faces.empty()) throw Exception("Load Face Recipe needs a face");
  Confirmed_ = false;
  Recipe_ = recipe;
  Model_ = std::move(model);
  Chooser->Prepare(picture, faces);
}

void TFaceRecipeDialog::Release() {
  Chooser->Release();
  Shown_ = TBitmap32();
  Mesh_.VectorMap().SetSize(1, 1);
}

const TBitmap32& TFaceRecipeDialog::Render(const TCaricaturePreview& preview, int faceIndex) {
  // The whole recipe, step after step, on the shrunk cut, as the picture will take it.
  Shown_ = preview.Original();
  Mesh_.Bind(preview.Original(), Shown_);
  Mesh_.VectorMap().Clear();
  std::vector<TFace> faces = preview.Faces();
  BendByFaceRecipe(Mesh_, preview.Original(), Shown_, faces, faceIndex, Recipe_, Model_ ? &*Model_ : nullptr);
  return Shown_;
}

bool TFaceRecipeDialog::AnswerScripted(const TFormAnswer& answer) {
  Confirmed_ = false;
  for (const auto& [name, value] : answer.Fields)
    if (!Chooser->AnswerScripted(name, value))
      throw Exception("The Load Face Recipe dialog has no field \"" + name + "\"");
  return FinishAnswer(answer.Ok);
}

}  // namespace gs
