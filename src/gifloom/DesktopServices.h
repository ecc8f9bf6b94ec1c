#pragma once
// Everything the animator dialog asks of the desktop: the save dialog, message boxes and opening
// a page in the user's browser. Behind one interface so tests can answer without a person.

#include <QString>
#include <QUrl>

#include <optional>

namespace gifloom {

enum class TMessageIcon { None, Warning };

struct TSaveFileRequest {
  QString Title;
  QString NameFilter;     // Qt form, "GIF Files (*.gif)"
  QString DefaultSuffix;  // appended to a name typed without one
  bool ConfirmOverwrite = true;
};

class TDesktopServices {
public:
  virtual ~TDesktopServices() = default;
  // The chosen path, or nothing when the user cancels.
  virtual std::optional<QString> AskSaveFileName(const TSaveFileRequest& request) = 0;
  // A modal box with one OK button.
  virtual void ShowMessage(TMessageIcon icon, const QString& title, const QString& text) = 0;
  // False when no program could open the address.
  virtual bool OpenUrl(const QUrl& url) = 0;
};

}  // namespace gifloom
