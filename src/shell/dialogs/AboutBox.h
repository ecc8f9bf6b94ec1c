// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TForm2: the borderless about box with the product artwork. Shown once without blocking when
// the main window first comes up, and modally from Help > About.

#include "platform/Dialogs.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace gs {

class TForm2 : public QDialog, public TModalForm {
  Q_OBJECT

public:
  explicit TForm2(QWidget* parent = nullptr);

  QLabel* Image1 = nullptr;   // the artwork filling the box
  QWidget* Image2 = nullptr;  // 25 x 25 close area in the top-right corner
  QPushButton* Button1 = nullptr;  // "OK"
  QCheckBox* AtStart = nullptr;    // "Show the about box at start"

  // Whether the box comes up by itself when the main window first shows; a setting.
  bool ShowAtStart() const;
  void SetShowAtStart(bool show);

  void Image2Click();
  void Button1Click();

  std::string FormName() const override { return "About"; }
  bool ShowModal() override;
  // Takes no fields; either answer closes the box.
  bool AnswerScripted(const TFormAnswer& answer) override;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// The main window's activation step: the first activation shows the box without blocking (unless
// the user switched that off in the box) and sets `aboutShown`; every later one closes it if it is still up, so it goes away as soon as the
// user returns to the main window.
void ActivateAboutBox(TForm2& about, bool& aboutShown);

// Help > About: the box shown modally through the dialog service.
void ShowAboutBox(TForm2& about);

}  // namespace gs
