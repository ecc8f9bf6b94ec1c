// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TAutoCaricatureDialog: "Auto Caricature". The face chooser (the picture with the faces found
// outlined, "All faces" and the live preview), and the presets with small previews of the
// chosen face and Strength. One instance serves every use in a run, so the
// preset and strength chosen last are offered again.

#include "faces/rules/Presets.h"
#include "faces/CaricaturePreview.h"
#include "faces/Face.h"
#include "shell/dialogs/FaceDialog.h"

#include <memory>
#include <vector>

class QLabel;
class QListWidget;
class QSlider;

namespace gs {

class TAutoCaricatureDialog : public TFaceDialog {
  Q_OBJECT

public:
  static constexpr int kThumbnailSide = 64;

  explicit TAutoCaricatureDialog(QWidget* parent = nullptr);
  ~TAutoCaricatureDialog() override;

  // Starts the dialog on a picture and its faces (at least one), the largest face chosen. The
  // picture is read until Release, and must not change before.
  void Prepare(const TBitmap32& picture, const std::vector<TFace>& faces);
  // Lets the picture and the shrunk copies go.
  void Release();

  TCaricaturePreset Preset() const;
  double Strength() const;  // 0..1

  std::string FormName() const override { return "Auto Caricature"; }
  // Fields: "Preset" (its caption or its key: "Big Eyes" or "bigeyes"), "Strength" (0..100),
  // "All faces" ("on" or "off") and "Face" (1 is the largest).
  bool AnswerScripted(const TFormAnswer& answer) override;

  // Controls, named as on the form.
  QListWidget* lbPresets = nullptr;
  QSlider* tbStrength = nullptr;
  QLabel* lblStrength = nullptr;

  void PresetChange();
  void StrengthChange();

private:
  void FaceChosen(int face);
  void ShowThumbnails();

  std::unique_ptr<TCaricaturePreview> Thumbnails_;  // the chosen face alone
};

}  // namespace gs
