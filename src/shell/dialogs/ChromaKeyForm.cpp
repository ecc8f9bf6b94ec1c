// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/ChromaKeyForm.h"

#include "adjust/ChromaKey.h"
#include "common/Errors.h"
#include "platform/WholeNumber.h"
#include "document/PictureFiles.h"
#include "shell/dialogs/DialogButtons.h"
#include "shell/view/BitmapImage.h"
#include "platform/Guard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace gs {

std::string ToleranceText(int position) {
  return QString::number(double(position) * 16.0 / 160.0, 'g', 15).toStdString();
}

TfrmChromaKey::TfrmChromaKey(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Chromakey Options"));
  setFixedSize(363, 469);
  Label3 = new QLabel(QStringLiteral("Effect"), this);
  rbtnTransparency = new QRadioButton(QStringLiteral("Make transparency from selected color"), this);
  rbtnBackground = new QRadioButton(QStringLiteral("Insert background image"), this);
  rbtnBackground->setChecked(true);
  btnBrowse = new QPushButton(QStringLiteral("Browse..."), this);
  imgBackground = new QLabel(this);
  imgBackground->setAlignment(Qt::AlignCenter);
  imgBackground->setFrameShape(QFrame::StyledPanel);
  imgBackground->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  lblColorTolerance = new QLabel(QStringLiteral("Color Tolerance:"), this);
  lblColorToleranceValue = new QLabel(QStringLiteral("0%"), this);
  trbColorTolerance = new QSlider(Qt::Horizontal, this);
  trbColorTolerance->setRange(kMinChromaTolerance, kMaxChromaTolerance);
  trbColorTolerance->setTickInterval(4);
  trbColorTolerance->setTickPosition(QSlider::TicksBelow);
  btnOk = new QPushButton(QStringLiteral("Ok"), this);
  btnOk->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label3);
  layout->addWidget(rbtnTransparency);
  layout->addWidget(rbtnBackground);
  auto* browseRow = new QHBoxLayout;
  browseRow->addStretch();
  browseRow->addWidget(btnBrowse);
  layout->addLayout(browseRow);
  layout->addWidget(imgBackground, 1);
  auto* toleranceRow = new QHBoxLayout;
  toleranceRow->addWidget(lblColorTolerance);
  toleranceRow->addWidget(lblColorToleranceValue);
  toleranceRow->addStretch();
  layout->addLayout(toleranceRow);
  layout->addWidget(trbColorTolerance);
  QHBoxLayout* buttons = RightAlignedButtons({btnOk, btnCancel});
  layout->addLayout(buttons);

  connect(rbtnTransparency, &QRadioButton::clicked, this, GuardedSlot([this] { rbtnClick(); }));
  connect(rbtnBackground, &QRadioButton::clicked, this, GuardedSlot([this] { rbtnClick(); }));
  connect(btnBrowse, &QPushButton::clicked, this, GuardedSlot([this] { btnBrowseClick(); }));
  connect(btnOk, &QPushButton::clicked, this, GuardedSlot([this] { btnOkClick(); }));
  connect(btnCancel, &QPushButton::clicked, this, GuardedSlot([this] { btnCancelClick(); }));
  connect(trbColorTolerance, &QSlider::valueChanged, this, GuardedSlot([this] { trbColorToleranceChange(); }));
  trbColorTolerance->setValue(kDefaultChromaTolerance);
  rbtnClick();
}

void TfrmChromaKey::rbtnClick() { btnBrowse->setEnabled(rbtnBackground->isChecked()); }

void TfrmChromaKey::btnBrowseClick() {
  TFileDialogRequest request{"Open", OpenPictureFilter(), "", "", false};
  const std::optional<std::string> path = Dialogs().OpenFile(request);
  if (path) LoadBackground(*path);
}

void TfrmChromaKey::LoadBackground(const std::string& path) {
  // Marked as chosen only once the file has loaded: a failed load must not leave an empty
  // picture that "Ok" would accept as the background.
  TDecodedPicture picture = LoadGraphicFile(path);
  Background_ = std::move(picture.Bitmap);
  BackgroundChosen_ = true;
  ShowBackground();
}

void TfrmChromaKey::ShowBackground() {
  if (Background_.Empty()) {
    imgBackground->clear();
    return;
  }
  const QImage image = WrappedImage(Background_);
  const QSize room = imgBackground->size().expandedTo(QSize(1, 1));
  imgBackground->setPixmap(
      QPixmap::fromImage(image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void TfrmChromaKey::btnOkClick() {
  if (rbtnBackground->isChecked() && !BackgroundChosen_) {
    ShowMessage("Please select background image first.");
    return;
  }
  Confirmed_ = true;
  accept();
}

void TfrmChromaKey::btnCancelClick() {
  Confirmed_ = false;
  reject();
}

void TfrmChromaKey::trbColorToleranceChange() {
  lblColorToleranceValue->setText(
      QString::fromStdString(ToleranceText(trbColorTolerance->value())) + QStringLiteral("%"));
}

int TfrmChromaKey::Threshold() const { return ChromaThreshold(trbColorTolerance->value()); }

std::optional<TBitmap32> TfrmChromaKey::BackgroundPicture() const {
  if (!rbtnBackground->isChecked()) return std::nullopt;
  return Background_;
}

bool TfrmChromaKey::ShowModal() {
  Confirmed_ = false;
  ShowBackground();
  exec();
  return Confirmed_;
}

bool TfrmChromaKey::AnswerScripted(const TFormAnswer& answer) {
  Confirmed_ = false;
  for (const auto& [name, value] : answer.Fields) {
    if (name == "Make transparency from selected color" || name == "Insert background image") {
      if (value != "on") throw Exception(name + " can only be set \"on\", not \"" + value + "\"");
      (name == "Insert background image" ? rbtnBackground : rbtnTransparency)->setChecked(true);
      rbtnClick();
    } else if (name == "Browse...") {
      if (!btnBrowse->isEnabled())
        throw Exception("Browse... is disabled while \"Insert background image\" is not checked");
      LoadBackground(value);
    } else if (name == "Color Tolerance") {
      trbColorTolerance->setValue(
          ParseWholeNumber(value, kMinChromaTolerance, kMaxChromaTolerance, name));
    } else {
      throw Exception("The Chromakey Options dialog has no field \"" + name + "\"");
    }
  }
  if (answer.Ok) btnOkClick();
  else btnCancelClick();
  return Confirmed_;
}

}  // namespace gs
