// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every modal question the program asks goes through TDialogs, so that tests and the batch mode
// can answer it without a person. The GUI installs TQtDialogs; scripts install TScriptedDialogs.

#include "common/Bitmap32.h"
#include "common/Color.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace gs {

inline constexpr const char* kAppCaption = "Grimacer Studio 3.6";

// A picture of a file for an open dialog's preview pane; none for a file it cannot show.
using TFilePreview = std::function<std::optional<TBitmap32>(const std::string& path)>;

struct TFileDialogRequest {
  std::string Title;
  // Pairs "Description|pattern" joined by '|', e.g. "Bitmaps (*.bmp)|*.bmp|PNG Image (*.png)|*.png".
  std::string Filter;
  std::string DefaultExt;  // without the dot; appended when the user types a name without one
  std::string InitialDir;
  bool OverwritePrompt = false;
  std::string FileName;  // the name the dialog starts with, in InitialDir; empty for none
  int FilterIndex = 0;   // the pair of Filter chosen at first, counted from 0
  TFilePreview Preview;  // when set, the dialog shows the file under the cursor beside the list
};

// What a script answers a form with: fields set in order as a person would type them, then Ok
// or Cancel pressed.
struct TFormAnswer {
  std::string Form;
  std::vector<std::pair<std::string, std::string>> Fields;
  bool Ok = true;
};

// One of the program's own modal dialogs, so that a script can fill in the real form.
class TModalForm {
public:
  virtual ~TModalForm() = default;
  virtual std::string FormName() const = 0;
  // A person answers; true when confirmed.
  virtual bool ShowModal() = 0;
  // Sets the named fields in order, then presses Ok or Cancel; true when confirmed. An unknown
  // field name or a value the field cannot take fails with an exception naming it.
  virtual bool AnswerScripted(const TFormAnswer& answer) = 0;
};

// A font as the font dialog gives it.
struct TFontChoice {
  std::string Family;
  int PointSize = 8;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
};

// The answers to the question about unsaved changes.
enum class TSaveChanges { Save, Discard, Cancel };
// The answers to the offer of a recovery copy left by a session that did not end.
enum class TRecoverChoice { Recover, Discard };

class TDialogs {
public:
  virtual ~TDialogs() = default;
  // The chosen path, or nothing when the user cancels.
  virtual std::optional<std::string> OpenFile(const TFileDialogRequest& request) = 0;
  virtual std::optional<std::string> SaveFile(const TFileDialogRequest& request) = 0;
  // A modal box with the program's caption and one OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // A modal Yes/No question; true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  // A modal question with Save (the default), Discard and Cancel.
  virtual TSaveChanges AskSaveChanges(const std::string& text) = 0;
  // A modal question with Recover (the default) and Discard.
  virtual TRecoverChoice AskRecover(const std::string& text) = 0;
  // Shows one of the program's own forms modally; true when confirmed.
  virtual bool RunForm(TModalForm& form) = 0;
  // The colour dialog, starting at `initial` (a Windows colour value); the chosen colour, or
  // nothing when the user cancels.
  virtual std::optional<TColor> ChooseColor(TColor initial) = 0;
  // The folder picker with this caption; the chosen folder, or nothing when the user cancels.
  virtual std::optional<std::string> SelectFolder(const std::string& caption) = 0;
  // The font dialog, starting at `initial`; nothing when the user cancels.
  virtual std::optional<TFontChoice> ChooseFont(const TFontChoice& initial) = 0;
};

// The process-wide dialog service. Without one installed, asking anything fails loudly.
TDialogs& Dialogs();
// Installs a service (not owned); returns the previous one so scopes can restore it.
TDialogs* SetDialogs(TDialogs* dialogs);

// Shows a form prepared for one use, then lets go of what it was prepared with (its Release),
// however the form ends.
template <class TPreparedForm>
bool RunPreparedForm(TPreparedForm& form) {
  struct TRelease {
    TPreparedForm& Form;
    ~TRelease() { Form.Release(); }
  } release{form};
  return Dialogs().RunForm(form);
}

// Shows a simple message through the dialog service.
void ShowMessage(const std::string& text);

}  // namespace gs
