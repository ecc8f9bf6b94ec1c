// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The dialog service of the GUI: Qt's file dialogs and message boxes.

#include "platform/Dialogs.h"

#include <QString>

class QWidget;

namespace gs {

class TQtDialogs : public TDialogs {
public:
  explicit TQtDialogs(QWidget* owner = nullptr) : Owner_(owner) {}
  void SetOwner(QWidget* owner) { Owner_ = owner; }

  std::optional<std::string> OpenFile(const TFileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const TFileDialogRequest& request) override;
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  TSaveChanges AskSaveChanges(const std::string& text) override;
  TRecoverChoice AskRecover(const std::string& text) override;
  bool RunForm(TModalForm& form) override { return form.ShowModal(); }
  std::optional<TColor> ChooseColor(TColor initial) override;
  std::optional<std::string> SelectFolder(const std::string& caption) override;
  std::optional<TFontChoice> ChooseFont(const TFontChoice& initial) override;

private:
  QWidget* Owner_;
};

// "Desc (*.a;*.b)|*.a;*.b|..." as Qt's "Desc (*.a *.b *.A *.B);;..." name filters: each pattern
// also in capitals, for dialogs that match the letter case.
QString QtNameFilters(const std::string& filter);

}  // namespace gs
