// What the window remembers between runs: the recent pictures, the dialogs' last folder, the
// window's and the palette's places and the brush. Only a window given a settings store
// remembers anything; the batch mode and the tests give none, or a scratch one.

#include "codecs/FileIO.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "shell/window/Studio.h"
#include "shell/window/ToolsForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QSlider>

#include <algorithm>

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
const QString kSizeKey = QStringLiteral("brush/size");
const QString kEffectKey = QStringLiteral("brush/effect");
const QString kHistoryKey = QStringLiteral("history/budgetMB");

std::string FolderOf(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
}
}  // namespace

void TSStudio::UseSettings(std::unique_ptr<QSettings> settings) {
  Settings_ = std::move(settings);
  if (!Settings_) return;
  std::vector<std::string> files;
  for (const QString& file : Settings_->value(kRecentKey).toStringList()) files.push_back(file.toStdString());
  Recent_.Assign(files);
  LastFolder_ = Settings_->value(kFolderKey).toString().toStdString();
  if (Settings_->contains(kWindowKey)) restoreGeometry(Settings_->value(kWindowKey).toByteArray());
  if (Settings_->contains(kPaletteKey)) ToolsForm->restoreGeometry(Settings_->value(kPaletteKey).toByteArray());
  SizeBar->setValue(Settings_->value(kSizeKey, SizeBar->value()).toInt());
  PinchBar->setValue(Settings_->value(kEffectKey, PinchBar->value()).toInt());
  // The history's memory, in megabytes; at least one step is always kept.
  const qlonglong budget = Settings_->value(kHistoryKey, qlonglong(THistory::kDefaultBudget >> 20)).toLongLong();
  Doc.History.SetBudget(size_t(std::max<qlonglong>(budget, 0)) << 20);
  SetRecoveryInterval(ReadRecoveryInterval(*Settings_));
  RebuildRecentMenu();
}

void TSStudio::SaveSettings() {
  if (!Settings_) return;
  Settings_->setValue(kWindowKey, saveGeometry());
  Settings_->setValue(kPaletteKey, ToolsForm->saveGeometry());
  Settings_->setValue(kSizeKey, SizeBar->value());
  Settings_->setValue(kEffectKey, PinchBar->value());
  SaveRecent();
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
  bool close = true;
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
