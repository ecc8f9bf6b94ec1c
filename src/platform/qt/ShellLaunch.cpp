// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/ShellLaunch.h"

#include <QDesktopServices>
#include <QProcess>
#include <QString>
#include <QUrl>

namespace gs {

namespace {

bool DesktopLaunch(TLaunchKind kind, const std::string& target) {
  const QString text = QString::fromStdString(target);
  if (kind == TLaunchKind::Start) return QProcess::startDetached(text, QStringList{});
  // A plain path must become a file URL: a path with a colon or '#' would otherwise be read as
  // a scheme or fragment.
  const QUrl url = text.contains(QStringLiteral("://")) ? QUrl(text) : QUrl::fromLocalFile(text);
  return QDesktopServices::openUrl(url);
}

TLauncher& CurrentLauncher() {
  static TLauncher launcher;
  return launcher;
}

bool Launch(TLaunchKind kind, const std::string& target) {
  const TLauncher& launcher = CurrentLauncher();
  return launcher ? launcher(kind, target) : DesktopLaunch(kind, target);
}

}  // namespace

bool ShellExecute(const std::string& target) { return Launch(TLaunchKind::Open, target); }

bool StartProgram(const std::string& path) { return Launch(TLaunchKind::Start, path); }

TLauncher SetLauncher(TLauncher launcher) {
  TLauncher previous = std::move(CurrentLauncher());
  CurrentLauncher() = std::move(launcher);
  return previous;
}

std::string HelpFilePath(const TDataFolders& folders) { return FindDataItem(folders, kHelpFile); }

std::string TutorialPath(const TDataFolders& folders) { return FindDataItem(folders, kTutorialFile); }

std::string AnimatorPath(const TDataFolders& folders) { return FindGifloom(folders); }

}  // namespace gs
