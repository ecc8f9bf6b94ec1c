#pragma once
// TForm1: the "Insert Text" dialog, one line of text for a new text layer.

#include "platform/Dialogs.h"

#include <QDialog>

class QLineEdit;

namespace gs {

class TForm1 : public QDialog, public TModalForm {
  Q_OBJECT

public:
  explicit TForm1(QWidget* parent = nullptr);

  QLineEdit* Edit1 = nullptr;
  void Button1Click();  // Ok
  void Button2Click();  // Cancel: empties the text

  std::string FormName() const override { return "Insert Text"; }
  bool ShowModal() override;
  bool AnswerScripted(const TFormAnswer& answer) override;
};

}  // namespace gs
