// SPDX-License-Identifier: GPL-3.0-or-later
// What the window remembers between runs: the recent pictures, the dialogs' last folder, the
// window's and the palette's places and the brush. Only a window given a settings store
// remembers anything; the batch mode and the tests give none, or a scratch one.

#include "codecs/FileIO.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "shell/window/Studio.h"
#include "shell/dialogs/AboutBox.h"
#include "shell/window/ToolsForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QSlider>
#include <QToolBar>

#include <iostream>

namespace gs {

TCommandRows TSStudio::SettingsCommands() {
  static const TCommandRow rows[] = {
      // Below the recent pictures, which RebuildRecentMenu lays out.
      {.Name = "ClearRecent1", .Caption = "Clear list", .Handler = &TSStudio::ClearRecentClick,
       .Needs = TNeeds::Nothing},
  };
  return rows;
}

namespace {
const QString kRecentKey = QStringLiteral("recent/files");
const QString kFolderKey = QStringLiteral("dialogs/lastFolder");
const QString kWindowKey = QStringLiteral("window/geometry");
const QString kPaletteKey = QStringLiteral("palette/geometry");
// The docks' and bars' places; only the History panel's is taken back.
const QString kPanelsKey = QStringLiteral("window/panels");
const QString kAboutAtStartKey = QStringLiteral("about/showAtStart");
const QString kSizeKey = QStringLiteral("brush/size");
const QString kEffectKey = QStringLiteral("brush/effect");
const QString kHistoryKey = QStringLiteral("history/budgetMB");

// The history may keep up to this many megabytes (a terabyte); more is a typing slip.
constexpr qlonglong kMaxHistoryMB = qlonglong(1) << 20;

std::string FolderOf(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
}

void ReportDamaged(const QString& key, const QString& why) {
  std::cerr << "The setting " << key.toStdString() << " " << why.toStdString() << "\n";
}

// A whole number from `low` to `high`, or `fallback` when the key is missing. A file edited by
// hand or written by another version may hold anything: a value out of range, or no number at
// all, also gives `fallback`, with a line on standard error, rather than something clamped.
qlonglong ReadWhole(const QSettings& settings, const QString& key, qlonglong low, qlonglong high,
                    qlonglong fallback) {
  if (!settings.contains(key)) return fallback;
  bool ok = false;
  const qlonglong value = settings.value(key).toString().trimmed().toLongLong(&ok);
  if (ok && value >= low && value <= high) return value;
  ReportDamaged(key, QStringLiteral("is not a whole number from %1 to %2; %3 is used")
                         .arg(low).arg(high).arg(fallback));
  return fallback;
}

// Absolute paths only: a relative one would name a file under whichever folder the editor
// happens to be started in.
std::vector<std::string> ReadRecentFiles(const QSettings& settings) {
  std::vector<std::string> files;
  for (const QString& file : settings.value(kRecentKey).toStringList()) {
    if (QFileInfo(file).isAbsolute()) files.push_back(file.toStdString());
    else if (!file.isEmpty())
      ReportDamaged(kRecentKey, QStringLiteral("names \"%1\", which is not a full path; it is left out").arg(file));
  }
  return files;
}

void RestoreGeometry(QWidget& widget, const QSettings& settings, const QString& key) {
  if (settings.contains(key) && !widget.restoreGeometry(settings.value(key).toByteArray()))
    ReportDamaged(key, QStringLiteral("cannot be read; the default place is used"));
}
}  // namespace

void TSStudio::UseSettings(std::unique_ptr<QSettings> settings) {
  Settings_ = std::move(settings);
  if (!Settings_) return;
  Recent_.Assign(ReadRecentFiles(*Settings_));
  LastFolder_ = Settings_->value(kFolderKey).toString().toStdString();
  RestoreGeometry(*this, *Settings_, kWindowKey);
  RestoreGeometry(*ToolsForm, *Settings_, kPaletteKey);
  RestorePanels();
  Form2->SetShowAtStart(Settings_->value(kAboutAtStartKey, true).toBool());
  SizeBar->setValue(int(ReadWhole(*Settings_, kSizeKey, SizeBar->minimum(), SizeBar->maximum(), SizeBar->value())));
  PinchBar->setValue(
      int(ReadWhole(*Settings_, kEffectKey, PinchBar->minimum(), PinchBar->maximum(), PinchBar->value())));
  // The history's memory, in megabytes; 0 keeps just the last step, as any budget does at least.
  const qlonglong budget =
      ReadWhole(*Settings_, kHistoryKey, 0, kMaxHistoryMB, qlonglong(THistory::kDefaultBudget >> 20));
  Doc.History.SetBudget(size_t(budget) << 20);
  SetRecoveryInterval(ReadRecoveryInterval(*Settings_));
  RebuildRecentMenu();
}

void TSStudio::SaveSettings() {
  if (!Settings_) return;
  Settings_->setValue(kWindowKey, saveGeometry());
  Settings_->setValue(kPaletteKey, ToolsForm->saveGeometry());
  Settings_->setValue(kPanelsKey, saveState());
  Settings_->setValue(kAboutAtStartKey, Form2->ShowAtStart());
  Settings_->setValue(kSizeKey, SizeBar->value());
  Settings_->setValue(kEffectKey, PinchBar->value());
  SaveRecent();
}

void TSStudio::RestorePanels() {
  if (!Settings_->contains(kPanelsKey)) return;
  // The bars show what the tool of the moment needs, not what they showed when the last run
  // ended: only the History panel takes its remembered place and visibility.
  const bool mainBar = !ToolBar1->isHidden(), brushBar = !ToolBar2->isHidden();
  if (!restoreState(Settings_->value(kPanelsKey).toByteArray()))
    ReportDamaged(kPanelsKey, QStringLiteral("cannot be read; the default places are used"));
  ToolBar1->setVisible(mainBar);
  ToolBar2->setVisible(brushBar);
}

void TSStudio::SaveRecent() {
  if (!Settings_) return;
  QStringList files;
  for (const std::string& file : Recent_.Files()) files << QString::fromStdString(file);
  Settings_->setValue(kRecentKey, files);
  Settings_->setValue(kFolderKey, QString::fromStdString(LastFolder_));
  Settings_->sync();
}

void TSStudio::closeEvent(QCloseEvent* event) {
  // Closed only once the question about unsaved work was answered: a failure on the way keeps
  // the window, and the work, open.
  bool close = false;
  RunGuarded([this, &close] {
    close = MayCloseDocument();
    if (close) SaveSettings();
    // The session ends normally: its recovery copy goes with it.
    if (close) EndRecoverySession();
  });
  if (!close) return event->ignore();
  QMainWindow::closeEvent(event);
}

void TSStudio::RememberFile(const std::string& path) {
  // A name given on the command line is relative to where that run started, not the next one.
  Recent_.Add(QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString());
  LastFolder_ = FolderOf(path);
  SaveRecent();
  RebuildRecentMenu();
}

void TSStudio::RememberFolder(const std::string& path) {
  LastFolder_ = FolderOf(path);
  SaveRecent();
}

void TSStudio::RebuildRecentMenu() {
  Menu(TMenu::OpenRecent)->clear();
  for (const std::string& file : Recent_.Files()) {
    QAction* item = Menu(TMenu::OpenRecent)->addAction(QString::fromStdString(ExtractFileName(file)));
    // Pictures of the same name in different folders tell apart by it.
    item->setToolTip(QString::fromStdString(FolderOf(file)));
    item->setData(QString::fromStdString(file));
    connect(item, &QAction::triggered, this, [this, file] { RunGuarded([this, file] { OpenRecentFile(file); }); });
  }
  Menu(TMenu::OpenRecent)->addSeparator();
  Menu(TMenu::OpenRecent)->addAction(Action("ClearRecent1"));
  Menu(TMenu::OpenRecent)->menuAction()->setEnabled(!Recent_.Files().empty());
}

void TSStudio::OpenRecentFile(const std::string& path) {
  if (!FileExists(path)) {
    Recent_.Remove(path);
    SaveRecent();
    RebuildRecentMenu();
    ShowMessage("The picture \"" + path + "\" is no longer there; it has been taken off the list.");
    return;
  }
  if (MayCloseDocument()) OpenFile(path);
}

void TSStudio::ClearRecentClick() {
  Recent_.Clear();
  SaveRecent();
  RebuildRecentMenu();
}

}  // namespace gs
