#include "shell/Batch.h"

#include "common/Errors.h"
#include "platform/ScriptedDialogs.h"
#include "shell/Studio.h"

#include <QDir>

#include <fstream>
#include <iostream>
#include <map>
#include <functional>

namespace gs {

namespace {

std::string Trim(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const size_t last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

std::string AbsolutePath(const std::string& path) {
  return QDir::current().absoluteFilePath(QString::fromStdString(path)).toStdString();
}

struct TCommand {
  bool NeedsArgument;
  std::function<void(TSStudio&, TScriptedDialogs&, const std::string&)> Run;
};

void Zoom(TSStudio& studio, const std::string& how) {
  if (how == "original") studio.Original1Click();
  else if (how == "in") studio.ZoomIn1Click();
  else if (how == "out") studio.ZoomOut1Click();
  else if (how == "fit") studio.miFitToWindowClick();
  else throw Exception("zoom takes original, in, out or fit, not \"" + how + "\"");
}

const std::map<std::string, TCommand>& Commands() {
  static const std::map<std::string, TCommand> commands = {
      {"open", {true, [](TSStudio& s, TScriptedDialogs& d, const std::string& arg) {
                  d.AnswerFile(AbsolutePath(arg));
                  s.mOpenImageClick();
                }}},
      {"save", {false, [](TSStudio& s, TScriptedDialogs&, const std::string&) {
                  s.mSaveImageClick();
                }}},
      {"saveas", {true, [](TSStudio& s, TScriptedDialogs& d, const std::string& arg) {
                    d.AnswerFile(AbsolutePath(arg));
                    s.saveas1Click();
                  }}},
      {"zoom", {true, [](TSStudio& s, TScriptedDialogs&, const std::string& arg) { Zoom(s, arg); }}},
  };
  return commands;
}

void RunLine(TSStudio& studio, TScriptedDialogs& dialogs, const std::string& line) {
  const size_t space = line.find_first_of(" \t");
  const std::string word = line.substr(0, space);
  const std::string argument = space == std::string::npos ? "" : Trim(line.substr(space));
  const auto command = Commands().find(word);
  if (command == Commands().end()) throw Exception("unknown command \"" + word + "\"");
  if (command->second.NeedsArgument && argument.empty())
    throw Exception("\"" + word + "\" needs an argument");
  if (!command->second.NeedsArgument && !argument.empty())
    throw Exception("\"" + word + "\" takes no argument");
  command->second.Run(studio, dialogs, argument);
  // A message box the window would show counts as the command's failure.
  if (!dialogs.Messages().empty()) throw Exception(dialogs.Messages().front());
  if (dialogs.HasPendingAnswers()) throw Exception("\"" + word + "\" did not ask the expected question");
}

}  // namespace

int RunBatch(TSStudio& studio, TScriptedDialogs& dialogs, std::istream& script, std::ostream& err) {
  std::string raw;
  int number = 0;
  while (std::getline(script, raw)) {
    ++number;
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    try {
      RunLine(studio, dialogs, line);
    } catch (const std::exception& e) {
      err << "line " << number << ": " << line << "\n" << e.what() << "\n";
      return 1;
    }
  }
  return 0;
}

int RunBatchFile(const std::string& scriptPath) {
  std::ifstream script(scriptPath);
  if (!script) {
    std::cerr << "Cannot open the script \"" << scriptPath << "\"\n";
    return 1;
  }
  TScriptedDialogs dialogs;
  TDialogs* previous = SetDialogs(&dialogs);
  int result = 1;
  {
    TSStudio studio;
    studio.BatchMode = true;
    studio.ExceptionHandler = [&dialogs](const std::string& text) { dialogs.ShowMessage(text); };
    studio.resize(1024, 768);
    studio.setAttribute(Qt::WA_DontShowOnScreen);
    studio.show();
    result = RunBatch(studio, dialogs, script, std::cerr);
  }
  SetDialogs(previous);
  return result;
}

}  // namespace gs
