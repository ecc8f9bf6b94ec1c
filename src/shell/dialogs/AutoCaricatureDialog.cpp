// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/AutoCaricatureDialog.h"

#include "common/Errors.h"
#include "platform/Guard.h"
#include "platform/WholeNumber.h"
#include "shell/dialogs/DialogButtons.h"
#include "shell/dialogs/FacePicture.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

namespace gs {

namespace {

constexpr int kStartStrength = 100;

}  // namespace

TAutoCaricatureDialog::TAutoCaricatureDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Auto Caricature"));
  imgFaces = new TFacePicture(this, kPreviewSide);
  imgFaces->Chosen = [this](int face) { ChooseFace(face); };
  imgPreview = NewPictureLabel(new QLabel(this), kPreviewSide);

  lbPresets = new QListWidget(this);
  lbPresets->setViewMode(QListView::IconMode);
  lbPresets->setMovement(QListView::Static);
  lbPresets->setResizeMode(QListView::Adjust);
  lbPresets->setIconSize(QSize(kThumbnailSide, kThumbnailSide));
  lbPresets->setGridSize(QSize(kThumbnailSide + 30, kThumbnailSide + 28));
  lbPresets->setFixedHeight(2 * (kThumbnailSide + 28) + 8);
  for (const TPresetName& preset : CaricaturePresets())
    lbPresets->addItem(new QListWidgetItem(QString::fromUtf8(preset.Caption), lbPresets));
  lbPresets->setCurrentRow(0);

  tbStrength = new QSlider(Qt::Horizontal, this);
  tbStrength->setRange(0, 100);
  tbStrength->setValue(kStartStrength);
  lblStrength = new QLabel(this);
  lblStrength->setMinimumWidth(40);
  cbAllFaces = new QCheckBox(QStringLiteral("All faces"), this);
  btnApply = new QPushButton(QStringLiteral("Apply"), this);
  btnApply->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);

  auto* pictures = new QHBoxLayout;
  pictures->addWidget(imgFaces);
  pictures->addWidget(imgPreview);
  auto* strength = new QHBoxLayout;
  strength->addWidget(new QLabel(QStringLiteral("Strength"), this));
  strength->addWidget(tbStrength, 1);
  strength->addWidget(lblStrength);
  strength->addSpacing(12);
  strength->addWidget(cbAllFaces);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(pictures);
  layout->addWidget(lbPresets);
  layout->addLayout(strength);
  layout->addLayout(RightAlignedButtons({btnApply, btnCancel}));
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(lbPresets, &QListWidget::currentRowChanged, this, [this] { RunGuarded([this] { PresetChange(); }); });
  // A double click on a preset is the quick way: choose it and apply.
  connect(lbPresets, &QListWidget::itemDoubleClicked, this, [this] { RunGuarded([this] { btnApplyClick(); }); });
  connect(tbStrength, &QSlider::valueChanged, this, [this] { RunGuarded([this] { StrengthChange(); }); });
  connect(cbAllFaces, &QCheckBox::toggled, this, [this] { RunGuarded([this] { FacesChange(); }); });
  connect(btnApply, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnApplyClick(); }); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnCancelClick(); }); });
  StrengthChange();
}

TAutoCaricatureDialog::~TAutoCaricatureDialog() = default;

void TAutoCaricatureDialog::Prepare(const TBitmap32& picture, const std::vector<TFace>& faces) {
  if (faces.empty()) throw Exception("Auto Caricature needs a face");
  Confirmed_ = false;
  Picture_ = &picture;
  Faces_ = faces;
  Overview_ = std::make_unique<TCaricaturePreview>(picture, faces, kPreviewSide);
  const QSignalBlocker quiet(cbAllFaces);
  cbAllFaces->setEnabled(faces.size() > 1);
  if (faces.size() < 2) cbAllFaces->setChecked(false);
  ChooseFace(0);
}

void TAutoCaricatureDialog::Release() {
  Picture_ = nullptr;
  Faces_.clear();
  Overview_.reset();
  Preview_.reset();
  Thumbnails_.reset();
  Result_ = TBitmap32();
  imgFaces->clear();
  imgPreview->clear();
}

TCaricaturePreset TAutoCaricatureDialog::Preset() const {
  const int row = std::max(0, lbPresets->currentRow());
  return CaricaturePresets()[size_t(row)].Preset;
}

double TAutoCaricatureDialog::Strength() const { return tbStrength->value() / 100.0; }

int TAutoCaricatureDialog::FaceIndex() const { return cbAllFaces->isChecked() ? -1 : Face_; }

void TAutoCaricatureDialog::ChooseFace(int index) {
  if (!Picture_ || index < 0 || index >= int(Faces_.size())) return;
  Face_ = index;
  // The thumbnails show the chosen face alone, whether or not all faces are bent.
  Thumbnails_ = PreviewAround(*Picture_, Faces_, Face_, 1.8, kThumbnailSide);
  ShowThumbnails();
  FacesChange();
}

void TAutoCaricatureDialog::FacesChange() {
  if (!Picture_) return;
  Preview_ = PreviewAround(*Picture_, Faces_, FaceIndex(), kPreviewRoom, kPreviewSide);
  ShowFaces();
  ShowPreview();
}

void TAutoCaricatureDialog::PresetChange() { ShowPreview(); }

void TAutoCaricatureDialog::StrengthChange() {
  lblStrength->setText(QStringLiteral("%1 %").arg(tbStrength->value()));
  ShowThumbnails();
  ShowPreview();
}

void TAutoCaricatureDialog::ShowFaces() {
  if (Overview_) imgFaces->Show(*Overview_, Face_, cbAllFaces->isChecked());
}

void TAutoCaricatureDialog::ShowThumbnails() {
  if (!Thumbnails_) return;
  for (int row = 0; row < lbPresets->count(); ++row) {
    const TBitmap32& shown = Thumbnails_->Render(CaricaturePresets()[size_t(row)].Preset, Strength(), Face_);
    lbPresets->item(row)->setIcon(QIcon(QPixmap::fromImage(OnCheckerboard(shown))));
  }
}

void TAutoCaricatureDialog::ShowPreview() {
  if (!Preview_) return;
  Result_ = Preview_->Render(Preset(), Strength(), FaceIndex());
  ShowPreviewIn(*imgPreview, Result_);
}

void TAutoCaricatureDialog::btnApplyClick() {
  Confirmed_ = true;
  accept();
}

void TAutoCaricatureDialog::btnCancelClick() {
  Confirmed_ = false;
  reject();
}

bool TAutoCaricatureDialog::ShowModal() {
  exec();
  return Confirmed_;
}

bool TAutoCaricatureDialog::AnswerScripted(const TFormAnswer& answer) {
  Confirmed_ = false;
  for (const auto& [name, value] : answer.Fields) {
    if (name == "Preset") {
      int row = -1;
      for (int i = 0; i < int(CaricaturePresets().size()); ++i) {
        const TPresetName& preset = CaricaturePresets()[size_t(i)];
        if (value == preset.Caption || value == preset.Key) row = i;
      }
      if (row < 0) throw Exception("There is no preset \"" + value + "\"");
      lbPresets->setCurrentRow(row);
    } else if (name == "Strength") {
      tbStrength->setValue(ParseWholeNumber(value, 0, 100, name));
    } else if (name == "All faces") {
      cbAllFaces->setChecked(ParseSwitch(value, name));
    } else if (name == "Face") {
      const int faces = int(Faces_.size());
      ChooseFace(ParseWholeNumber(value, 1, std::max(1, faces), name) - 1);
    } else {
      throw Exception("The Auto Caricature dialog has no field \"" + name + "\"");
    }
  }
  if (answer.Ok) btnApplyClick();
  else btnCancelClick();
  return Confirmed_;
}

}  // namespace gs
