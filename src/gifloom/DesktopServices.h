// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything the animator dialog asks of the desktop: the open and save dialogs, message boxes
// and opening a page in the user's browser. Behind one interface so tests can answer without a
// person.

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace gifloom {

enum class TMessageIcon { None, Warning };

// The answers to the question about frames not yet made into an animation.
enum class TSaveChanges { Save, Discard, Cancel };

struct TOpenFilesRequest {
  QString Title;
  QString NameFilter;  // Qt form, "GIF Images (*.gif)"
  QString Folder;      // shown first; empty: the dialog's own choice
};

struct TSaveFileRequest {
  QString Title;
  QString NameFilter;     // Qt form, "GIF Files (*.gif)"
  QString DefaultSuffix;  // appended to a name typed without one
  bool ConfirmOverwrite = true;
  QString Folder;  // shown first; empty: the dialog's own choice
};

class TDesktopServices {
public:
  virtual ~TDesktopServices() = default;
  // The chosen existing files in the order the user chose them; none when the user cancels.
  virtual QStringList AskOpenFileNames(const TOpenFilesRequest& request) = 0;
  // The chosen path, or nothing when the user cancels.
  virtual std::optional<QString> AskSaveFileName(const TSaveFileRequest& request) = 0;
  // A modal box with one OK button.
  virtual void ShowMessage(TMessageIcon icon, const QString& title, const QString& text) = 0;
  // A modal question with Save (the default), Discard and Cancel.
  virtual TSaveChanges AskSaveChanges(const QString& title, const QString& text) = 0;
  // False when no program could open the address.
  virtual bool OpenUrl(const QUrl& url) = 0;
};

}  // namespace gifloom
