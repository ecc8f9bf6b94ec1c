// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Filters menu: one sub-menu per category, one item per filter, after the "Last Filter" item
// and its separator.

#include "plugins/PluginList.h"

#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace gs {

// Scans `folder` into `plugins` (see TPSPluginList::LoadFromFolder), then lays out the category
// items of `filterMenu` afresh from the whole list: sub-menus named "CategoryItem<n>" captioned
// with the category, items named "FilterItem<index>" captioned with the filter's name, whose
// data (the Tag) is the list index and which call runFilter(index). Items of other kinds in the
// menu are left alone. A category is looked up among the menu's sub-menus by caption, ignoring
// "&" marks and letter case, before a new one is made.
void BuildFilterMenu(QMenu& filterMenu, TPSPluginList& plugins, const std::string& folder,
                     bool includeSubDirectories, const std::function<void(int index)>& runFilter);
// The same for several folders in one scan (TPSPluginList::LoadFromFolders): a module reached
// through more than one of them gets one item.
void BuildFilterMenu(QMenu& filterMenu, TPSPluginList& plugins, const std::vector<std::string>& folders,
                     bool includeSubDirectories, const std::function<void(int index)>& runFilter);

// Lays out the category items from the list as it is, without scanning.
void RebuildFilterMenu(QMenu& filterMenu, const TPSPluginList& plugins,
                       const std::function<void(int index)>& runFilter);

// After a filter has run: "Execute last filter", enabled.
void ShowLastFilterDone(QAction& lastFilterItem);

}  // namespace gs
