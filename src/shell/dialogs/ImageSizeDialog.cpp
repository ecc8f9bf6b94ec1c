// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/ImageSizeDialog.h"

#include "common/Errors.h"
#include "common/Fixed.h"
#include "platform/WholeNumber.h"
#include "document/Canvas.h"
#include "shell/dialogs/DialogButtons.h"
#include "platform/Guard.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace gs {

namespace {
QSpinBox* NewSideField(QWidget* parent) {
  auto* field = new QSpinBox(parent);
  field->setGroupSeparatorShown(true);  // whole numbers with thousands separators
  field->setKeyboardTracking(true);
  return field;
}
}  // namespace

Tfsize::Tfsize(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Grimacer Studio  3.0"));
  auto* group = new QGroupBox(QStringLiteral("Image Size"), this);
  Edit1 = NewSideField(group);
  Edit2 = NewSideField(group);
  CheckBox1 = new QCheckBox(QStringLiteral("Constrain Proportions"), group);
  CheckBox1->setChecked(true);
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel(QStringLiteral("Image Width "), group), 0, 0);
  grid->addWidget(Edit1, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Image Height "), group), 1, 0);
  grid->addWidget(Edit2, 1, 1);
  grid->addWidget(CheckBox1, 2, 0, 1, 2);
  auto* ok = new QPushButton(QStringLiteral("Ok"), this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  ok->setDefault(true);
  QHBoxLayout* buttons = RightAlignedButtons({ok, cancel});
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(buttons);
  connect(Edit1, &QSpinBox::valueChanged, this, GuardedSlot([this] { Edit1Change(); }));
  connect(Edit2, &QSpinBox::valueChanged, this, GuardedSlot([this] { Edit2Change(); }));
  connect(ok, &QPushButton::clicked, this, GuardedSlot([this] { SpeedButton1Click(); }));
  connect(cancel, &QPushButton::clicked, this, GuardedSlot([this] { SpeedButton2Click(); }));
}

void Tfsize::Prepare(int width, int height) {
  Confirmed_ = false;
  StartWidth_ = width;
  StartHeight_ = height;
  WidthChanging_ = HeightChanging_ = true;  // filling the fields is not an edit
  const TSideLimits w = ImageSideLimits(width);
  const TSideLimits h = ImageSideLimits(height);
  Edit1->setRange(w.Min, w.Max);
  Edit2->setRange(h.Min, h.Max);
  Edit1->setValue(width);
  Edit2->setValue(height);
  WidthChanging_ = HeightChanging_ = false;
}

int Tfsize::ChosenWidth() const { return Edit1->value(); }
int Tfsize::ChosenHeight() const { return Edit2->value(); }

void Tfsize::Edit1Change() {
  if (HeightChanging_) return;
  WidthChanging_ = true;
  if (CheckBox1->isChecked())
    Edit2->setValue(int(std::lround(ProportionalSide(StartWidth_, StartHeight_, Edit1->value()))));
  WidthChanging_ = false;
}

void Tfsize::Edit2Change() {
  if (WidthChanging_) return;
  HeightChanging_ = true;
  if (CheckBox1->isChecked())
    Edit1->setValue(int(std::lround(ProportionalSide(StartHeight_, StartWidth_, Edit2->value()))));
  HeightChanging_ = false;
}

void Tfsize::SpeedButton1Click() {
  Confirmed_ = true;
  accept();
}

void Tfsize::SpeedButton2Click() {
  Confirmed_ = false;
  reject();
}

bool Tfsize::ShowModal() {
  exec();
  return Confirmed_;
}

namespace {
int ParseSide(const std::string& text, const QSpinBox& field, const std::string& name) {
  return ParseWholeNumber(text, field.minimum(), field.maximum(), name);
}
}  // namespace

bool Tfsize::AnswerScripted(const TFormAnswer& answer) {
  for (const auto& [name, value] : answer.Fields) {
    if (name == "Image Width") Edit1->setValue(ParseSide(value, *Edit1, name));
    else if (name == "Image Height") Edit2->setValue(ParseSide(value, *Edit2, name));
    else if (name == "Constrain Proportions") CheckBox1->setChecked(value == "on");
    else throw Exception("The Image Size dialog has no field \"" + name + "\"");
  }
  if (answer.Ok) SpeedButton1Click();
  else SpeedButton2Click();
  return Confirmed_;
}

}  // namespace gs
