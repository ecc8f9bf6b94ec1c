// SPDX-License-Identifier: GPL-3.0-or-later
// The command table made into the window: one action per row, the menus, the main tool bar,
// the enabled states and the running of a command as a step of the history.

#include "platform/Guard.h"
#include "shell/window/Studio.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <unordered_map>

namespace gs {

namespace {
// The menu bar's menus in their order, and the sub-menus with the menu and place they sit in.
struct TMenuTitle {
  TMenu Menu;
  const char* Title;
  const char* Name;
};
constexpr TMenuTitle kMenuBar[] = {
    {TMenu::File, "File", "FileMenu"},           {TMenu::Edit, "Edit", "EditMenu"},
    {TMenu::Grimacer, "Grimacer", "GrimacerMenu"}, {TMenu::Warp, "Warp", "WarpMenu"},
    {TMenu::View, "View", "ViewMenu"},           {TMenu::Insert, "Insert", "InsertMenu"},
    {TMenu::Filters, "Filters ", "FiltersMenu"}, {TMenu::Tools, "Tools", "ToolsMenu"},
    {TMenu::Help, "Help", "HelpMenu"},
};
struct TSubMenu {
  TMenuTitle Title;
  TPlace Place;
};
constexpr TSubMenu kSubMenus[] = {
    {{TMenu::OpenRecent, "Open &Recent", "RecentMenu"}, {TMenu::File, 11}},
    {{TMenu::RotateCanvas, "Rotate Canvas", "RotateCanvasMenu"}, {TMenu::Edit, 15}},
};
// The menus that hold nothing to do before a picture is open.
constexpr TMenu kPictureMenus[] = {TMenu::Edit, TMenu::Grimacer, TMenu::Warp, TMenu::View, TMenu::Insert,
                                   TMenu::Filters};

// One entry of a menu or bar being laid out: a row's action or a sub-menu, at its order.
struct TEntry {
  int Order;
  QAction* Action;
};

// Adds the entries in their order, with a separator between different tens.
template <class Target>
void Lay(Target& target, std::vector<TEntry> entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) { return a.Order < b.Order; });
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i > 0 && entries[i].Order / 10 != entries[i - 1].Order / 10) target.addSeparator();
    target.addAction(entries[i].Action);
  }
}
}  // namespace


std::vector<TCommandRow> TSStudio::CommandRows() {
  std::vector<TCommandRow> rows;
  for (TCommandRows topic : {FileCommands(), CanvasCommands(), HistoryCommands(), ViewCommands(), BrushCommands(),
                             AutoCaricatureCommands(), LayerCommands(), PixelToolCommands(), AdjustCommands(),
                             AnimateCommands(), FilterCommands(), HelpCommands(), SettingsCommands(), RecipeCommands()})
    rows.insert(rows.end(), topic.begin(), topic.end());
  return rows;
}

QAction* TSStudio::MakeAction(const TCommandRow& row) {
  auto* action = new QAction(QString::fromUtf8(row.Caption), this);
  action->setObjectName(QString::fromLatin1(row.Name));
  if (row.Icon) action->setIcon(MakeIcon(*row.Icon));
  if (row.Tip) {
    action->setToolTip(QString::fromUtf8(row.Tip));
    action->setStatusTip(action->toolTip());  // a menu's entries say it in the status bar
  }
  if (row.IconText) action->setIconText(QString::fromUtf8(row.IconText));
  action->setCheckable(row.Checked != nullptr);
  QList<QKeySequence> keys;
  const auto add = [&keys](const QKeySequence& sequence) {
    // A platform whose standard key is the same as the other one given must not list it twice.
    if (!sequence.isEmpty() && !keys.contains(sequence)) keys.append(sequence);
  };
  for (const TKey& key : row.Keys) {
    if (key.Standard != QKeySequence::UnknownKey)
      for (const QKeySequence& sequence : QKeySequence::keyBindings(key.Standard)) add(sequence);
    else if (key.Combination.key() != Qt::Key_unknown) add(QKeySequence(key.Combination));
  }
  action->setShortcuts(keys);
  if (row.Handler)
    connect(action, &QAction::triggered, this, [this, &row] { RunGuarded([this, &row] { RunCommand(row); }); });
  return action;
}

void TSStudio::RunCommand(const TCommandRow& row) {
  // Whatever the command did or failed at, the greyed-out commands follow the document.
  struct TRefresh {
    TSStudio& Studio;
    ~TRefresh() { Studio.RefreshCommands(); }
  } refresh{*this};
  if (!row.Step) return (this->*row.Handler)();
  RecordStep(row.Step->Scope, row.Step->Name, [this, &row] { (this->*row.Handler)(); });
}

QAction* TSStudio::Action(const char* name) const { return ActionsByName_.at(name); }

const TCommandRow& TSStudio::Row(const char* name) const {
  const auto row = std::find_if(Rows_.begin(), Rows_.end(), [name](const TCommandRow& r) { return std::strcmp(r.Name, name) == 0; });
  if (row == Rows_.end()) throw std::logic_error(std::string("no command ") + name);
  return *row;
}

void TSStudio::CreateActions() {
  Rows_ = CommandRows();
  RowActions_.reserve(Rows_.size());
  for (const TCommandRow& row : Rows_) {
    QAction* action = MakeAction(row);
    RowActions_.push_back(action);
    ActionsByName_.emplace(row.Name, action);
    if (row.Hidden) action->setVisible(false);
  }
  // The palette's tools are in no menu: the window carries every action so their keys work.
  addActions(QList<QAction*>(RowActions_.begin(), RowActions_.end()));
}

bool TSStudio::Available(const TCommandRow& row) const {
  bool needs = true;
  switch (row.Needs) {
    case TNeeds::Nothing: break;
    case TNeeds::Picture: needs = Doc.ImageLoaded(); break;
    case TNeeds::Layers: needs = Doc.ImageLoaded() && !Doc.Layers().empty(); break;
    case TNeeds::SelectedLayer: needs = Doc.ImageLoaded() && Doc.Selection().Selected() != nullptr; break;
  }
  return needs && (!row.Also || (this->*row.Also)());
}

void TSStudio::RefreshCommands() {
  for (size_t i = 0; i < Rows_.size(); ++i) {
    RowActions_[i]->setEnabled(Available(Rows_[i]));
    if (Rows_[i].Checked) RowActions_[i]->setChecked((this->*Rows_[i].Checked)());
  }
  for (TMenu menu : kPictureMenus) Menu(menu)->menuAction()->setEnabled(Doc.ImageLoaded());
  RefreshStatus();
}

void TSStudio::CreateMenus() {
  QMenuBar* bar = menuBar();
  std::unordered_map<TMenu, std::vector<TEntry>> entries;
  for (const TMenuTitle& title : kMenuBar) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(title.Title));
    menu->setObjectName(QString::fromLatin1(title.Name));
    Menus_[title.Menu] = menu;
  }
  for (const TSubMenu& sub : kSubMenus) {
    auto* menu = new QMenu(QString::fromUtf8(sub.Title.Title), this);
    menu->setObjectName(QString::fromLatin1(sub.Title.Name));
    Menus_[sub.Title.Menu] = menu;
    entries[sub.Place.Menu].push_back(TEntry{sub.Place.Order, menu->menuAction()});
  }
  for (size_t i = 0; i < Rows_.size(); ++i)
    if (Rows_[i].Menu.Menu != TMenu::None)
      entries[Rows_[i].Menu.Menu].push_back(TEntry{Rows_[i].Menu.Order, RowActions_[i]});
  for (auto& [menu, list] : entries) Lay(*Menu(menu), list);
  // The filters' categories follow.
  Menu(TMenu::Filters)->addSeparator();
  RebuildRecentMenu();
}

void TSStudio::CreateToolBars() {
  ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolBar1->setIconSize(QSize(24, 24));
  std::vector<TEntry> entries;
  for (size_t i = 0; i < Rows_.size(); ++i)
    if (Rows_[i].ToolBar) entries.push_back(TEntry{Rows_[i].ToolBar, RowActions_[i]});
  Lay(*ToolBar1, entries);
  // Before acts while held, not when clicked.
  auto* before = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(Action("Before1")));
  connect(before, &QToolButton::pressed, this,
          [this] { RunGuarded([this] { HoldBefore(TBeforeHold::Button, true); }); });
  connect(before, &QToolButton::released, this,
          [this] { RunGuarded([this] { HoldBefore(TBeforeHold::Button, false); }); });
}

}  // namespace gs
