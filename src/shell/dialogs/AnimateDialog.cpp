// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/AnimateDialog.h"

#include "codecs/FileIO.h"
#include "codecs/PictureKinds.h"
#include "common/Errors.h"
#include "platform/WholeNumber.h"
#include "document/AnimationPreview.h"
#include "shell/dialogs/DialogButtons.h"
#include "shell/view/BitmapImage.h"
#include "platform/Guard.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace gs {

namespace {

QSpinBox* NewNumberField(int low, int high, int value, QWidget* parent) {
  auto* field = new QSpinBox(parent);
  field->setRange(low, high);
  field->setValue(value);
  return field;
}

int ParseField(const std::string& text, const QSpinBox& field, const std::string& name) {
  return ParseWholeNumber(text, field.minimum(), field.maximum(), name);
}

}  // namespace

TAnimateDialog::TAnimateDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Animate Caricature"));
  const TAnimationSettings defaults;
  seFrames = NewNumberField(kMinAnimationFrames, kMaxAnimationFrames, defaults.Frames, this);
  seDelay = NewNumberField(kMinFrameDelay, kMaxFrameDelay, defaults.DelayCentiseconds, this);
  cbLoop = new QCheckBox(QStringLiteral("Loop animation"), this);
  cbLoop->setChecked(defaults.Loop);
  cbBackAndForth = new QCheckBox(QStringLiteral("Play back and forth"), this);
  cbBackAndForth->setChecked(defaults.BackAndForth);
  cbDither = new QCheckBox(QStringLiteral("Dither"), this);
  cbDither->setChecked(defaults.Dither);
  cbDither->setToolTip(QStringLiteral("Mixes the GIF's 256 colours in fine patterns so that "
                                      "photos keep their smooth shades"));
  imgPreview = new QLabel(this);
  imgPreview->setFixedSize(kPreviewSide, kPreviewSide);
  imgPreview->setAlignment(Qt::AlignCenter);
  imgPreview->setFrameShape(QFrame::StyledPanel);
  lblOutput = new QLabel(QStringLiteral("No file chosen"), this);
  btnSaveAs = new QPushButton(QStringLiteral("Save As..."), this);
  btnOk = new QPushButton(QStringLiteral("Ok"), this);
  btnOk->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  PreviewTimer = new QTimer(this);

  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Frames"), seFrames);
  fields->addRow(QStringLiteral("Frame delay (1/100 s)"), seDelay);
  fields->addRow(cbLoop);
  fields->addRow(cbBackAndForth);
  fields->addRow(cbDither);
  auto* top = new QHBoxLayout;
  top->addLayout(fields);
  top->addWidget(imgPreview);
  auto* output = new QHBoxLayout;
  output->addWidget(btnSaveAs);
  output->addWidget(lblOutput, 1);
  QHBoxLayout* buttons = RightAlignedButtons({btnOk, btnCancel});
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(output);
  layout->addLayout(buttons);

  connect(seFrames, &QSpinBox::valueChanged, this, GuardedSlot([this] { seFramesChange(); }));
  connect(seDelay, &QSpinBox::valueChanged, this, GuardedSlot([this] { seDelayChange(); }));
  connect(cbLoop, &QCheckBox::toggled, this, GuardedSlot([this] { cbChange(); }));
  connect(cbBackAndForth, &QCheckBox::toggled, this, GuardedSlot([this] { cbChange(); }));
  connect(btnSaveAs, &QPushButton::clicked, this, GuardedSlot([this] { btnSaveAsClick(); }));
  connect(btnOk, &QPushButton::clicked, this, GuardedSlot([this] { btnOkClick(); }));
  connect(btnCancel, &QPushButton::clicked, this, GuardedSlot([this] { btnCancelClick(); }));
  connect(PreviewTimer, &QTimer::timeout, this, GuardedSlot([this] { PreviewTimerTimer(); }));
  seDelayChange();
}

TAnimateDialog::~TAnimateDialog() = default;

void TAnimateDialog::Prepare(const TAnimationScene& scene, std::string folder) {
  Confirmed_ = false;
  SetOutputPath("");
  Folder_ = std::move(folder);
  Preview_ = std::make_unique<TShrunkScene>(scene, kPreviewSide);
  // A photo's shades need dithering; a drawing's few colours fit the table as they are.
  cbDither->setChecked(SceneWantsDither(scene));
  seFramesChange();
}

void TAnimateDialog::Release() {
  PreviewTimer->stop();
  imgPreview->clear();
  PreviewFrames_.clear();
  PreviewOrder_.clear();
  Preview_.reset();
}

TAnimationSettings TAnimateDialog::Settings() const {
  return TAnimationSettings{seFrames->value(), seDelay->value(), cbLoop->isChecked(),
                            cbBackAndForth->isChecked(), cbDither->isChecked()};
}

void TAnimateDialog::SetOutputPath(const std::string& path) {
  OutputPath_ = path;
  lblOutput->setText(path.empty() ? QStringLiteral("No file chosen")
                                  : QString::fromStdString(ExtractFileName(path)));
  lblOutput->setToolTip(QString::fromStdString(path));
}

int TAnimateDialog::ShownFrame() const {
  if (PreviewOrder_.empty()) return -1;
  return PreviewOrder_[std::min(PreviewPosition_, PreviewOrder_.size() - 1)];
}

void TAnimateDialog::seFramesChange() {
  if (!Preview_) return;
  PreviewFrames_ = RenderAnimationFrames(Preview_->Scene(), seFrames->value());
  RestartPreview();
}

void TAnimateDialog::seDelayChange() {
  // The delay is in hundredths of a second; the timer counts milliseconds.
  PreviewTimer->setInterval(seDelay->value() * 10);
}

void TAnimateDialog::cbChange() { RestartPreview(); }

void TAnimateDialog::RestartPreview() {
  if (PreviewFrames_.empty()) return;
  PreviewOrder_ = AnimationOrder(int(PreviewFrames_.size()), cbBackAndForth->isChecked());
  PreviewPosition_ = 0;
  ShowPreviewFrame();
  PreviewTimer->start();
}

void TAnimateDialog::PreviewTimerTimer() {
  if (PreviewOrder_.empty()) return;
  if (PreviewPosition_ + 1 < PreviewOrder_.size()) {
    ++PreviewPosition_;
  } else if (cbLoop->isChecked()) {
    PreviewPosition_ = 0;
  } else {
    // Played once, as the file will be: the last frame stays.
    PreviewTimer->stop();
    return;
  }
  ShowPreviewFrame();
}

void TAnimateDialog::ShowPreviewFrame() {
  const int frame = ShownFrame();
  if (frame < 0 || frame >= int(PreviewFrames_.size())) return;
  imgPreview->setPixmap(PixmapOf(PreviewFrames_[size_t(frame)]));
}

void TAnimateDialog::btnSaveAsClick() {
  // GIF or animated WebP, by the name's extension.
  const std::string filter = PictureFilterOf({TPictureKindId::Gif, TPictureKindId::Webp});
  const TFileDialogRequest request{"Save Animation As", filter, kAnimationDefaultExt, Folder_, true};
  const std::optional<std::string> path = Dialogs().SaveFile(request);
  if (path) SetOutputPath(*path);
}

void TAnimateDialog::btnOkClick() {
  if (OutputPath_.empty()) btnSaveAsClick();
  if (OutputPath_.empty()) return;
  Confirmed_ = true;
  Release();
  accept();
}

void TAnimateDialog::btnCancelClick() {
  Confirmed_ = false;
  Release();
  reject();
}

bool TAnimateDialog::ShowModal() {
  exec();
  Release();  // closed from the title bar or with Escape
  return Confirmed_;
}

bool TAnimateDialog::AnswerScripted(const TFormAnswer& answer) {
  Confirmed_ = false;
  for (const auto& [name, value] : answer.Fields) {
    if (name == "Frames") seFrames->setValue(ParseField(value, *seFrames, name));
    else if (name == "Frame delay") seDelay->setValue(ParseField(value, *seDelay, name));
    else if (name == "Loop animation") cbLoop->setChecked(ParseSwitch(value, name));
    else if (name == "Play back and forth") cbBackAndForth->setChecked(ParseSwitch(value, name));
    else if (name == "Dither") cbDither->setChecked(ParseSwitch(value, name));
    else if (name == "Save As...") SetOutputPath(value);
    else throw Exception("The Animate Caricature dialog has no field \"" + name + "\"");
  }
  if (answer.Ok) btnOkClick();
  else btnCancelClick();
  return Confirmed_;
}

}  // namespace gs
