// SPDX-License-Identifier: GPL-3.0-or-later
// What the window remembers between runs goes only to the store it is handed, and the command
// line neither uses nor changes it.

#include "TestGif.h"
#include "TestServices.h"

#include "gifloom/AnimatorDialog.h"
#include "gifloom/AnimatorSettings.h"

#include <QCheckBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>

#include <gtest/gtest.h>

using namespace gifloom;
using namespace gifloom::test;

namespace {

namespace fs = std::filesystem;

QString Q(const fs::path& path) { return QString::fromStdString(path.string()); }

// One run of the window on a store, if any.
struct TRun {
  explicit TRun(QSettings* settings) : Dialog(Services, QString(), settings) {}

  template <typename T>
  T* Child(const char* name) {
    T* child = Dialog.findChild<T*>(QLatin1String(name));
    if (child == nullptr) ADD_FAILURE() << "no control " << name;
    return child;
  }
  QString NextOpenFolder() {
    Child<QPushButton>("addFramesButton")->click();
    return Services.OpenRequests.back().Folder;
  }

  TScriptedServices Services;
  TAnimatorDialog Dialog;
};

std::string Text(const fs::path& path) {
  const TBytes bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<fs::path> Tree(const fs::path& folder) {
  std::vector<fs::path> entries;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) entries.push_back(entry);
  std::sort(entries.begin(), entries.end());
  return entries;
}

TEST(Settings, FolderDelayAndLoopComeBackInTheNextRun) {
  TScratchFolder folder;
  fs::create_directory(folder.Path() / "frames");
  fs::create_directory(folder.Path() / "made");
  const std::string frame = folder.Put("frames/a.gif", {});
  const QString store = Q(folder.Path() / "Gifloom.conf");
  {
    QSettings settings(store, QSettings::IniFormat);
    TRun run(&settings);
    EXPECT_EQ(run.NextOpenFolder(), "");
    run.Services.OpenAnswer = {QString::fromStdString(frame)};
    EXPECT_EQ(run.NextOpenFolder(), "");
    run.Services.SaveAnswer = Q(folder.Path() / "made/anim.gif");
    run.Child<QPushButton>("makeButton")->click();
    ASSERT_EQ(run.Services.SaveRequests.size(), 1u);
    EXPECT_EQ(run.Services.SaveRequests[0].Folder, Q(folder.Path() / "frames"));
    EXPECT_TRUE(run.Services.Messages.empty());
    run.Child<QSpinBox>("delaySpin")->setValue(250);
    run.Child<QCheckBox>("loopCheck")->setChecked(false);
  }
  {
    QSettings settings(store, QSettings::IniFormat);
    TRun run(&settings);
    EXPECT_EQ(run.Child<QSpinBox>("delaySpin")->value(), 250);
    EXPECT_FALSE(run.Child<QCheckBox>("loopCheck")->isChecked());
    EXPECT_EQ(run.NextOpenFolder(), Q(folder.Path() / "made"));
  }
  // A remembered folder that has gone is not offered.
  fs::remove_all(folder.Path() / "made");
  QSettings settings(store, QSettings::IniFormat);
  TRun run(&settings);
  EXPECT_EQ(run.NextOpenFolder(), "");
  EXPECT_EQ(run.Child<QSpinBox>("delaySpin")->value(), 250);
}

TEST(Settings, AWindowWithoutAStoreKeepsTheFolderForItsRunOnly) {
  TScratchFolder folder;
  const std::string frame = folder.Put("a.gif", {});
  {
    TRun run(nullptr);
    run.Services.OpenAnswer = {QString::fromStdString(frame)};
    run.NextOpenFolder();
    EXPECT_EQ(run.NextOpenFolder(), Q(folder.Path()));
    run.Child<QSpinBox>("delaySpin")->setValue(40);
    run.Child<QCheckBox>("loopCheck")->setChecked(false);
  }
  TRun next(nullptr);
  EXPECT_EQ(next.NextOpenFolder(), "");
  EXPECT_EQ(next.Child<QSpinBox>("delaySpin")->value(), 0);
  EXPECT_TRUE(next.Child<QCheckBox>("loopCheck")->isChecked());
  EXPECT_EQ(Tree(DefaultSettingsFolder()), std::vector<fs::path>{});
}

// The real program, with its settings home pointed at a scratch folder that holds choices the
// window made.
TEST(Settings, TheCommandLineNeitherUsesNorChangesTheWindowsChoices) {
  TScratchFolder folder;
  const fs::path config = folder.Path() / "config";
  const fs::path home = folder.Path() / "home";
  fs::create_directories(home);
  const fs::path store = config / kOrganisationName / (std::string(kProgramName) + ".conf");
  {
    QSettings settings(Q(store), QSettings::IniFormat);
    TRun run(&settings);
    run.Child<QSpinBox>("delaySpin")->setValue(77);
    run.Child<QCheckBox>("loopCheck")->setChecked(false);
  }
  const std::string remembered = Text(store);
  ASSERT_FALSE(remembered.empty());
  const std::vector<fs::path> configBefore = Tree(config);
  const std::string frame = folder.Put("a.gif", {});
  const std::string output = folder / "out.gif";

  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Q(config));
  environment.insert(QStringLiteral("HOME"), Q(home));
  QProcess gifloom;
  gifloom.setProcessEnvironment(environment);
  gifloom.start(QStringLiteral(GIFLOOM_PROGRAM),
                {QStringLiteral("-o"), QString::fromStdString(output),
                 QString::fromStdString(frame)});
  ASSERT_TRUE(gifloom.waitForFinished(30000)) << gifloom.errorString().toStdString();
  ASSERT_EQ(gifloom.exitCode(), 0) << gifloom.readAllStandardError().toStdString();

  const TAnimation animation = ParseAnimation(ReadFile(output));
  EXPECT_TRUE(animation.HasLoopingBlock);
  ASSERT_EQ(animation.Frames.size(), 1u);
  EXPECT_EQ(animation.Frames[0].Control, (TBytes{4, 0x08, 0, 0, 0, 0}));
  EXPECT_EQ(Text(store), remembered);
  EXPECT_EQ(Tree(config), configBefore);
  EXPECT_EQ(Tree(home), std::vector<fs::path>{});
}

}  // namespace
