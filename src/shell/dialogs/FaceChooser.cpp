// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/FaceChooser.h"

#include "common/Errors.h"
#include "document/AutoCaricature.h"
#include "platform/Guard.h"
#include "platform/WholeNumber.h"
#include "shell/dialogs/FacePicture.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>

#include <algorithm>

namespace gs {

TFaceChooser::TFaceChooser(QWidget* parent, TRender render) : QWidget(parent), Render_(std::move(render)) {
  imgFaces = new TFacePicture(this, kPreviewSide);
  imgFaces->Chosen = [this](int face) { ChooseFace(face); };
  imgPreview = NewPictureLabel(new QLabel(this), kPreviewSide);
  lblLimited = new QLabel(this);
  lblLimited->setObjectName(QStringLiteral("lblLimited"));
  lblLimited->setAlignment(Qt::AlignCenter);
  // Hidden, it keeps its room, so that the dialog does not jump as the line comes and goes.
  QSizePolicy keepRoom = lblLimited->sizePolicy();
  keepRoom.setRetainSizeWhenHidden(true);
  lblLimited->setSizePolicy(keepRoom);
  lblLimited->hide();
  cbAllFaces = new QCheckBox(QStringLiteral("All faces"), this);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(imgFaces, 0, 0);
  layout->addWidget(imgPreview, 0, 1);
  layout->addWidget(lblLimited, 1, 1);

  connect(cbAllFaces, &QCheckBox::toggled, this, [this] { RunGuarded([this] { FacesChange(); }); });
}

TFaceChooser::~TFaceChooser() = default;

void TFaceChooser::Prepare(const TBitmap32& picture, const std::vector<TFace>& faces) {
  if (faces.empty()) throw Exception("The face dialogs need a face");
  Picture_ = &picture;
  Faces_ = faces;
  Overview_ = std::make_unique<TCaricaturePreview>(picture, faces, kPreviewSide);
  const QSignalBlocker quiet(cbAllFaces);
  cbAllFaces->setEnabled(faces.size() > 1);
  if (faces.size() < 2) cbAllFaces->setChecked(false);
  ChooseFace(0);
}

void TFaceChooser::Release() {
  Picture_ = nullptr;
  Faces_.clear();
  Overview_.reset();
  Preview_.reset();
  Result_ = TBitmap32();
  imgFaces->clear();
  imgPreview->clear();
  lblLimited->hide();
}

int TFaceChooser::FaceIndex() const { return cbAllFaces->isChecked() ? -1 : Face_; }

void TFaceChooser::ChooseFace(int index) {
  if (!Picture_ || index < 0 || index >= int(Faces_.size())) return;
  Face_ = index;
  FacesChange();
  if (Chosen) Chosen(Face_);
}

void TFaceChooser::FacesChange() {
  if (!Picture_) return;
  Preview_ = PreviewAround(*Picture_, Faces_, FaceIndex(), kPreviewRoom, kPreviewSide);
  if (Overview_) imgFaces->Show(*Overview_, Face_, cbAllFaces->isChecked());
  ShowPreview();
}

void TFaceChooser::ShowPreview() {
  if (!Preview_) return;
  Result_ = Render_(*Preview_, FaceIndex());
  const std::string held = HeldBackMessage(Preview_->Limit());
  lblLimited->setText(QString::fromStdString(held));
  lblLimited->setVisible(!held.empty());
  ShowPreviewIn(*imgPreview, Result_);
}

bool TFaceChooser::AnswerScripted(const std::string& name, const std::string& value) {
  if (name == "All faces") {
    cbAllFaces->setChecked(ParseSwitch(value, name));
  } else if (name == "Face") {
    ChooseFace(ParseWholeNumber(value, 1, std::max(1, int(Faces_.size())), name) - 1);
  } else {
    return false;
  }
  return true;
}

}  // namespace gs
