// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop services of a real session: Qt's file dialogs and message boxes, and the desktop's
// default handler for addresses.

#include "gifloom/DesktopServices.h"

class QWidget;

namespace gifloom {

class TQtDesktopServices : public TDesktopServices {
public:
  // The window the dialogs and boxes are modal to; may be set after construction.
  void SetOwner(QWidget* owner) { Owner_ = owner; }

  QStringList AskOpenFileNames(const TOpenFilesRequest& request) override;
  std::optional<QString> AskSaveFileName(const TSaveFileRequest& request) override;
  void ShowMessage(TMessageIcon icon, const QString& title, const QString& text) override;
  TSaveChanges AskSaveChanges(const QString& title, const QString& text) override;
  bool OpenUrl(const QUrl& url) override;

private:
  QWidget* Owner_ = nullptr;
};

}  // namespace gifloom
