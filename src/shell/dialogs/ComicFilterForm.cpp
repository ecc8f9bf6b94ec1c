// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/ComicFilterForm.h"

#include "adjust/Posterize.h"
#include "common/Errors.h"
#include "platform/WholeNumber.h"
#include "platform/Guard.h"

#include <QFont>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace gs {

namespace {
QSlider* NewTrackBar(QWidget* parent) {
  auto* bar = new QSlider(Qt::Horizontal, parent);
  bar->setRange(kMinPosterizeStep, kMaxPosterizeStep);
  bar->setValue(1);
  return bar;
}

int ParseStep(const std::string& text, const std::string& name) {
  return ParseWholeNumber(text, kMinPosterizeStep, kMaxPosterizeStep, name);
}
}  // namespace

TComicFilterForm::TComicFilterForm(const TBitmap32& picture, QWidget* parent)
    : QDialog(parent), Unfiltered_(picture), Preview_(picture) {
  setWindowTitle(QStringLiteral("Comic Filter"));
  setFont(QFont(QStringLiteral("Tahoma"), 8));
  resize(497, 436);
  DstImg = new QLabel(this);
  DstImg->setAlignment(Qt::AlignCenter);
  DstImg->setMinimumSize(1, 1);
  DstImg->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  Label1 = new QLabel(QStringLiteral("Radius of a mask"), this);
  Label2 = new QLabel(QStringLiteral("Percent black"), this);
  Label3 = new QLabel(QStringLiteral("Posterize"), this);
  TrackBar1 = NewTrackBar(this);
  TrackBar2 = NewTrackBar(this);
  TrackBar3 = NewTrackBar(this);
  auto* ok = new QPushButton(QStringLiteral("Ok"), this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);

  auto* panel = new QVBoxLayout;
  for (auto [label, bar] : {std::pair{Label1, TrackBar1}, {Label2, TrackBar2}, {Label3, TrackBar3}}) {
    panel->addWidget(label);
    panel->addWidget(bar);
  }
  panel->addStretch();
  panel->addWidget(ok);
  panel->addWidget(cancel);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(DstImg, 1);
  layout->addLayout(panel);

  connect(TrackBar3, &QSlider::valueChanged, this, GuardedSlot([this] { Button1Click(); }));
  connect(ok, &QPushButton::clicked, this, GuardedSlot([this] { Button1Click(); }));
  connect(cancel, &QPushButton::clicked, this, GuardedSlot([this] { Button2Click(); }));
  ShowPreview();
}

void TComicFilterForm::Button1Click() {
  // Always from the unfiltered copy, so that pressing "Ok" again gives the same picture.
  TBitmap32 filtered = Unfiltered_;
  Posterize(filtered, TrackBar3->value());
  Preview_ = std::move(filtered);
  ShowPreview();
}

void TComicFilterForm::Button2Click() { reject(); }

void TComicFilterForm::ShowPreview() {
  if (Preview_.Empty()) {
    DstImg->clear();
    return;
  }
  const QImage image(reinterpret_cast<const uchar*>(Preview_.Bits()), Preview_.Width(),
                     Preview_.Height(), qsizetype(Preview_.Width()) * 4, QImage::Format_ARGB32);
  const QSize room = DstImg->size().expandedTo(QSize(1, 1));
  DstImg->setPixmap(QPixmap::fromImage(
      image.scaled(room, Qt::KeepAspectRatio, Qt::FastTransformation)));
  DstImg->repaint();
}

void TComicFilterForm::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  RunGuarded([this] { ShowPreview(); });
}

bool TComicFilterForm::ShowModal() {
  exec();
  return false;  // the preview is never taken over
}

bool TComicFilterForm::AnswerScripted(const TFormAnswer& answer) {
  for (const auto& [name, value] : answer.Fields) {
    if (name == "Radius of a mask") TrackBar1->setValue(ParseStep(value, name));
    else if (name == "Percent black") TrackBar2->setValue(ParseStep(value, name));
    else if (name == "Posterize") TrackBar3->setValue(ParseStep(value, name));
    else throw Exception("The Comic Filter dialog has no field \"" + name + "\"");
  }
  if (answer.Ok) {
    Button1Click();
    accept();
    return true;
  }
  Button2Click();
  return false;
}

}  // namespace gs
