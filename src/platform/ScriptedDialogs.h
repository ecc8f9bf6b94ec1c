// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Answers the program's questions from a queue prepared in advance (tests, batch mode).
// A question nobody prepared an answer for fails with EUnansweredDialog naming it.

#include "platform/Dialogs.h"

#include "common/Errors.h"

#include <deque>
#include <string>
#include <vector>

namespace gs {

class EUnansweredDialog : public Exception {
public:
  using Exception::Exception;
};

class TScriptedDialogs : public TDialogs {
public:
  // Queues the answer to the next open or save dialog; nullopt answers with Cancel.
  void AnswerFile(std::optional<std::string> path) { FileAnswers_.push_back(std::move(path)); }
  void AnswerYesNo(bool yes) { YesNoAnswers_.push_back(yes); }
  void AnswerSaveChanges(TSaveChanges answer) { SaveChangesAnswers_.push_back(answer); }
  void AnswerRecover(TRecoverChoice answer) { RecoverAnswers_.push_back(answer); }
  void AnswerForm(TFormAnswer answer) { FormAnswers_.push_back(std::move(answer)); }

  std::optional<std::string> OpenFile(const TFileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const TFileDialogRequest& request) override;
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  TSaveChanges AskSaveChanges(const std::string& text) override;
  TRecoverChoice AskRecover(const std::string& text) override;
  bool RunForm(TModalForm& form) override;
  // Queues the answer to the next colour dialog or folder picker; nullopt answers with Cancel.
  void AnswerColor(std::optional<TColor> color) { ColorAnswers_.push_back(color); }
  void AnswerFolder(std::optional<std::string> folder) { FolderAnswers_.push_back(std::move(folder)); }
  std::optional<TColor> ChooseColor(TColor initial) override;
  std::optional<std::string> SelectFolder(const std::string& caption) override;
  void AnswerFont(std::optional<TFontChoice> font) { FontAnswers_.push_back(std::move(font)); }
  std::optional<TFontChoice> ChooseFont(const TFontChoice& initial) override;

  // What was asked and shown, in order, for tests to inspect.
  const std::vector<TFileDialogRequest>& FileRequests() const { return FileRequests_; }
  const std::vector<std::string>& Messages() const { return Messages_; }
  const std::vector<std::string>& Questions() const { return Questions_; }
  void ClearMessages() { Messages_.clear(); }
  // Forgets the answers nobody asked for (a command that failed before its question).
  void ClearPendingAnswers() {
    FileAnswers_.clear();
    YesNoAnswers_.clear();
    SaveChangesAnswers_.clear();
    RecoverAnswers_.clear();
    FormAnswers_.clear();
    ColorAnswers_.clear();
    FolderAnswers_.clear();
    FontAnswers_.clear();
  }
  bool HasPendingAnswers() const {
    return !FileAnswers_.empty() || !YesNoAnswers_.empty() || !SaveChangesAnswers_.empty() ||
           !RecoverAnswers_.empty() || !FormAnswers_.empty() ||
           !ColorAnswers_.empty() || !FolderAnswers_.empty() || !FontAnswers_.empty();
  }

private:
  std::optional<std::string> NextFile(const TFileDialogRequest& request);

  std::deque<std::optional<std::string>> FileAnswers_;
  std::deque<bool> YesNoAnswers_;
  std::deque<TSaveChanges> SaveChangesAnswers_;
  std::deque<TRecoverChoice> RecoverAnswers_;
  std::deque<TFormAnswer> FormAnswers_;
  std::vector<TFileDialogRequest> FileRequests_;
  std::vector<std::string> Messages_;
  std::vector<std::string> Questions_;  // the Save, Discard, Cancel and the Recover questions asked
  std::deque<std::optional<TColor>> ColorAnswers_;
  std::deque<std::optional<std::string>> FolderAnswers_;
  std::deque<std::optional<TFontChoice>> FontAnswers_;
};

}  // namespace gs
