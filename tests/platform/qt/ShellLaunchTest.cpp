// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/ShellLaunch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace gs {
namespace {

struct RecordingLauncher {
  std::vector<std::pair<TLaunchKind, std::string>> Calls;
  bool Answer = true;
  TLauncher Previous;

  RecordingLauncher() {
    Previous = SetLauncher([this](TLaunchKind kind, const std::string& target) {
      Calls.emplace_back(kind, target);
      return Answer;
    });
  }
  ~RecordingLauncher() { SetLauncher(std::move(Previous)); }
};

TEST(ShellLaunch, HookSeesEachLaunchWithItsKindAndTargetAndPassesItsAnswerBack) {
  RecordingLauncher rec;
  EXPECT_TRUE(ShellExecute("/tmp/x/help/help.html"));
  rec.Answer = false;
  EXPECT_FALSE(StartProgram("/tmp/x/Tools/gifloom"));
  EXPECT_FALSE(ShellExecute("https://example.org/video"));
  ASSERT_EQ(rec.Calls.size(), 3u);
  EXPECT_EQ(rec.Calls[0], std::make_pair(TLaunchKind::Open, std::string("/tmp/x/help/help.html")));
  EXPECT_EQ(rec.Calls[1], std::make_pair(TLaunchKind::Start, std::string("/tmp/x/Tools/gifloom")));
  EXPECT_EQ(rec.Calls[2].second, "https://example.org/video");
}

TEST(ShellLaunch, RestoringThePreviousLauncherStopsInterception) {
  std::vector<std::string> outer;
  TLauncher original = SetLauncher([&](TLaunchKind, const std::string& t) {
    outer.push_back(t);
    return true;
  });
  {
    RecordingLauncher inner;
    ShellExecute("inner");
    EXPECT_EQ(inner.Calls.size(), 1u);
  }
  ShellExecute("outer");
  SetLauncher(std::move(original));
  EXPECT_EQ(outer, std::vector<std::string>{"outer"});
}

TEST(ShellLaunch, DocumentsFallBackToTheStartFolderButProgramsNever) {
  TDataFolders folders;
  folders.StartFolder = "/home/u/elsewhere";
  EXPECT_EQ(HelpFilePath(folders), "/home/u/elsewhere/help/help.html");
  EXPECT_EQ(TutorialPath(folders), "/home/u/elsewhere/help/tutorial.html");
  EXPECT_EQ(AnimatorPath(folders), "");
  folders.ExeFolder = "/opt/gs/bin";
  EXPECT_EQ(AnimatorPath(folders), "/opt/gs/bin/Tools/gifloom");
}

TEST(ShellLaunch, DesktopStartRunsAProgramDetachedAndReportsAMissingOne) {
  int argc = 1;
  char name[] = "platform_tests";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString marker = dir.filePath("ran");
  const QString script = dir.filePath("tool.sh");
  {
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    // Run with no arguments: "$#" must be 0.
    f.write(QStringLiteral("#!/bin/sh\necho \"$#\" > '%1'\n").arg(marker).toUtf8());
  }
  QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_TRUE(StartProgram(script.toStdString()));
  for (int i = 0; i < 200 && !QFile::exists(marker); ++i) QThread::msleep(10);
  QThread::msleep(20);
  QFile result(marker);
  ASSERT_TRUE(result.open(QIODevice::ReadOnly));
  EXPECT_EQ(result.readAll().trimmed(), QByteArray("0"));
  EXPECT_FALSE(StartProgram(dir.filePath("no-such-tool").toStdString()));
}

}  // namespace
}  // namespace gs
