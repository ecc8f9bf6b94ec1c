// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's command table. Each command is one row, kept in the file of its topic
// (StudioFile.cpp, StudioBrushes.cpp, ...). The window makes one QAction per row, once; the
// menus, the tool bar and the palette show that same action, its enabled state follows what the
// row needs, the history records the step the row names, and the batch mode finds the action by
// its object name and its word.

#include "document/History.h"
#include "shell/art/Icons.h"

#include <QKeySequence>

#include <array>
#include <optional>
#include <span>

namespace gs {

class TSStudio;

enum class TMenu { None, File, OpenRecent, Edit, RotateCanvas, Grimacer, Warp, View, Insert, Filters, Tools, Help };

// Where a row sits in a menu or on the tool bar: rows show in the order of `Order`, and a
// separator stands between rows of different tens (12 and 13 sit together, 13 and 20 apart).
// Order 0 is nowhere.
struct TPlace {
  TMenu Menu = TMenu::None;
  int Order = 0;
};

// A button of the floating palette: its column (0, 1), its row, and the name it has on the form.
struct TPaletteButton {
  int Column = -1;
  int Row = -1;
  const char* Name = nullptr;
};

// What a command needs before it can run; without it the action is greyed out everywhere and the
// batch mode refuses it.
enum class TNeeds {
  Nothing,
  Picture,        // an open picture
  Layers,         // a picture with at least one layer
  SelectedLayer,  // a selected layer
};

// A key of a command: one of QKeySequence's standard keys, or a key combination.
struct TKey {
  QKeySequence::StandardKey Standard = QKeySequence::UnknownKey;
  QKeyCombination Combination{Qt::Key_unknown};  // Key_unknown: none
};
constexpr TKey Key(QKeySequence::StandardKey standard) { return TKey{standard, {}}; }
constexpr TKey Key(QKeyCombination combination) { return TKey{QKeySequence::UnknownKey, combination}; }
constexpr TKey Key(Qt::Key key) { return TKey{QKeySequence::UnknownKey, QKeyCombination(key)}; }

// The history step a command records: what it may change and the step's name.
struct TRecordedStep {
  TChangeScope Scope;
  const char* Name;
};

struct TCommandRow {
  const char* Name;     // the action's object name (the legacy handler names keep theirs)
  const char* Caption;
  // What a click does. Null for an action that acts while held (Before): the window connects it.
  void (TSStudio::*Handler)() = nullptr;
  std::optional<TIcon> Icon = std::nullopt;
  const char* Tip = nullptr;
  std::array<TKey, 3> Keys{};
  TPlace Menu{};
  int ToolBar = 0;  // the order on the main tool bar, as TPlace::Order; 0: not on it
  TPaletteButton Palette{};
  TNeeds Needs = TNeeds::Picture;
  // A further condition, asked whenever the enabled states are refreshed.
  bool (TSStudio::*Also)() const = nullptr;
  // For a command that shows or hides something: whether it is shown (the menu ticks it).
  bool (TSStudio::*Checked)() const = nullptr;
  std::optional<TRecordedStep> Step = std::nullopt;
  // The batch mode's words for it ("undo", "tool warp"); null when the batch mode reaches it
  // through a command of its own that prepares the dialog's answers first.
  const char* Batch = nullptr;
  const char* IconText = nullptr;
  bool Hidden = false;  // made and kept, but not shown (the comic filter)
};

using TCommandRows = std::span<const TCommandRow>;

}  // namespace gs
