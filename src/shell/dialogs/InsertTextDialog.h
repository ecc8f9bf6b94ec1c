// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TForm1: the "Insert Text" dialog, one line of text for a new text layer and the colour it is
// drawn in. The font dialog has no colour, so the colour lives here and stays between uses.

#include "platform/Dialogs.h"

#include <QDialog>

class QLineEdit;

namespace gs {

class TColorSelector;

class TForm1 : public QDialog, public TModalForm {
  Q_OBJECT

public:
  explicit TForm1(QWidget* parent = nullptr);

  QLineEdit* Edit1 = nullptr;
  TColorSelector* btnColor = nullptr;  // shows the text colour
  TColor TextColor() const;
  void Button1Click();   // Ok
  void Button2Click();   // Cancel: empties the text
  void btnColorClick();  // the colour dialog, starting at the text colour
  // Escape and the title bar's close button cancel as the Cancel button does.
  void reject() override;

  std::string FormName() const override { return "Insert Text"; }
  bool ShowModal() override;
  bool AnswerScripted(const TFormAnswer& answer) override;
};

}  // namespace gs
