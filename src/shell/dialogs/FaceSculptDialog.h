// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFaceSculptDialog: "Face Sculpt". Sliders for the eyes (each eye its own, linked by default),
// the nose, the mouth and the face's outline, Exaggerate, the face chooser and "All faces" as in
// Auto Caricature, and a live preview on a shrunk copy. Every opening starts from nothing: what
// was applied is in the picture already.

#include "faces/CaricaturePreview.h"
#include "faces/Face.h"
#include "faces/rules/Sculpt.h"
#include "platform/Dialogs.h"

#include <QDialog>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

namespace gs {

class TFacePicture;

class TFaceSculptDialog : public QDialog, public TModalForm {
  Q_OBJECT

public:
  static constexpr int kPreviewSide = 360;

  explicit TFaceSculptDialog(QWidget* parent = nullptr);
  ~TFaceSculptDialog() override;

  // Starts the dialog on a picture and its faces (at least one), the largest face chosen and
  // every slider at 0. model is the face model's shape model (Exaggerate is greyed out without one).
  // The picture is read until Release, and must not change before.
  void Prepare(const TBitmap32& picture, const std::vector<TFace>& faces,
               std::optional<TShapeModel> model);
  void Release();

  TSculpt Sculpt() const;
  // The chosen face, or -1 for all of them.
  int FaceIndex() const;
  bool Confirmed() const { return Confirmed_; }
  const TBitmap32& PreviewResult() const { return Result_; }

  std::string FormName() const override { return "Face Sculpt"; }
  bool ShowModal() override;
  // Starts from every slider at 0. Fields: a slider's batch word ("eyesize", -100..100; an
  // eye's slider sets both eyes), "Exaggerate" (0..200), "All faces" ("on" or "off") and
  // "Face" (1 is the largest).
  bool AnswerScripted(const TFormAnswer& answer) override;

  // Controls, named as on the form. The eyes' sliders: [slider][0] the eye on the picture's
  // left, [1] the other; the other sliders use [0].
  TFacePicture* imgFaces = nullptr;
  QLabel* imgPreview = nullptr;
  std::array<std::array<QSlider*, 2>, kSculptSliderCount> tbSliders{};
  std::array<QLabel*, kSculptSliderCount> lblSliders{};
  QCheckBox* cbLinkEyes = nullptr;
  QSlider* tbExaggerate = nullptr;
  QLabel* lblExaggerate = nullptr;
  QLabel* lblLimited = nullptr;
  QCheckBox* cbAllFaces = nullptr;
  QPushButton* btnReset = nullptr;
  QPushButton* btnApply = nullptr;
  QPushButton* btnCancel = nullptr;

  void ChooseFace(int index);
  void Reset();
  void btnApplyClick();
  void btnCancelClick();

private:
  void SliderChange(TSculptSlider slider, int eye);
  void FacesChange();
  void ShowValues();
  void ShowPreview();

  const TBitmap32* Picture_ = nullptr;
  std::vector<TFace> Faces_;
  std::optional<TShapeModel> Model_;
  std::unique_ptr<TCaricaturePreview> Overview_;
  std::unique_ptr<TCaricaturePreview> Preview_;
  TBitmap32 Result_;
  int Face_ = 0;
  bool Confirmed_ = false;
  bool Resetting_ = false;
};

}  // namespace gs
