// SPDX-License-Identifier: GPL-3.0-or-later
#include "plugins/qt/FilterMenu.h"

#include "plugins/FilterRunner.h"
#include "platform/Guard.h"

#include <QAction>
#include <QMenu>

namespace gs {

namespace {

const QString kCategoryPrefix = QStringLiteral("CategoryItem");

// A caption without its accelerator marks: "&&" is a literal "&", a lone "&" marks a key.
QString StripHotkey(const QString& caption) {
  QString out;
  for (int i = 0; i < caption.size(); ++i) {
    if (caption[i] == QLatin1Char('&')) {
      if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) out += caption[++i];
      continue;
    }
    out += caption[i];
  }
  return out;
}

QMenu* FindCategory(QMenu& filterMenu, const QString& category) {
  const QString wanted = StripHotkey(category);
  for (QAction* action : filterMenu.actions()) {
    QMenu* sub = action->menu();
    if (sub && sub->objectName().startsWith(kCategoryPrefix) &&
        StripHotkey(sub->title()).compare(wanted, Qt::CaseInsensitive) == 0)
      return sub;
  }
  return nullptr;
}

}  // namespace

void RebuildFilterMenu(QMenu& filterMenu, const TPSPluginList& plugins,
                       const std::function<void(int index)>& runFilter) {
  // Each build sorts new filters in among the old, so items of an earlier build would run the
  // wrong filters: they all go, and every list entry gets its item again.
  for (QAction* action : filterMenu.actions()) {
    QMenu* sub = action->menu();
    if (sub && sub->objectName().startsWith(kCategoryPrefix)) delete sub;
  }

  QMenu* current = nullptr;
  int counter = 0;
  for (int i = 0; i < plugins.Count(); ++i) {
    const TPIPLManager& filter = plugins.Items(i);
    const QString category = QString::fromStdString(filter.Category());
    if (current && current->title() != category) current = FindCategory(filterMenu, category);
    if (!current) {
      current = new QMenu(category, &filterMenu);
      current->setObjectName(kCategoryPrefix + QString::number(counter++));
      current->setEnabled(true);
      filterMenu.addMenu(current);
    }
    QAction* item = current->addAction(QString::fromStdString(filter.Name()));
    item->setObjectName(QStringLiteral("FilterItem") + QString::number(i));
    item->setEnabled(true);
    item->setData(i);
    QObject::connect(item, &QAction::triggered, item, GuardedSlot([runFilter, i] { runFilter(i); }));
  }
}

void BuildFilterMenu(QMenu& filterMenu, TPSPluginList& plugins, const std::string& folder,
                     bool includeSubDirectories, const std::function<void(int index)>& runFilter) {
  BuildFilterMenu(filterMenu, plugins, std::vector<std::string>{folder}, includeSubDirectories, runFilter);
}

void BuildFilterMenu(QMenu& filterMenu, TPSPluginList& plugins, const std::vector<std::string>& folders,
                     bool includeSubDirectories, const std::function<void(int index)>& runFilter) {
  plugins.LoadFromFolders(folders, includeSubDirectories);
  RebuildFilterMenu(filterMenu, plugins, runFilter);
}

void ShowLastFilterDone(QAction& lastFilterItem) {
  lastFilterItem.setText(QString::fromLatin1(kExecuteLastFilterCaption));
  lastFilterItem.setEnabled(true);
}

}  // namespace gs
