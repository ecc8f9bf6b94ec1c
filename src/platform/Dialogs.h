#pragma once
// Every modal question the program asks goes through TDialogs, so that tests and the batch mode
// can answer it without a person. The GUI installs TQtDialogs; scripts install TScriptedDialogs.

#include <optional>
#include <string>

namespace gs {

inline constexpr const char* kAppCaption = "Grimacer Studio 3.6";

struct TFileDialogRequest {
  std::string Title;
  // Pairs "Description|pattern" joined by '|', e.g. "Bitmaps (*.bmp)|*.bmp|PNG Image (*.png)|*.png".
  std::string Filter;
  std::string DefaultExt;  // without the dot; appended when the user types a name without one
  std::string InitialDir;
  bool OverwritePrompt = false;
};

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
};

// The process-wide dialog service. Without one installed, asking anything fails loudly.
TDialogs& Dialogs();
// Installs a service (not owned); returns the previous one so scopes can restore it.
TDialogs* SetDialogs(TDialogs* dialogs);

// Shows a simple message through the dialog service.
void ShowMessage(const std::string& text);

}  // namespace gs
