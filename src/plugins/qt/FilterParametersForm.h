// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The parameters dialog a filter module asks the host for (the Grimacer dialog suite): a title,
// whole-number fields with their ranges, OK and Cancel. A script answers it by the dialog's
// title with the fields' labels.

#include "platform/Dialogs.h"
#include "plugins/PSFilterHost.h"

#include <QDialog>

#include <vector>

class QSpinBox;

namespace gs {

class TFilterParametersForm : public QDialog, public TModalForm {
  Q_OBJECT

public:
  TFilterParametersForm(const std::string& title, const std::vector<TNumberField>& fields,
                        QWidget* parent = nullptr);

  // The fields with the values as they stand in the form.
  std::vector<TNumberField> Values() const;

  std::string FormName() const override { return Title_; }
  bool ShowModal() override;
  bool AnswerScripted(const TFormAnswer& answer) override;

private:
  std::string Title_;
  std::vector<TNumberField> Fields_;
  std::vector<QSpinBox*> Boxes_;
};

// Shows the form through the dialog service; true when confirmed, with the fields' values set.
bool AskFilterNumbers(const std::string& title, std::vector<TNumberField>& fields, QWidget* parent = nullptr);

}  // namespace gs
