// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/FaceSculptDialog.h"

#include "common/Errors.h"
#include "platform/Guard.h"
#include "platform/WholeNumber.h"
#include "shell/dialogs/DialogButtons.h"
#include "shell/dialogs/FaceChooser.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>
#include <map>

namespace gs {

namespace {

QSlider* NewSlider(QWidget* parent, int low, int high) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setRange(low, high);
  slider->setValue(0);
  slider->setMinimumWidth(110);
  return slider;
}

}  // namespace

TFaceSculptDialog::TFaceSculptDialog(QWidget* parent)
    : TFaceDialog(parent, QStringLiteral("Face Sculpt"),
                  [this](TCaricaturePreview& preview, int face) -> const TBitmap32& {
                    return preview.Render(Sculpt(), Model_ ? &*Model_ : nullptr, face);
                  }) {

  // One group per feature; the eyes with a column per eye.
  std::map<std::string, std::pair<QGroupBox*, QGridLayout*>> groups;
  auto groupOf = [&](const char* name) {
    auto& g = groups[name];
    if (!g.first) {
      g.first = new QGroupBox(QString::fromUtf8(name), this);
      g.second = new QGridLayout(g.first);
    }
    return g;
  };
  cbLinkEyes = new QCheckBox(QStringLiteral("Left and right together"), this);
  cbLinkEyes->setChecked(true);
  {
    auto [box, grid] = groupOf("Eyes");
    grid->addWidget(new QLabel(QStringLiteral("Left"), box), 0, 1, Qt::AlignCenter);
    grid->addWidget(new QLabel(QStringLiteral("Right"), box), 0, 2, Qt::AlignCenter);
  }
  for (const TSculptSliderName& s : SculptSliders()) {
    auto [box, grid] = groupOf(s.Group);
    const int row = grid->rowCount();
    const size_t k = size_t(s.Slider);
    grid->addWidget(new QLabel(QString::fromUtf8(s.Caption), box), row, 0);
    const int eyes = IsEyeSlider(s.Slider) ? 2 : 1;
    for (int eye = 0; eye < eyes; ++eye) {
      tbSliders[k][size_t(eye)] = NewSlider(box, -kSculptLimit, kSculptLimit);
      tbSliders[k][size_t(eye)]->setObjectName(QString::fromUtf8(s.Key) + (eyes == 2 ? (eye ? "Right" : "Left") : ""));
      grid->addWidget(tbSliders[k][size_t(eye)], row, 1 + eye, 1, eyes == 2 ? 1 : 2);
      connect(tbSliders[k][size_t(eye)], &QSlider::valueChanged, this,
              [this, slider = s.Slider, eye] { RunGuarded([this, slider, eye] { SliderChange(slider, eye); }); });
    }
    lblSliders[k] = new QLabel(box);
    lblSliders[k]->setMinimumWidth(64);
    grid->addWidget(lblSliders[k], row, 3);
  }
  {
    auto [box, grid] = groupOf("Eyes");
    grid->addWidget(cbLinkEyes, grid->rowCount(), 0, 1, 4);
  }

  tbExaggerate = NewSlider(this, 0, kExaggerateLimit);
  tbExaggerate->setObjectName(QStringLiteral("Exaggerate"));
  tbExaggerate->setToolTip(QStringLiteral("More of what makes this face differ from the average face"));
  lblExaggerate = new QLabel(this);
  lblExaggerate->setMinimumWidth(48);
  btnReset = new QPushButton(QStringLiteral("Reset"), this);

  auto* left = new QVBoxLayout;
  left->addWidget(groups["Eyes"].first);
  left->addWidget(groups["Nose"].first);
  auto* right = new QVBoxLayout;
  right->addWidget(groups["Mouth"].first);
  right->addWidget(groups["Face"].first);
  auto* sliders = new QHBoxLayout;
  sliders->addLayout(left);
  sliders->addLayout(right);
  auto* exaggerate = new QHBoxLayout;
  exaggerate->addWidget(new QLabel(QStringLiteral("Exaggerate"), this));
  exaggerate->addWidget(tbExaggerate, 1);
  exaggerate->addWidget(lblExaggerate);
  exaggerate->addSpacing(12);
  exaggerate->addWidget(Chooser->cbAllFaces);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnReset);
  buttons->addStretch(1);
  buttons->addLayout(RightAlignedButtons({btnApply, btnCancel}));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Chooser);
  layout->addLayout(sliders);
  layout->addLayout(exaggerate);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(tbExaggerate, &QSlider::valueChanged, this, [this] { RunGuarded([this] { ShowValues(), Chooser->ShowPreview(); }); });
  connect(btnReset, &QPushButton::clicked, this, [this] { RunGuarded([this] { Reset(); }); });
  ShowValues();
}

TFaceSculptDialog::~TFaceSculptDialog() = default;

void TFaceSculptDialog::Prepare(const TBitmap32& picture, const std::vector<TFace>& faces,
                                std::optional<TShapeModel> model) {
  if (faces.empty()) throw Exception("Face Sculpt needs a face");
  Confirmed_ = false;
  Model_ = std::move(model);
  tbExaggerate->setEnabled(Model_.has_value());
  Resetting_ = true;
  Reset();
  Resetting_ = false;
  Chooser->Prepare(picture, faces);
}

void TFaceSculptDialog::Release() { Chooser->Release(); }

TSculpt TFaceSculptDialog::Sculpt() const {
  TSculpt sculpt;
  for (int k = 0; k < kSculptSliderCount; ++k)
    for (int eye = 0; eye < 2; ++eye) {
      const QSlider* slider = tbSliders[size_t(k)][size_t(eye)] ? tbSliders[size_t(k)][size_t(eye)] : tbSliders[size_t(k)][0];
      sculpt.Values[size_t(k)][size_t(eye)] = slider->value();
    }
  sculpt.Exaggerate = Model_ ? tbExaggerate->value() : 0;
  return sculpt;
}

void TFaceSculptDialog::Reset() {
  {
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;
    for (auto& pair : tbSliders)
      for (QSlider* slider : pair)
        if (slider) {
          quiet.push_back(std::make_unique<QSignalBlocker>(slider));
          slider->setValue(0);
        }
    const QSignalBlocker quietExaggerate(tbExaggerate);
    tbExaggerate->setValue(0);
  }
  ShowValues();
  if (!Resetting_) Chooser->ShowPreview();
}

void TFaceSculptDialog::SliderChange(TSculptSlider slider, int eye) {
  auto& pair = tbSliders[size_t(slider)];
  if (IsEyeSlider(slider) && cbLinkEyes->isChecked()) {
    QSlider* other = pair[size_t(1 - eye)];
    const QSignalBlocker quiet(other);
    other->setValue(pair[size_t(eye)]->value());
  }
  ShowValues();
  Chooser->ShowPreview();
}

void TFaceSculptDialog::ShowValues() {
  const TSculpt sculpt = Sculpt();
  for (const TSculptSliderName& s : SculptSliders()) {
    const int a = sculpt.Value(s.Slider, 0), b = sculpt.Value(s.Slider, 1);
    lblSliders[size_t(s.Slider)]->setText(IsEyeSlider(s.Slider) && a != b ? QStringLiteral("%1 / %2").arg(a).arg(b)
                                                                           : QString::number(a));
  }
  lblExaggerate->setText(QStringLiteral("%1 %").arg(tbExaggerate->value()));
}

bool TFaceSculptDialog::AnswerScripted(const TFormAnswer& answer) {
  Confirmed_ = false;
  Reset();
  for (const auto& [name, value] : answer.Fields) {
    if (const std::optional<TSculptSlider> slider = SculptSliderByKey(name)) {
      const int v = ParseWholeNumber(value, -kSculptLimit, kSculptLimit, name);
      for (QSlider* s : tbSliders[size_t(*slider)])
        if (s) s->setValue(v);
    } else if (name == "Exaggerate") {
      if (!Model_) throw Exception("Exaggerate needs the face model's mean face");
      tbExaggerate->setValue(ParseWholeNumber(value, 0, kExaggerateLimit, name));
    } else if (!Chooser->AnswerScripted(name, value)) {
      throw Exception("The Face Sculpt dialog has no field \"" + name + "\"");
    }
  }
  return FinishAnswer(answer.Ok);
}

}  // namespace gs
