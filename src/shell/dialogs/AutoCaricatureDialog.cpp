// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/AutoCaricatureDialog.h"

#include "common/Errors.h"
#include "platform/Guard.h"
#include "platform/WholeNumber.h"
#include "shell/dialogs/DialogButtons.h"
#include "shell/dialogs/FaceChooser.h"
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

TAutoCaricatureDialog::TAutoCaricatureDialog(QWidget* parent)
    : TFaceDialog(parent, QStringLiteral("Auto Caricature"),
                  [this](TCaricaturePreview& preview, int face) -> const TBitmap32& {
                    return preview.Render(Preset(), Strength(), face);
                  }) {
  Chooser->Chosen = [this](int face) { FaceChosen(face); };

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

  auto* strength = new QHBoxLayout;
  strength->addWidget(new QLabel(QStringLiteral("Strength"), this));
  strength->addWidget(tbStrength, 1);
  strength->addWidget(lblStrength);
  strength->addSpacing(12);
  strength->addWidget(Chooser->cbAllFaces);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Chooser);
  layout->addWidget(lbPresets);
  layout->addLayout(strength);
  layout->addLayout(RightAlignedButtons({btnApply, btnCancel}));
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(lbPresets, &QListWidget::currentRowChanged, this, [this] { RunGuarded([this] { PresetChange(); }); });
  // A double click on a preset is the quick way: choose it and apply.
  connect(lbPresets, &QListWidget::itemDoubleClicked, this, [this] { RunGuarded([this] { btnApplyClick(); }); });
  connect(tbStrength, &QSlider::valueChanged, this, [this] { RunGuarded([this] { StrengthChange(); }); });
  StrengthChange();
}

TAutoCaricatureDialog::~TAutoCaricatureDialog() = default;

void TAutoCaricatureDialog::Prepare(const TBitmap32& picture, const std::vector<TFace>& faces) {
  if (faces.empty()) throw Exception("Auto Caricature needs a face");
  Confirmed_ = false;
  Chooser->Prepare(picture, faces);
}

void TAutoCaricatureDialog::Release() {
  Chooser->Release();
  Thumbnails_.reset();
}

TCaricaturePreset TAutoCaricatureDialog::Preset() const {
  const int row = std::max(0, lbPresets->currentRow());
  return CaricaturePresets()[size_t(row)].Preset;
}

double TAutoCaricatureDialog::Strength() const { return tbStrength->value() / 100.0; }

void TAutoCaricatureDialog::FaceChosen(int face) {
  // The thumbnails show the chosen face alone, whether or not all faces are bent.
  Thumbnails_ = PreviewAround(*Chooser->Picture(), Chooser->Faces(), face, 1.8, kThumbnailSide);
  ShowThumbnails();
}

void TAutoCaricatureDialog::PresetChange() { Chooser->ShowPreview(); }

void TAutoCaricatureDialog::StrengthChange() {
  lblStrength->setText(QStringLiteral("%1 %").arg(tbStrength->value()));
  ShowThumbnails();
  Chooser->ShowPreview();
}

void TAutoCaricatureDialog::ShowThumbnails() {
  if (!Thumbnails_) return;
  for (int row = 0; row < lbPresets->count(); ++row) {
    const TBitmap32& shown = Thumbnails_->Render(CaricaturePresets()[size_t(row)].Preset, Strength(), Chooser->Face());
    lbPresets->item(row)->setIcon(QIcon(QPixmap::fromImage(OnCheckerboard(shown))));
  }
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
    } else if (!Chooser->AnswerScripted(name, value)) {
      throw Exception("The Auto Caricature dialog has no field \"" + name + "\"");
    }
  }
  return FinishAnswer(answer.Ok);
}

}  // namespace gs
