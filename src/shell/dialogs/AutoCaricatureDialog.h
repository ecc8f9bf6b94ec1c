// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TAutoCaricatureDialog: "Auto Caricature". Shows the picture with the faces found outlined and
// the chosen face's landmarks, the presets with small previews, Strength and "All faces", and a
// live preview of the result on a shrunk copy. One instance serves every use in a run, so the
// preset and strength chosen last are offered again.

#include "faces/rules/Presets.h"
#include "faces/CaricaturePreview.h"
#include "faces/Face.h"
#include "platform/Dialogs.h"

#include <QDialog>

#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;

namespace gs {

class TFacePicture;

class TAutoCaricatureDialog : public QDialog, public TModalForm {
  Q_OBJECT

public:
  static constexpr int kPreviewSide = 360;
  static constexpr int kThumbnailSide = 64;
  // The preview's cut round the chosen faces, in face boxes: the whole of what the face warp may
  // bend, so that the cut's edges do not hold the warp where the picture's would not.
  static constexpr double kPreviewRoom = 3.2;

  explicit TAutoCaricatureDialog(QWidget* parent = nullptr);
  ~TAutoCaricatureDialog() override;

  // Starts the dialog on a picture and its faces (at least one), the largest face chosen. The
  // picture is read until Release, and must not change before.
  void Prepare(const TBitmap32& picture, const std::vector<TFace>& faces);
  // Lets the picture and the shrunk copies go.
  void Release();

  TCaricaturePreset Preset() const;
  double Strength() const;  // 0..1
  // The chosen face, or -1 for all of them.
  int FaceIndex() const;
  bool Confirmed() const { return Confirmed_; }
  // What the preview shows now.
  const TBitmap32& PreviewResult() const { return Result_; }

  std::string FormName() const override { return "Auto Caricature"; }
  bool ShowModal() override;
  // Fields: "Preset" (its caption or its key: "Big Eyes" or "bigeyes"), "Strength" (0..100),
  // "All faces" ("on" or "off") and "Face" (1 is the largest).
  bool AnswerScripted(const TFormAnswer& answer) override;

  // Controls, named as on the form.
  TFacePicture* imgFaces = nullptr;
  QListWidget* lbPresets = nullptr;
  QSlider* tbStrength = nullptr;
  QLabel* lblStrength = nullptr;
  QCheckBox* cbAllFaces = nullptr;
  QLabel* imgPreview = nullptr;
  QPushButton* btnApply = nullptr;
  QPushButton* btnCancel = nullptr;

  void ChooseFace(int index);
  void PresetChange();
  void StrengthChange();
  void btnApplyClick();
  void btnCancelClick();

private:
  void FacesChange();
  void ShowFaces();
  void ShowThumbnails();
  void ShowPreview();

  const TBitmap32* Picture_ = nullptr;
  std::vector<TFace> Faces_;
  // The whole picture with the faces, and the chosen faces with some room around them.
  std::unique_ptr<TCaricaturePreview> Overview_;
  std::unique_ptr<TCaricaturePreview> Preview_;
  std::unique_ptr<TCaricaturePreview> Thumbnails_;  // the chosen face alone
  TBitmap32 Result_;
  int Face_ = 0;
  bool Confirmed_ = false;
};

}  // namespace gs
