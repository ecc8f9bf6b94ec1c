// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFaceRecipeDialog: "Load Face Recipe" on a photo with more than one face. The face chooser
// with the recipe's effect in the preview, and Apply and Cancel: which face (or all) the recipe
// goes on.

#include "common/RemapTransformation.h"
#include "document/FaceRecipe.h"
#include "shell/dialogs/FaceDialog.h"

#include <optional>
#include <vector>

namespace gs {

class TFaceRecipeDialog : public TFaceDialog {
  Q_OBJECT

public:
  explicit TFaceRecipeDialog(QWidget* parent = nullptr);

  // Starts on a picture and its faces (at least one), the largest chosen. The picture is read
  // until Release, and must not change before.
  void Prepare(const TBitmap32& picture, const std::vector<TFace>& faces, const TFaceRecipe& recipe,
               std::optional<TShapeModel> model);
  void Release();

  std::string FormName() const override { return "Load Face Recipe"; }
  // Fields: "All faces" ("on" or "off") and "Face" (1 is the largest).
  bool AnswerScripted(const TFormAnswer& answer) override;

private:
  const TBitmap32& Render(const TCaricaturePreview& preview, int faceIndex);

  TFaceRecipe Recipe_;
  std::optional<TShapeModel> Model_;
  TRemapTransformation Mesh_;
  TBitmap32 Shown_;
};

}  // namespace gs
