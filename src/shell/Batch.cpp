#include "shell/Batch.h"

#include "common/Errors.h"
#include "platform/ScriptedDialogs.h"
#include "codecs/FileIO.h"
#include "plugins/FilterRunner.h"
#include "shell/ImageView.h"
#include "shell/Studio.h"
#include "shell/ToolsForm.h"

#include <QDir>
#include <QSlider>
#include <QToolButton>

#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <vector>

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

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// What follows the first `count` words, trimmed: a path that may hold blanks.
std::string AfterWords(const std::string& text, int count) {
  size_t pos = 0;
  for (int i = 0; i < count && pos != std::string::npos; ++i) {
    pos = text.find_first_not_of(" \t", pos);
    if (pos != std::string::npos) pos = text.find_first_of(" \t", pos);
  }
  return pos == std::string::npos ? std::string() : Trim(text.substr(pos));
}

int ParseInt(const std::string& text, const std::string& what) {
  try {
    size_t used = 0;
    const int value = std::stoi(text, &used);
    if (used == text.size()) return value;
  } catch (const std::exception&) {
  }
  throw Exception(what + " must be a whole number, not \"" + text + "\"");
}

// The palette's buttons, pressed as a person would.
void ChooseTool(TSStudio& studio, const std::string& name) {
  TToolsForm& p = *studio.ToolsForm;
  const std::map<std::string, QToolButton*> buttons = {
      {"putty", p.SpeedButton1},      {"warp", p.SpeedButton2},    {"twirl", p.SpeedButton9},
      {"eraser", p.SpeedButton10},    {"paint", p.SpeedButton11},  {"eyedropper", p.SpeedButton12},
      {"crop", p.SpeedButton3},       {"selection", p.SpeedButton7}, {"rotatelayer", p.sbtnRotateLayer},
      {"deletelayer", p.SpeedButton8}};
  const auto button = buttons.find(name);
  if (button == buttons.end())
    throw Exception("tool takes putty, warp, twirl, eraser, paint, eyedropper, crop, selection, "
                    "rotatelayer or deletelayer, not \"" + name + "\"");
  button->second->click();
}

void Rotate(TSStudio& studio, const std::string& how) {
  if (how == "180") studio.N1801Click();
  else if (how == "cw") studio.N90CW1Click();
  else if (how == "ccw") studio.N90CCW1Click();
  else throw Exception("rotate takes 180, cw or ccw, not \"" + how + "\"");
}

// "width=W height=H constrain=on|off cancel": fields in the order given, then Ok or Cancel.
TFormAnswer ImageSizeAnswer(const std::string& argument) {
  TFormAnswer answer{"Image Size", {}, true};
  for (const std::string& word : Words(argument)) {
    if (word == "cancel") {
      answer.Ok = false;
      continue;
    }
    const size_t eq = word.find('=');
    const std::string key = word.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : word.substr(eq + 1);
    if (key == "width") answer.Fields.emplace_back("Image Width", value);
    else if (key == "height") answer.Fields.emplace_back("Image Height", value);
    else if (key == "constrain") answer.Fields.emplace_back("Constrain Proportions", value);
    else throw Exception("imagesize takes width=, height=, constrain= and cancel, not \"" + word + "\"");
  }
  return answer;
}

bool PixelToolActive(TSStudio& studio) {
  const int mode = studio.Document().ToolMode;
  return mode >= tool::Eraser && mode <= tool::ChromaPick;
}

// "[left|right] [ctrl] X,Y X,Y ... [hold TICKS]" in picture pixels: press at the first point,
// move through the others, let the repeat timer fire TICKS times, release. The press reaches
// the layers and the frame first, as a click does; with a pixel tool it lands on the mirror.
void Stroke(TSStudio& studio, const std::string& argument) {
  std::vector<std::string> words = Words(argument);
  Qt::KeyboardModifiers modifiers = Qt::NoModifier;
  for (auto it = words.begin(); it != words.end(); ++it) {
    if (*it == "ctrl") {
      modifiers = Qt::ControlModifier;
      words.erase(it);
      break;
    }
  }
  Qt::MouseButtons button = Qt::LeftButton;
  if (!words.empty() && (words.front() == "left" || words.front() == "right")) {
    if (words.front() == "right") button = Qt::RightButton;
    words.erase(words.begin());
  }
  int ticks = 0;
  if (words.size() >= 2 && words[words.size() - 2] == "hold") {
    ticks = ParseInt(words.back(), "hold");
    words.resize(words.size() - 2);
  }
  if (words.empty()) throw Exception("stroke needs at least one point X,Y");
  std::vector<QPoint> points;
  for (const std::string& w : words) {
    const size_t comma = w.find(',');
    if (comma == std::string::npos) throw Exception("a stroke point is X,Y, not \"" + w + "\"");
    const QPointF view = studio.DstImg->PictureToWidget(
        QPointF(ParseInt(w.substr(0, comma), "X"), ParseInt(w.substr(comma + 1), "Y")));
    points.emplace_back(int(view.x()), int(view.y()));
  }
  if (PixelToolActive(studio)) {
    studio.DstImg1MouseDown(button, points[0].x(), points[0].y());
    for (size_t i = 1; i < points.size(); ++i) studio.DstImg1MouseMove(button, points[i].x(), points[i].y());
    studio.DstImg1MouseUp();
    return;
  }
  studio.DstImgMouseMove(Qt::NoButton, points[0].x(), points[0].y());
  studio.LayerMouseDown(button, modifiers, points[0].x(), points[0].y());
  studio.DstImgMouseDown(button, points[0].x(), points[0].y());
  for (size_t i = 1; i < points.size(); ++i)
    if (!studio.LayerMouseMove(button, modifiers, points[i].x(), points[i].y()))
      studio.DstImgMouseMove(button, points[i].x(), points[i].y());
  for (int i = 0; i < ticks; ++i) {
    studio.UpdateTimerTimer();
    studio.LayterTimerTimer();
  }
  studio.LayerMouseUp();
  studio.DstImgMouseUp();
}

// "PATH [transparent|opaque]": the clipart dialog answered with PATH, and for a GIF or PNG the
// "Transparent Image?" question with Yes (transparent, the default) or No.
void InsertClipart(TSStudio& studio, TScriptedDialogs& dialogs, const std::string& argument,
                   bool bubble) {
  std::string path = argument;
  bool transparent = true;
  for (const char* word : {" transparent", " opaque"}) {
    const std::string w = word;
    if (path.size() > w.size() && path.compare(path.size() - w.size(), w.size(), w) == 0) {
      transparent = w == " transparent";
      path = Trim(path.substr(0, path.size() - w.size()));
    }
  }
  dialogs.AnswerFile(AbsolutePath(path));
  const std::string ext = LowerCase(ExtractFileExt(path));
  if (ext == ".gif" || ext == ".png") dialogs.AnswerYesNo(transparent);
  if (bubble) studio.TalkBubble1Click();
  else studio.Clipart1Click();
}

// "[SIZE] [bold] [italic] [#RRGGBB] | TEXT": the font dialog and the Insert Text dialog.
void InsertText(TSStudio& studio, TScriptedDialogs& dialogs, const std::string& argument) {
  TFontChoice font = studio.TextFont;
  std::string text = argument;
  const size_t bar = argument.find('|');
  if (bar != std::string::npos) {
    text = Trim(argument.substr(bar + 1));
    for (const std::string& w : Words(argument.substr(0, bar))) {
      if (w == "bold") font.Bold = true;
      else if (w == "italic") font.Italic = true;
      else if (w.size() == 7 && w[0] == '#') {
        const unsigned long rgb = std::stoul(w.substr(1), nullptr, 16);
        font.Color = TColor(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
      } else font.PointSize = ParseInt(w, "the text size");
    }
  }
  dialogs.AnswerFont(font);
  dialogs.AnswerForm(TFormAnswer{"Insert Text", {{"Text", text}}, !text.empty()});
  studio.Text1Click();
}

// "NAME [| Field=Value ...]": the filter of that menu caption, its dialog answered.
void RunNamedFilter(TSStudio& studio, TScriptedDialogs& dialogs, const std::string& argument) {
  const size_t bar = argument.find('|');
  const std::string name = Trim(argument.substr(0, bar));
  const int index = studio.Filters().Plugins.FindByCaption(name);
  if (index < 0) throw Exception("There is no filter \"" + name + "\"");
  if (bar != std::string::npos) {
    std::string form = name;
    while (!form.empty() && form.back() == '.') form.pop_back();
    TFormAnswer answer{form, {}, true};
    for (const std::string& w : Words(argument.substr(bar + 1))) {
      const size_t eq = w.find('=');
      if (eq == std::string::npos) throw Exception("A filter field is Name=Value, not \"" + w + "\"");
      answer.Fields.emplace_back(w.substr(0, eq), w.substr(eq + 1));
    }
    dialogs.AnswerForm(answer);
  }
  studio.RunFilter(index, false);
}

void LoadFilters(TSStudio& studio, TScriptedDialogs& dialogs, const std::string& argument) {
  std::string folder = argument;
  bool sub = true;
  if (folder.size() > 6 && folder.compare(folder.size() - 6, 6, " nosub") == 0) {
    sub = false;
    folder = Trim(folder.substr(0, folder.size() - 6));
  }
  dialogs.AnswerForm(TFormAnswer{"Load Filters",
                                 {{"Plug-In Directory", AbsolutePath(folder)},
                                  {"Include sub-directories", sub ? "on" : "off"}},
                                 true});
  studio.LoadFilterPlugIns1Click();
}

// "X,Y TOLERANCE [BACKGROUND]": Tools > Chromakey..., its start message read, a click on the
// picture at X,Y (picture pixels) to pick the key colour, and the dialog answered.
void ChromaKey(TSStudio& studio, TScriptedDialogs& dialogs, const std::string& argument) {
  const std::vector<std::string> words = Words(argument);
  if (words.size() < 2) throw Exception("chromakey needs X,Y and a tolerance");
  const size_t comma = words[0].find(',');
  if (comma == std::string::npos) throw Exception("the pick point is X,Y, not \"" + words[0] + "\"");
  const QPointF view = studio.DstImg->PictureToWidget(
      QPointF(ParseInt(words[0].substr(0, comma), "X"), ParseInt(words[0].substr(comma + 1), "Y")));
  const std::string background = AfterWords(argument, 2);
  TFormAnswer answer{"Chromakey Options", {}, true};
  if (background.empty()) {
    answer.Fields = {{"Make transparency from selected color", "on"}, {"Color Tolerance", words[1]}};
  } else {
    answer.Fields = {{"Insert background image", "on"},
                     {"Browse...", AbsolutePath(background)},
                     {"Color Tolerance", words[1]}};
  }
  studio.Chromakey1Click();
  dialogs.ClearMessages();  // the start message tells the user to click
  if (studio.Document().ToolMode != tool::ChromaPick) throw Exception("chromakey did not start");
  dialogs.AnswerForm(answer);
  studio.DstImg1MouseDown(Qt::LeftButton, int(view.x()), int(view.y()));
  studio.DstImg1MouseUp();
  if (studio.Document().ToolMode == tool::ChromaPick) throw Exception("the chroma key was not applied");
}

// "FRAMES DELAY PATH [once] [forward]": Tools > Animate Caricature... with the dialog answered.
// `once` clears "Loop animation", `forward` clears "Play back and forth"; the path is the rest.
void Animate(TSStudio& studio, TScriptedDialogs& dialogs, const std::string& argument) {
  const std::vector<std::string> words = Words(argument);
  if (words.size() < 3) throw Exception("animate needs FRAMES DELAY PATH");
  bool loop = true, backAndForth = true;
  std::string rest = AfterWords(argument, 2);
  for (bool changed = true; changed;) {
    changed = false;
    for (const char* word : {" once", " forward"}) {
      const std::string w = word;
      if (rest.size() > w.size() && rest.compare(rest.size() - w.size(), w.size(), w) == 0) {
        (w == " once" ? loop : backAndForth) = false;
        rest = Trim(rest.substr(0, rest.size() - w.size()));
        changed = true;
      }
    }
  }
  dialogs.AnswerForm(TFormAnswer{"Animate Caricature",
                                 {{"Frames", words[0]},
                                  {"Frame delay", words[1]},
                                  {"Loop animation", loop ? "on" : "off"},
                                  {"Play back and forth", backAndForth ? "on" : "off"},
                                  {"Save As...", AbsolutePath(rest)}},
                                 true});
  studio.mAnimateCaricatureClick();
}

TColor ParseRgb(const std::string& text) {
  if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    throw Exception("a colour is RRGGBB in hexadecimal, not \"" + text + "\"");
  const unsigned long rgb = std::stoul(text, nullptr, 16);
  return TColor(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
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
      {"undo", {false, [](TSStudio& s, TScriptedDialogs&, const std::string&) { s.ToolButton1Click(); }}},
      {"restore", {false, [](TSStudio& s, TScriptedDialogs&, const std::string&) { s.ToolButton18Click(); }}},
      {"rotate", {true, [](TSStudio& s, TScriptedDialogs&, const std::string& arg) { Rotate(s, arg); }}},
      {"imagesize", {true, [](TSStudio& s, TScriptedDialogs& d, const std::string& arg) {
                       d.AnswerForm(ImageSizeAnswer(arg));
                       s.ResizeImage1Click();
                     }}},
      {"tool", {true, [](TSStudio& s, TScriptedDialogs&, const std::string& arg) { ChooseTool(s, arg); }}},
      {"size", {true, [](TSStudio& s, TScriptedDialogs&, const std::string& arg) {
                  s.SizeBar->setValue(ParseInt(arg, "size"));
                }}},
      {"effect", {true, [](TSStudio& s, TScriptedDialogs&, const std::string& arg) {
                    s.PinchBar->setValue(ParseInt(arg, "effect"));
                  }}},
      {"stroke", {true, [](TSStudio& s, TScriptedDialogs&, const std::string& arg) { Stroke(s, arg); }}},
      {"clipart", {true, [](TSStudio& s, TScriptedDialogs& d, const std::string& arg) {
                     InsertClipart(s, d, arg, false);
                   }}},
      {"bubble", {true, [](TSStudio& s, TScriptedDialogs& d, const std::string& arg) {
                    InsertClipart(s, d, arg, true);
                  }}},
      {"text", {true, [](TSStudio& s, TScriptedDialogs& d, const std::string& arg) { InsertText(s, d, arg); }}},
      {"brushsize", {true, [](TSStudio& s, TScriptedDialogs&, const std::string& arg) {
                       s.SetEraserSize(ParseInt(arg, "brushsize"));
                     }}},
      {"color", {true, [](TSStudio& s, TScriptedDialogs&, const std::string& arg) {
                   s.SetPaintColor(ParseRgb(arg));
                 }}},
      {"filter", {true, [](TSStudio& s, TScriptedDialogs& d, const std::string& arg) {
                    RunNamedFilter(s, d, arg);
                  }}},
      {"chromakey", {true, [](TSStudio& s, TScriptedDialogs& d, const std::string& arg) {
                       ChromaKey(s, d, arg);
                     }}},
      {"background", {true, [](TSStudio& s, TScriptedDialogs& d, const std::string& arg) {
                        d.AnswerFile(AbsolutePath(arg));
                        s.ChangeBackground1Click();
                      }}},
      {"lastfilter", {false, [](TSStudio& s, TScriptedDialogs&, const std::string&) {
                        s.miLastFilterClickClick();
                      }}},
      {"animate", {true, [](TSStudio& s, TScriptedDialogs& d, const std::string& arg) {
                     Animate(s, d, arg);
                   }}},
      {"loadfilters", {true, [](TSStudio& s, TScriptedDialogs& d, const std::string& arg) {
                         LoadFilters(s, d, arg);
                       }}},
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
