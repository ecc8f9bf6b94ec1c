// SPDX-License-Identifier: GPL-3.0-or-later
#include "plugins/qt/FilterParametersForm.h"

#include "common/Errors.h"
#include "platform/WholeNumber.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

namespace gs {

TFilterParametersForm::TFilterParametersForm(const std::string& title, const std::vector<TNumberField>& fields,
                                             QWidget* parent)
    : QDialog(parent), Title_(title), Fields_(fields) {
  setWindowTitle(QString::fromStdString(title));
  auto* form = new QFormLayout;
  for (const TNumberField& field : Fields_) {
    auto* box = new QSpinBox(this);
    box->setRange(field.Minimum, field.Maximum);
    box->setValue(field.Value);
    form->addRow(QString::fromStdString(field.Label), box);
    Boxes_.push_back(box);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

std::vector<TNumberField> TFilterParametersForm::Values() const {
  std::vector<TNumberField> out = Fields_;
  for (size_t i = 0; i < out.size(); ++i) out[i].Value = Boxes_[i]->value();
  return out;
}

bool TFilterParametersForm::ShowModal() { return exec() == QDialog::Accepted; }

bool TFilterParametersForm::AnswerScripted(const TFormAnswer& answer) {
  for (const auto& [name, value] : answer.Fields) {
    size_t i = 0;
    while (i < Fields_.size() && Fields_[i].Label != name) ++i;
    if (i == Fields_.size()) throw Exception("The " + Title_ + " dialog has no field \"" + name + "\"");
    Boxes_[i]->setValue(ParseWholeNumber(value, Fields_[i].Minimum, Fields_[i].Maximum, name));
  }
  if (answer.Ok) accept();
  else reject();
  return answer.Ok;
}

bool AskFilterNumbers(const std::string& title, std::vector<TNumberField>& fields, QWidget* parent) {
  TFilterParametersForm form(title, fields, parent);
  if (!Dialogs().RunForm(form)) return false;
  fields = form.Values();
  return true;
}

}  // namespace gs
