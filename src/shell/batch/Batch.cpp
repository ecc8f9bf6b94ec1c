// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/batch/Batch.h"

#include "shell/art/Icons.h"

#include "common/Errors.h"
#include "platform/ScriptedDialogs.h"
#include "platform/qt/TerminationSignals.h"
#include "platform/WholeNumber.h"
#include "codecs/FileIO.h"
#include "plugins/FilterRunner.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"
#include "faces/rules/Presets.h"
#include "faces/Face.h"
#include "faces/finder/FaceFinder.h"
#include "faces/rules/Sculpt.h"
#include "document/AutoCaricature.h"
#include "document/PictureFiles.h"
#include "common/Limits.h"

#include <QAction>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QMenu>

#include <algorithm>
#include <climits>
#include <cmath>
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

bool HasControlBytes(const std::string& line) {
  return std::any_of(line.begin(), line.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && byte != '\t') || byte == 0x7F;
  });
}

std::string AbsolutePath(const std::string& path) {
  return QDir::current().absoluteFilePath(QString::fromStdString(path)).toStdString();
}

// The primitive mouse steps. The pointer's buttons and modifiers stay as the last press set
// them until the release, as a held mouse does.
struct TMouse {
  Qt::MouseButtons Held = Qt::NoButton;
  Qt::KeyboardModifiers Modifiers = Qt::NoModifier;
};

// One run of a script.
struct TBatch {
  TSStudio& Studio;
  TScriptedDialogs& Dialogs;
  std::ostream& Err;
  std::ostream& Out;
  TMouse Mouse;
};

enum class TArgument { None, Required, Optional };

struct TCommand {
  TArgument Argument;
  std::function<void(TBatch&, const std::string&)> Run;
};

// A person reaches an action only while it and every menu it sits in are enabled.
bool Reachable(const QAction* action) {
  if (!action->isEnabled()) return false;
  for (const QObject* holder : action->associatedObjects())
    if (const auto* menu = qobject_cast<const QMenu*>(holder); menu && !Reachable(menu->menuAction())) return false;
  return true;
}

// Runs a command as a person would: its action, which must be enabled.
void Trigger(TSStudio& studio, const std::string& name) {
  auto* action = studio.findChild<QAction*>(QString::fromStdString(name));
  if (!action) throw Exception("There is no command \"" + name + "\"");
  if (!Reachable(action)) {
    const std::string caption = action->text().remove(QLatin1Char('&')).toStdString();
    throw Exception(std::string("\"").append(caption).append("\" is not available now"));
  }
  action->trigger();
}

// A word of the script that picks one of several commands.
void TriggerChoice(TSStudio& studio, const std::string& command, const std::string& word,
                   const std::map<std::string, std::string>& actions) {
  const auto action = actions.find(word);
  if (action != actions.end()) return Trigger(studio, action->second);
  std::string words;
  for (const auto& [name, unused] : actions) words += (words.empty() ? "" : ", ") + name;
  throw Exception(command + " takes " + words + ", not \"" + word + "\"");
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
  return ParseWholeNumber(text, INT_MIN, INT_MAX, what);
}

// How far beyond the largest picture a point may lie: a stroke may start or end outside the
// picture, but nothing a person can point at is further away, and the brushes' arithmetic on a
// point stays far from overflowing.
constexpr int kMaxPointReach = 4 * kMaxPictureSide;

// "X,Y" in picture pixels.
TPointF ParsePoint(const std::string& text) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos) throw Exception("a point is X,Y, not \"" + text + "\"");
  return TPointF{double(ParseWholeNumber(text.substr(0, comma), -kMaxPointReach, kMaxPointReach, "X")),
                 double(ParseWholeNumber(text.substr(comma + 1), -kMaxPointReach, kMaxPointReach, "Y"))};
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


// "left|right|middle X,Y [ctrl]"
void Press(TBatch& batch, const std::string& argument) {
  std::vector<std::string> words = Words(argument);
  const std::map<std::string, Qt::MouseButton> buttons = {
      {"left", Qt::LeftButton}, {"right", Qt::RightButton}, {"middle", Qt::MiddleButton}};
  if (words.size() < 2 || words.size() > 3 || !buttons.count(words[0]) ||
      (words.size() == 3 && words[2] != "ctrl"))
    throw Exception("press takes left|right|middle X,Y [ctrl], not \"" + argument + "\"");
  batch.Mouse.Held = buttons.at(words[0]);
  batch.Mouse.Modifiers = words.size() == 3 ? Qt::ControlModifier : Qt::NoModifier;
  TSStudio& studio = batch.Studio;
  studio.PointerDown(batch.Mouse.Held, batch.Mouse.Modifiers, studio.PictureToView(ParsePoint(words[1])));
}

void Move(TBatch& batch, const std::string& argument) {
  TSStudio& studio = batch.Studio;
  studio.PointerMove(batch.Mouse.Held, batch.Mouse.Modifiers, studio.PictureToView(ParsePoint(argument)));
}

void Release(TBatch& batch) {
  batch.Mouse = TMouse{};
  batch.Studio.PointerUp();
}

// The repeat timers fire 20 times a second: 100000 is over an hour of holding still.
constexpr int kMaxTicks = 100000;
// What the font dialog's size field takes.
constexpr int kMaxTextSize = 512;

// One of the sizes the palette's brush-size menu offers.
int ParseBrushSize(const std::string& text) {
  const int size = ParseInt(text, "brushsize");
  if (std::find(kBrushCircleSizes.begin(), kBrushCircleSizes.end(), size) != kBrushCircleSizes.end()) return size;
  std::string sizes;
  for (int s : kBrushCircleSizes) sizes += (sizes.empty() ? "" : ", ") + std::to_string(s);
  throw Exception("brushsize takes " + sizes + ", not \"" + text + "\"");
}

// "[left|right] [ctrl] X,Y X,Y ... [hold TICKS]" in picture pixels: press at the first point,
// move through the others, let the repeat timers fire TICKS times, release.
void Stroke(TBatch& batch, const std::string& argument) {
  std::vector<std::string> words = Words(argument);
  std::string button = "left";
  bool ctrl = false;
  for (auto it = words.begin(); it != words.end(); ++it) {
    if (*it == "ctrl") {
      ctrl = true;
      words.erase(it);
      break;
    }
  }
  if (!words.empty() && (words.front() == "left" || words.front() == "right")) {
    button = words.front();
    words.erase(words.begin());
  }
  int ticks = 0;
  if (words.size() >= 2 && words[words.size() - 2] == "hold") {
    ticks = ParseWholeNumber(words.back(), 0, kMaxTicks, "hold");
    words.resize(words.size() - 2);
  }
  if (words.empty()) throw Exception("stroke needs at least one point X,Y");
  // Without a brush or tool a press only selects, moves or resizes a layer: with no layer the
  // stroke would do nothing at all.
  const TDocument& doc = batch.Studio.Document();
  if (doc.ImageLoaded() && doc.ToolMode == TToolMode::None && doc.Layers().empty())
    throw Exception("No brush or tool is chosen, and there is no layer to move: the stroke would do nothing "
                    "(choose one with \"tool\" first)");
  // The pointer arrives over the first point before the button goes down.
  batch.Mouse = TMouse{};
  Move(batch, words[0]);
  Press(batch, button + " " + words[0] + (ctrl ? " ctrl" : ""));
  for (size_t i = 1; i < words.size(); ++i) Move(batch, words[i]);
  batch.Studio.TickRepeatTimers(ticks);
  Release(batch);
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
  // A protected picture asks as the picture inside it does, a renamed one as what it holds.
  std::string ext = LowerCase(ExtractFileExt(path));
  try {
    ext = ReadPictureSource(AbsolutePath(path)).Extension;
  } catch (const std::exception&) {
    // Unreadable: the command itself says why.
  }
  if (AsksTransparentImage(ext)) dialogs.AnswerYesNo(transparent);
  Trigger(studio, bubble ? "TalkBubble1" : "Clipart1");
}

TColor ParseRgb(const std::string& text) {
  if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    throw Exception("a colour is RRGGBB in hexadecimal, not \"" + text + "\"");
  const unsigned long rgb = std::stoul(text, nullptr, 16);
  return TColor(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

// "[SIZE] [bold] [italic] [#RRGGBB] | TEXT": the font dialog and the Insert Text dialog, whose
// Color button answers the colour dialog with RRGGBB.
void InsertText(TSStudio& studio, TScriptedDialogs& dialogs, const std::string& argument) {
  TFontChoice font = studio.TextFont();
  std::optional<TColor> color;
  std::string text = argument;
  const size_t bar = argument.find('|');
  if (bar != std::string::npos) {
    text = Trim(argument.substr(bar + 1));
    for (const std::string& w : Words(argument.substr(0, bar))) {
      if (w == "bold") font.Bold = true;
      else if (w == "italic") font.Italic = true;
      else if (w.size() == 7 && w[0] == '#') color = ParseRgb(w.substr(1));
      else font.PointSize = ParseWholeNumber(w, 1, kMaxTextSize, "the text size");
    }
  }
  dialogs.AnswerFont(font);
  TFormAnswer answer{"Insert Text", {}, !text.empty()};
  if (color) {
    dialogs.AnswerColor(*color);
    answer.Fields.emplace_back("Color", "");
  }
  answer.Fields.emplace_back("Text", text);
  dialogs.AnswerForm(answer);
  Trigger(studio, "Text1");
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
  Trigger(studio, "FilterItem" + std::to_string(index));
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
  Trigger(studio, "mLoadFilters");
}

// "X,Y TOLERANCE [BACKGROUND]": Tools > Chromakey..., its start message read, a click on the
// picture at X,Y (picture pixels) to pick the key colour, and the dialog answered.
void ChromaKey(TSStudio& studio, TScriptedDialogs& dialogs, const std::string& argument) {
  const std::vector<std::string> words = Words(argument);
  if (words.size() < 2) throw Exception("chromakey needs X,Y and a tolerance");
  const TPointF pick = ParsePoint(words[0]);
  const std::string background = AfterWords(argument, 2);
  TFormAnswer answer{"Chromakey Options", {}, true};
  if (background.empty()) {
    answer.Fields = {{"Make transparency from selected color", "on"}, {"Color Tolerance", words[1]}};
  } else {
    answer.Fields = {{"Insert background image", "on"},
                     {"Browse...", AbsolutePath(background)},
                     {"Color Tolerance", words[1]}};
  }
  Trigger(studio, "Chromakey1");
  dialogs.ClearMessages();  // the start message tells the user to click
  if (studio.Document().ToolMode != TToolMode::ChromaPick) throw Exception("chromakey did not start");
  dialogs.AnswerForm(answer);
  studio.PointerDown(Qt::LeftButton, Qt::NoModifier, studio.PictureToView(pick));
  studio.PointerUp();
  if (studio.Document().ToolMode == TToolMode::ChromaPick) throw Exception("the chroma key was not applied");
}

// "FRAMES DELAY PATH [once] [forward] [dither|nodither]": Tools > Animate Caricature... with the
// dialog answered. `once` clears "Loop animation", `forward` clears "Play back and forth",
// `dither` and `nodither` set "Dither" (left as the dialog offers it for the picture without
// either); the path is the rest.
void Animate(TSStudio& studio, TScriptedDialogs& dialogs, const std::string& argument) {
  const std::vector<std::string> words = Words(argument);
  if (words.size() < 3) throw Exception("animate needs FRAMES DELAY PATH");
  bool loop = true, backAndForth = true;
  std::optional<bool> dither;
  std::string rest = AfterWords(argument, 2);
  for (bool changed = true; changed;) {
    changed = false;
    for (const char* word : {" once", " forward", " dither", " nodither"}) {
      const std::string w = word;
      if (rest.size() > w.size() && rest.compare(rest.size() - w.size(), w.size(), w) == 0) {
        if (w == " once") loop = false;
        else if (w == " forward") backAndForth = false;
        else if (!dither) dither = w == " dither";  // the last word of the line counts
        rest = Trim(rest.substr(0, rest.size() - w.size()));
        changed = true;
      }
    }
  }
  TFormAnswer answer{"Animate Caricature",
                     {{"Frames", words[0]},
                      {"Frame delay", words[1]},
                      {"Loop animation", loop ? "on" : "off"},
                      {"Play back and forth", backAndForth ? "on" : "off"}},
                     true};
  if (dither) answer.Fields.push_back({"Dither", *dither ? "on" : "off"});
  answer.Fields.push_back({"Save As...", AbsolutePath(rest)});
  dialogs.AnswerForm(answer);
  Trigger(studio, "mAnimateCaricature");
}


// "PATH [animated] [oval|none] [FACE]": File > Export Sticker... with the dialog answered: the
// caricature's animation or the still picture, the background (an oval, the default, or only
// what is already transparent) and the face (1 the largest, as `faces` lists them), then the
// file. The words are taken from the end; the path is the rest.
void Sticker(TSStudio& studio, TScriptedDialogs& dialogs, const std::string& argument) {
  std::vector<std::string> words = Words(argument);
  if (words.empty()) throw Exception("sticker needs PATH");
  TFormAnswer answer{"Export Sticker", {}, true};
  std::string background = "oval";
  std::string rest = argument;
  const auto dropLast = [&] {
    rest = Trim(rest.substr(0, rest.size() - words.back().size()));
    words.pop_back();
  };
  while (words.size() > 1) {
    const std::string& w = words.back();
    if (w == "animated") answer.Fields.push_back({"Animated", "on"});
    else if (w == "oval" || w == "none") background = w;
    else if (w.find_first_not_of("0123456789") == std::string::npos) answer.Fields.push_back({"Face", w});
    else break;
    dropLast();
  }
  answer.Fields.push_back({"Background", background});
  dialogs.AnswerForm(answer);
  dialogs.AnswerFile(AbsolutePath(rest));
  Trigger(studio, "mExportSticker");
}

// "[N]": Edit > Step Backward or Step Forward, N times (once without N).
void Step(TBatch& batch, const std::string& argument, const std::string& action) {
  const int times = argument.empty() ? 1 : ParseWholeNumber(argument, 1, 100000, "the number of steps");
  for (int i = 0; i < times; ++i) Trigger(batch.Studio, action);
}

// The steps of the history on standard output, the one the picture shows marked with "*".
void PrintHistory(TBatch& batch) {
  const THistory& history = batch.Studio.Document().History;
  for (int k = 0; k <= history.Count(); ++k)
    batch.Out << (k == history.Current() ? "* " : "  ") << (k == 0 ? history.StartName : history.Step(k).Name)
              << "\n";
  // Whoever reads the script's output through a pipe sees where it has got to.
  batch.Out.flush();
}

// One line per face, largest first, in whole picture pixels.
void PrintFaces(TBatch& batch) {
  if (!batch.Studio.Document().ImageLoaded()) throw Exception("There is no picture to find faces in");
  const auto point = [](TPointF p) {
    return std::to_string(std::lround(p.X)) + "," + std::to_string(std::lround(p.Y));
  };
  for (const TFace& face : batch.Studio.FindFaces()) {
    batch.Out << "face " << std::lround(face.Box.Left) << " " << std::lround(face.Box.Top) << " "
              << std::lround(face.Box.Width()) << " " << std::lround(face.Box.Height()) << " eyes "
              << point(face.EyeCentre(false)) << " " << point(face.EyeCentre(true)) << " nose "
              << point(face.NoseTip()) << " mouth " << point(face.MouthCentre()) << " chin "
              << point(face.Chin()) << "\n";
  }
}

// Runs a face command whose dialog is answered; says on standard error when the step it made
// was held back so that the picture does not fold, which is no failure.
void TriggerFaceCommand(TBatch& batch, const char* command) {
  Trigger(batch.Studio, command);
  const std::string held = HeldBackMessage(batch.Studio.LastFaceLimit());
  if (!held.empty()) batch.Err << held << "\n";
}

// "PRESET [STRENGTH] [all]": Grimacer > Auto Caricature... with the preset (its key), the
// strength in percent (100 when left out) and all faces or the largest.
void AutoCaricature(TBatch& batch, const std::string& argument) {
  if (!FaceModelPresent(batch.Studio.FaceModelPath())) throw Exception(kNoFaceModelMessage);
  std::vector<std::string> words = Words(argument);
  const bool all = words.size() > 1 && words.back() == "all";
  if (all) words.pop_back();
  if (words.empty() || words.size() > 2) throw Exception("autocaricature takes PRESET [STRENGTH] [all]");
  if (!PresetByKey(words[0])) {
    std::string keys;
    for (const TPresetName& preset : CaricaturePresets()) keys += (keys.empty() ? "" : ", ") + std::string(preset.Key);
    throw Exception("autocaricature takes one of " + keys + ", not \"" + words[0] + "\"");
  }
  batch.Dialogs.AnswerForm(TFormAnswer{"Auto Caricature",
                                       {{"Preset", words[0]},
                                        {"Strength", words.size() > 1 ? words[1] : "100"},
                                        {"All faces", all ? "on" : "off"}},
                                       true});
  TriggerFaceCommand(batch, "AutoCaricature1");
}

// "SLIDER=VALUE [SLIDER=VALUE ...] [all]": Grimacer > Face Sculpt... with those sliders (their
// batch words, -100..100), the rest at 0, on the largest face or all of them.
void Sculpt(TBatch& batch, const std::string& argument) {
  if (!FaceModelPresent(batch.Studio.FaceModelPath())) throw Exception(kNoFaceModelMessage);
  std::vector<std::string> words = Words(argument);
  const bool all = !words.empty() && words.back() == "all";
  if (all) words.pop_back();
  if (words.empty()) throw Exception("sculpt takes SLIDER=VALUE [SLIDER=VALUE ...] [all]");
  TFormAnswer answer{"Face Sculpt", {{"All faces", all ? "on" : "off"}}, true};
  for (const std::string& word : words) {
    const size_t equals = word.find('=');
    const std::string slider = word.substr(0, equals);
    if (equals == std::string::npos || !SculptSliderByKey(slider)) {
      std::string keys;
      for (const TSculptSliderName& s : SculptSliders()) keys += (keys.empty() ? "" : ", ") + std::string(s.Key);
      throw Exception("sculpt takes SLIDER=VALUE with a slider of " + keys + ", not \"" + word + "\"");
    }
    ParseWholeNumber(word.substr(equals + 1), -kSculptLimit, kSculptLimit, slider);
    answer.Fields.emplace_back(slider, word.substr(equals + 1));
  }
  batch.Dialogs.AnswerForm(std::move(answer));
  TriggerFaceCommand(batch, "FaceSculpt1");
}

// "PERCENT [all]": Grimacer > Face Sculpt... with Exaggerate alone at PERCENT (0..200).
void Exaggerate(TBatch& batch, const std::string& argument) {
  if (!FaceModelPresent(batch.Studio.FaceModelPath())) throw Exception(kNoFaceModelMessage);
  std::vector<std::string> words = Words(argument);
  const bool all = words.size() > 1 && words.back() == "all";
  if (all) words.pop_back();
  if (words.size() != 1) throw Exception("exaggerate takes PERCENT [all]");
  ParseWholeNumber(words[0], 0, kExaggerateLimit, "exaggerate");
  batch.Dialogs.AnswerForm(
      TFormAnswer{"Face Sculpt", {{"Exaggerate", words[0]}, {"All faces", all ? "on" : "off"}}, true});
  TriggerFaceCommand(batch, "FaceSculpt1");
}

// "PDFPATH": File > Print, the print dialog answered with printing into that PDF file.
void Print(TSStudio& studio, TScriptedDialogs& dialogs, const std::string& argument) {
  dialogs.AnswerForm(TFormAnswer{"Print", {{"Output File", AbsolutePath(argument)}}, true});
  Trigger(studio, "mPrint");
}

// A command whose one question is a file: PATH answers it.
void AnswerFileAndTrigger(TBatch& batch, const std::string& path, const char* action) {
  batch.Dialogs.AnswerFile(AbsolutePath(path));
  Trigger(batch.Studio, action);
}

// "PATH [all]": Grimacer > Load Face Recipe... on the largest face, or on every face.
void LoadRecipe(TBatch& batch, const std::string& argument) {
  std::string path = argument;
  const bool all = path.size() > 4 && path.compare(path.size() - 4, 4, " all") == 0;
  if (all) path = Trim(path.substr(0, path.size() - 4));
  batch.Studio.SetRecipeFaces(all ? TSStudio::TRecipeFaces::All : TSStudio::TRecipeFaces::Largest);
  try {
    AnswerFileAndTrigger(batch, path, "LoadFaceRecipe1");
  } catch (...) {
    batch.Studio.SetRecipeFaces(TSStudio::TRecipeFaces::Ask);
    throw;
  }
  batch.Studio.SetRecipeFaces(TSStudio::TRecipeFaces::Ask);
}

// The window's commands that need no answers prepared: each row's batch words trigger its action.
// One word ("undo") is a command of its own; two ("tool warp") make the first a command taking
// the second as its choice.
void AddRowCommands(std::map<std::string, TCommand>& commands) {
  std::map<std::string, std::map<std::string, std::string>> choices;
  for (const TCommandRow& row : TSStudio::CommandRows()) {
    if (!row.Batch) continue;
    const std::vector<std::string> words = Words(row.Batch);
    const std::string action = row.Name;
    if (words.size() == 1)
      commands[words[0]] = {TArgument::None, [action](TBatch& b, const std::string&) { Trigger(b.Studio, action); }};
    else
      choices[words[0]][words[1]] = action;
  }
  for (const auto& [command, actions] : choices)
    commands[command] = {TArgument::Required, [command, actions](TBatch& b, const std::string& arg) {
                           TriggerChoice(b.Studio, command, arg, actions);
                         }};
}

std::map<std::string, TCommand> MakeCommands() {
  std::map<std::string, TCommand> commands = {
      {"open", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                  b.Dialogs.AnswerFile(AbsolutePath(arg));
                  Trigger(b.Studio, "mOpenImage");
                }}},
      {"saveas", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                    b.Dialogs.AnswerFile(AbsolutePath(arg));
                    Trigger(b.Studio, "saveas1");
                  }}},
      {"print", {TArgument::Required, [](TBatch& b, const std::string& arg) { Print(b.Studio, b.Dialogs, arg); }}},
      {"saverecipe", {TArgument::Required, [](TBatch& b, const std::string& arg) { AnswerFileAndTrigger(b, arg, "SaveFaceRecipe1"); }}},
      {"loadrecipe", {TArgument::Required, [](TBatch& b, const std::string& arg) { LoadRecipe(b, arg); }}},
      {"savemesh", {TArgument::Required, [](TBatch& b, const std::string& arg) { AnswerFileAndTrigger(b, arg, "SaveMesh1"); }}},
      {"loadmesh", {TArgument::Required, [](TBatch& b, const std::string& arg) { AnswerFileAndTrigger(b, arg, "LoadMesh1"); }}},
      {"stepback", {TArgument::Optional, [](TBatch& b, const std::string& arg) { Step(b, arg, "StepBackward1"); }}},
      {"stepforward", {TArgument::Optional, [](TBatch& b, const std::string& arg) { Step(b, arg, "StepForward1"); }}},
      {"history", {TArgument::None, [](TBatch& b, const std::string&) { PrintHistory(b); }}},
      {"faces", {TArgument::None, [](TBatch& b, const std::string&) { PrintFaces(b); }}},
      {"autocaricature", {TArgument::Required, [](TBatch& b, const std::string& arg) { AutoCaricature(b, arg); }}},
      {"sculpt", {TArgument::Required, [](TBatch& b, const std::string& arg) { Sculpt(b, arg); }}},
      {"exaggerate", {TArgument::Required, [](TBatch& b, const std::string& arg) { Exaggerate(b, arg); }}},
      {"imagesize", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                       b.Dialogs.AnswerForm(ImageSizeAnswer(arg));
                       Trigger(b.Studio, "ImageSize1");
                     }}},
      {"size", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                  b.Studio.SetBrushSize(ParseInt(arg, "size"));
                }}},
      {"effect", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                    b.Studio.SetBrushEffect(ParseInt(arg, "effect"));
                  }}},
      {"stroke", {TArgument::Required, [](TBatch& b, const std::string& arg) { Stroke(b, arg); }}},
      {"press", {TArgument::Required, [](TBatch& b, const std::string& arg) { Press(b, arg); }}},
      {"move", {TArgument::Required, [](TBatch& b, const std::string& arg) { Move(b, arg); }}},
      {"release", {TArgument::None, [](TBatch& b, const std::string&) { Release(b); }}},
      {"tick", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                  b.Studio.TickRepeatTimers(ParseWholeNumber(arg, 0, kMaxTicks, "tick"));
                }}},
      {"clipart", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                     InsertClipart(b.Studio, b.Dialogs, arg, false);
                   }}},
      {"bubble", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                    InsertClipart(b.Studio, b.Dialogs, arg, true);
                  }}},
      {"text", {TArgument::Required, [](TBatch& b, const std::string& arg) { InsertText(b.Studio, b.Dialogs, arg); }}},
      {"brushsize", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                       b.Studio.SetEraserSize(ParseBrushSize(arg));
                     }}},
      {"color", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                   b.Studio.SetPaintColor(ParseRgb(arg));
                 }}},
      {"filter", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                    RunNamedFilter(b.Studio, b.Dialogs, arg);
                  }}},
      {"chromakey", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                       ChromaKey(b.Studio, b.Dialogs, arg);
                     }}},
      {"background", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                        b.Dialogs.AnswerFile(AbsolutePath(arg));
                        Trigger(b.Studio, "ChangeBackground1");
                      }}},
      {"animate", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                     Animate(b.Studio, b.Dialogs, arg);
                   }}},
      {"sticker", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                     Sticker(b.Studio, b.Dialogs, arg);
                   }}},
      {"loadfilters", {TArgument::Required, [](TBatch& b, const std::string& arg) {
                         LoadFilters(b.Studio, b.Dialogs, arg);
                       }}},
      {"autosave", {TArgument::None, [](TBatch& b, const std::string&) { b.Studio.WriteRecoveryNow(); }}},
      // The window's timers run meanwhile; bounded so that a script always ends.
      {"wait", {TArgument::Required, [](TBatch&, const std::string& arg) {
                  const int ms = ParseWholeNumber(arg, 0, 600000, "wait");
                  QEventLoop loop;
                  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
                  loop.exec();
                }}},
  };
  AddRowCommands(commands);
  return commands;
}

const std::map<std::string, TCommand>& Commands() {
  static const std::map<std::string, TCommand> commands = MakeCommands();
  return commands;
}

void RunLine(TBatch& batch, const std::string& line);

// "try try ..." means no more than one "try"; a few are let through, thousands would run the
// stack out before the first one ran.
constexpr int kMaxTryDepth = 8;

void CheckTryDepth(const std::string& line) {
  size_t at = 0;
  for (int depth = 0;; ++depth) {
    at = line.find_first_not_of(" \t", at);
    if (at == std::string::npos || line.compare(at, 3, "try") != 0 ||
        (at + 3 < line.size() && line[at + 3] != ' ' && line[at + 3] != '\t'))
      return;
    if (depth == kMaxTryDepth)
      throw Exception("\"try\" is nested more than " + std::to_string(kMaxTryDepth) + " deep");
    at += 3;
  }
}

// "try COMMAND": a failure is reported and the script goes on, so that a script can show what a
// failed command leaves behind.
void Try(TBatch& batch, const std::string& line) {
  try {
    RunLine(batch, line);
  } catch (const std::exception& e) {
    batch.Err << "try " << line << "\n" << e.what() << "\n";
    batch.Dialogs.ClearMessages();
    batch.Dialogs.ClearPendingAnswers();
  }
}

void RunLine(TBatch& batch, const std::string& line) {
  const size_t space = line.find_first_of(" \t");
  const std::string word = line.substr(0, space);
  const std::string argument = space == std::string::npos ? "" : Trim(line.substr(space));
  if (word == "try") {
    if (argument.empty()) throw Exception("\"try\" needs a command");
    return Try(batch, argument);
  }
  const auto command = Commands().find(word);
  if (command == Commands().end()) throw Exception("unknown command \"" + word + "\"");
  if (command->second.Argument == TArgument::Required && argument.empty())
    throw Exception("\"" + word + "\" needs an argument");
  if (command->second.Argument == TArgument::None && !argument.empty())
    throw Exception("\"" + word + "\" takes no argument");
  command->second.Run(batch, argument);
  // A message box the window would show counts as the command's failure.
  if (!batch.Dialogs.Messages().empty()) throw Exception(batch.Dialogs.Messages().front());
  if (batch.Dialogs.HasPendingAnswers()) throw Exception("\"" + word + "\" did not ask the expected question");
}

}  // namespace

int RunBatch(TSStudio& studio, TScriptedDialogs& dialogs, std::istream& script, std::ostream& err,
             std::ostream& out) {
  TBatch batch{studio, dialogs, err, out, TMouse{}};
  std::string raw;
  int number = 0;
  while (std::getline(script, raw)) {
    ++number;
    // Editors that save UTF-8 with a byte-order mark put it before the first command.
    if (number == 1 && raw.rfind("\xEF\xBB\xBF", 0) == 0) raw.erase(0, 3);
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    // Such a line is no command, and echoed it could rewrite the terminal it is shown on.
    if (HasControlBytes(line)) {
      err << "line " << number << " holds control characters; a script is text\n";
      return 1;
    }
    try {
      CheckTryDepth(line);
      RunLine(batch, line);
    } catch (const std::exception& e) {
      err << "line " << number << ": " << line << "\n" << e.what() << "\n";
      return 1;
    }
  }
  return 0;
}

int RunBatchFile(const std::string& scriptPath) {
  if (FolderExists(scriptPath)) {
    std::cerr << "The script \"" << scriptPath << "\" is a folder, not a script\n";
    return 1;
  }
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
    studio.SetBatchMode(true);
    studio.resize(1024, 768);
    studio.setAttribute(Qt::WA_DontShowOnScreen);
    studio.show();
    // A script that keeps recovery copies keeps its work when the session is ended under it.
    const TTerminationSignals ending([&studio](int) { studio.EndSessionKeepingWork(); });
    result = RunBatch(studio, dialogs, script, std::cerr, std::cout);
  }
  SetDialogs(previous);
  return result;
}

}  // namespace gs
