// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tfsize: the "Image Size" dialog. Collects a new canvas size, keeping the proportions while
// "Constrain Proportions" is checked.

#include "platform/Dialogs.h"

#include <QDialog>

class QCheckBox;
class QSpinBox;

namespace gs {

class Tfsize : public QDialog, public TModalForm {
  Q_OBJECT

public:
  explicit Tfsize(QWidget* parent = nullptr);

  // Starts the dialog for a picture of this size: limits, fields and the confirmed flag.
  void Prepare(int width, int height);
  int ChosenWidth() const;
  int ChosenHeight() const;
  bool Confirmed() const { return Confirmed_; }

  std::string FormName() const override { return "Image Size"; }
  bool ShowModal() override;
  bool AnswerScripted(const TFormAnswer& answer) override;

  // Controls, named as on the form.
  QSpinBox* Edit1 = nullptr;  // width
  QSpinBox* Edit2 = nullptr;  // height
  QCheckBox* CheckBox1 = nullptr;

  void Edit1Change();
  void Edit2Change();
  void SpeedButton1Click();  // Ok
  void SpeedButton2Click();  // Cancel

private:
  int StartWidth_ = 0;
  int StartHeight_ = 0;
  bool Confirmed_ = false;
  bool WidthChanging_ = false;
  bool HeightChanging_ = false;
};

}  // namespace gs
