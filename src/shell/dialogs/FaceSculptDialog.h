// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFaceSculptDialog: "Face Sculpt". The face chooser as in Auto Caricature (the faces, "All
// faces" and the live preview), and sliders for the eyes (each eye its own, linked by default),
// the nose, the mouth and the face's outline, and Exaggerate. Every opening starts from nothing: what
// was applied is in the picture already.

#include "faces/CaricaturePreview.h"
#include "faces/Face.h"
#include "faces/rules/Sculpt.h"
#include "shell/dialogs/FaceDialog.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

namespace gs {

class TFaceSculptDialog : public TFaceDialog {
  Q_OBJECT

public:
  explicit TFaceSculptDialog(QWidget* parent = nullptr);
  ~TFaceSculptDialog() override;

  // Starts the dialog on a picture and its faces (at least one), the largest face chosen and
  // every slider at 0. model is the face model's shape model (Exaggerate is greyed out without one).
  // The picture is read until Release, and must not change before.
  void Prepare(const TBitmap32& picture, const std::vector<TFace>& faces,
               std::optional<TShapeModel> model);
  void Release();

  TSculpt Sculpt() const;

  std::string FormName() const override { return "Face Sculpt"; }
  // Starts from every slider at 0. Fields: a slider's batch word ("eyesize", -100..100; an
  // eye's slider sets both eyes), "Exaggerate" (0..200), "All faces" ("on" or "off") and
  // "Face" (1 is the largest).
  bool AnswerScripted(const TFormAnswer& answer) override;

  // Controls, named as on the form. The eyes' sliders: [slider][0] the eye on the picture's
  // left, [1] the other; the other sliders use [0].
  std::array<std::array<QSlider*, 2>, kSculptSliderCount> tbSliders{};
  std::array<QLabel*, kSculptSliderCount> lblSliders{};
  QCheckBox* cbLinkEyes = nullptr;
  QSlider* tbExaggerate = nullptr;
  QLabel* lblExaggerate = nullptr;
  QPushButton* btnReset = nullptr;

  void Reset();

private:
  void SliderChange(TSculptSlider slider, int eye);
  void ShowValues();

  std::optional<TShapeModel> Model_;
  bool Resetting_ = false;
};

}  // namespace gs
