// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TLoadPluginForm: the "Load Filters" dialog. The user names a folder of filter modules (typed,
// or picked with "..."), chooses whether its sub-folders count, and loads it into the Filters
// menu.

#include "platform/Dialogs.h"

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace gs {

class TLoadPluginForm : public QDialog, public TModalForm {
  Q_OBJECT

public:
  // `buildFilterMenu` scans a folder into the Filters menu (the window's BuildFilterMenu).
  explicit TLoadPluginForm(std::function<void(const std::string& folder, bool includeSubDirectories)> buildFilterMenu,
                           QWidget* parent = nullptr);

  // Controls, named as on the form.
  QLineEdit* Edit1 = nullptr;
  QPushButton* Button3 = nullptr;  // "..."
  QCheckBox* chkInclude = nullptr;
  QPushButton* Button1 = nullptr;  // "&Load"
  QPushButton* Button2 = nullptr;  // "&Cancel"

  void Button3Click();
  void Button1Click();
  void Button2Click();

  // Script fields: "Plug-In Directory" (a path), "Include sub-directories" (on/off), and "..."
  // (any value: presses the button, so the folder picker is asked).
  std::string FormName() const override { return "Load Filters"; }
  bool ShowModal() override;
  bool AnswerScripted(const TFormAnswer& answer) override;

private:
  std::function<void(const std::string&, bool)> BuildFilterMenu_;
};

}  // namespace gs
