// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Dialogs.h"

#include "common/Errors.h"

namespace gs {

namespace {

// Until the program installs a real service, any question is a programming error.
class TNoDialogs final : public TDialogs {
public:
  std::optional<std::string> OpenFile(const TFileDialogRequest& r) override { Fail(r.Title); }
  std::optional<std::string> SaveFile(const TFileDialogRequest& r) override { Fail(r.Title); }
  void ShowMessage(const std::string& text) override { Fail(text); }
  bool AskYesNo(const std::string& text) override { Fail(text); }
  TSaveChanges AskSaveChanges(const std::string& text) override { Fail(text); }
  TRecoverChoice AskRecover(const std::string& text) override { Fail(text); }
  bool RunForm(TModalForm& form) override { Fail(form.FormName()); }
  std::optional<TColor> ChooseColor(TColor) override { Fail("Color"); }
  std::optional<std::string> SelectFolder(const std::string& caption) override { Fail(caption); }
  std::optional<TFontChoice> ChooseFont(const TFontChoice&) override { Fail("Font"); }

private:
  [[noreturn]] static void Fail(const std::string& what) {
    throw Exception("No dialog service is installed to ask: " + what);
  }
};

TNoDialogs NoDialogs;
TDialogs* Current = &NoDialogs;

}  // namespace

TDialogs& Dialogs() { return *Current; }

TDialogs* SetDialogs(TDialogs* dialogs) {
  TDialogs* previous = Current;
  Current = dialogs ? dialogs : &NoDialogs;
  return previous;
}

void ShowMessage(const std::string& text) { Dialogs().ShowMessage(text); }

}  // namespace gs
