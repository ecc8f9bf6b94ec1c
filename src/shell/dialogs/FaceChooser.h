// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFaceChooser: what the face dialogs (Auto Caricature, Face Sculpt) share. The picture with its
// faces framed, where a click chooses a face; "All faces"; the live preview of the chosen faces
// on a shrunk cut; and under it the line that says when a move was held back so that the
// picture does not fold. The dialog gives only how its own controls bend the preview.

#include "faces/CaricaturePreview.h"
#include "faces/Face.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;

namespace gs {

class TFacePicture;

class TFaceChooser : public QWidget {
  Q_OBJECT

public:
  static constexpr int kPreviewSide = 360;
  // The preview's cut round the chosen faces, in face boxes: the whole of what the face warp may
  // bend, so that the cut's edges do not hold the warp where the picture's would not.
  static constexpr double kPreviewRoom = 3.2;

  // How the dialog's controls bend a preview: the chosen face (or all, faceIndex < 0).
  using TRender = std::function<const TBitmap32&(TCaricaturePreview& preview, int faceIndex)>;

  TFaceChooser(QWidget* parent, TRender render);
  ~TFaceChooser() override;

  // Heard when a face was chosen, after the preview shows it.
  std::function<void(int face)> Chosen;

  // Starts on a picture and its faces (at least one), the largest chosen. The picture is read
  // until Release, and must not change before.
  void Prepare(const TBitmap32& picture, const std::vector<TFace>& faces);
  void Release();

  const TBitmap32* Picture() const { return Picture_; }
  const std::vector<TFace>& Faces() const { return Faces_; }
  // The face chosen on the picture, whether or not all are bent.
  int Face() const { return Face_; }
  // The chosen face, or -1 for all of them.
  int FaceIndex() const;
  void ChooseFace(int index);

  // Renders the preview again after a change of the dialog's controls.
  void ShowPreview();
  const TBitmap32& PreviewResult() const { return Result_; }

  // "All faces" ("on" or "off") and "Face" (1 is the largest); false for another field.
  bool AnswerScripted(const std::string& name, const std::string& value);

  TFacePicture* imgFaces = nullptr;
  QLabel* imgPreview = nullptr;
  QLabel* lblLimited = nullptr;
  // Made here; the dialog puts it among its own controls.
  QCheckBox* cbAllFaces = nullptr;

private:
  void FacesChange();

  TRender Render_;
  const TBitmap32* Picture_ = nullptr;
  std::vector<TFace> Faces_;
  // The whole picture with the faces, and the chosen faces with some room around them.
  std::unique_ptr<TCaricaturePreview> Overview_;
  std::unique_ptr<TCaricaturePreview> Preview_;
  TBitmap32 Result_;
  int Face_ = 0;
};

}  // namespace gs
