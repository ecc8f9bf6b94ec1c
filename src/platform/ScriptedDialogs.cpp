// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ScriptedDialogs.h"

namespace gs {

std::optional<std::string> TScriptedDialogs::NextFile(const TFileDialogRequest& request) {
  FileRequests_.push_back(request);
  if (FileAnswers_.empty())
    throw EUnansweredDialog("Nobody answered the file dialog \"" + request.Title + "\"");
  std::optional<std::string> answer = std::move(FileAnswers_.front());
  FileAnswers_.pop_front();
  return answer;
}

std::optional<std::string> TScriptedDialogs::OpenFile(const TFileDialogRequest& request) {
  return NextFile(request);
}

std::optional<std::string> TScriptedDialogs::SaveFile(const TFileDialogRequest& request) {
  return NextFile(request);
}

void TScriptedDialogs::ShowMessage(const std::string& text) { Messages_.push_back(text); }

namespace {
// The next prepared answer to a question; none prepared is a question nobody expected.
template <class TAnswer>
TAnswer TakeAnswer(std::deque<TAnswer>& answers, const std::string& question) {
  if (answers.empty()) throw EUnansweredDialog("Nobody answered the question \"" + question + "\"");
  TAnswer answer = answers.front();
  answers.pop_front();
  return answer;
}
}  // namespace

bool TScriptedDialogs::AskYesNo(const std::string& text) { return TakeAnswer(YesNoAnswers_, text); }

TSaveChanges TScriptedDialogs::AskSaveChanges(const std::string& text) {
  Questions_.push_back(text);
  return TakeAnswer(SaveChangesAnswers_, text);
}

TRecoverChoice TScriptedDialogs::AskRecover(const std::string& text) {
  Questions_.push_back(text);
  return TakeAnswer(RecoverAnswers_, text);
}

bool TScriptedDialogs::RunForm(TModalForm& form) {
  if (FormAnswers_.empty() || FormAnswers_.front().Form != form.FormName())
    throw EUnansweredDialog("Nobody answered the dialog \"" + form.FormName() + "\"");
  const TFormAnswer answer = std::move(FormAnswers_.front());
  FormAnswers_.pop_front();
  return form.AnswerScripted(answer);
}

std::optional<TColor> TScriptedDialogs::ChooseColor(TColor) {
  if (ColorAnswers_.empty()) throw EUnansweredDialog("Nobody answered the colour dialog");
  const std::optional<TColor> answer = ColorAnswers_.front();
  ColorAnswers_.pop_front();
  return answer;
}

std::optional<std::string> TScriptedDialogs::SelectFolder(const std::string& caption) {
  if (FolderAnswers_.empty()) throw EUnansweredDialog("Nobody answered the folder picker \"" + caption + "\"");
  std::optional<std::string> answer = std::move(FolderAnswers_.front());
  FolderAnswers_.pop_front();
  return answer;
}

std::optional<TFontChoice> TScriptedDialogs::ChooseFont(const TFontChoice&) {
  if (FontAnswers_.empty()) throw EUnansweredDialog("Nobody answered the font dialog");
  std::optional<TFontChoice> answer = std::move(FontAnswers_.front());
  FontAnswers_.pop_front();
  return answer;
}

}  // namespace gs
