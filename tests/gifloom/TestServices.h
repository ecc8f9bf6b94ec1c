// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the dialog tests stand in for: a desktop that answers from a script, and the folder where
// any QSettings store made without a file of its own ends up while the tests run.

#include "gifloom/DesktopServices.h"

#include <filesystem>
#include <vector>

namespace gifloom::test {

struct TShownMessage {
  TMessageIcon Icon;
  QString Title;
  QString Text;
};

// Answers the file dialogs from a script and records what the dialog would have shown.
class TScriptedServices : public TDesktopServices {
public:
  QStringList OpenAnswer;
  std::optional<QString> SaveAnswer;
  bool OpenSucceeds = true;
  std::vector<TOpenFilesRequest> OpenRequests;
  std::vector<TSaveFileRequest> SaveRequests;
  std::vector<TShownMessage> Messages;
  std::vector<QUrl> OpenedUrls;

  QStringList AskOpenFileNames(const TOpenFilesRequest& request) override {
    OpenRequests.push_back(request);
    return OpenAnswer;
  }
  std::optional<QString> AskSaveFileName(const TSaveFileRequest& request) override {
    SaveRequests.push_back(request);
    return SaveAnswer;
  }
  void ShowMessage(TMessageIcon icon, const QString& title, const QString& text) override {
    Messages.push_back({icon, title, text});
  }
  std::vector<TSaveChanges> SaveChangesAnswers;  // taken from the front; none left: Cancel
  std::vector<QString> Questions;
  TSaveChanges AskSaveChanges(const QString&, const QString& text) override {
    Questions.push_back(text);
    if (SaveChangesAnswers.empty()) return TSaveChanges::Cancel;
    const TSaveChanges answer = SaveChangesAnswers.front();
    SaveChangesAnswers.erase(SaveChangesAnswers.begin());
    return answer;
  }
  bool OpenUrl(const QUrl& url) override {
    OpenedUrls.push_back(url);
    return OpenSucceeds;
  }
};

// Set up by the test program's main, under an organisation name of its own, so that a store
// made by mistake never reaches the user's settings.
const std::filesystem::path& DefaultSettingsFolder();

}  // namespace gifloom::test
