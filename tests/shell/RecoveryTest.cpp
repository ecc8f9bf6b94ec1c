// SPDX-License-Identifier: GPL-3.0-or-later
#include "StudioFixture.h"

#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "document/Recovery.h"
#include "shell/window/RecoverySession.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>

#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

using namespace gs;
namespace fs = std::filesystem;

namespace {

class StudioRecoveryTest : public test::TStudioFixture {
protected:
  StudioRecoveryTest() { WriteFileBytes(Dir_.Path("face.bmp"), EncodeBmp32(test::Stripes(96, 72))); }
  std::string Folder() const { return Dir_.Path("state") + "/grimacer-studio/recovery"; }
  std::string Edit() const {
    return "open " + Dir_.Path("face.bmp") + "\nzoom original\ntool warp\nsize 30\nstroke 30,30 50,40 hold 2\n";
  }
  std::vector<std::string> Copies() const {
    std::vector<std::string> names;
    std::error_code ignored;
    for (fs::directory_iterator it(Folder(), ignored), end; it != end; it.increment(ignored))
      if (it->path().extension() == ".gsr") names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // A copy of the window's document taken at `when`, left as a dead session leaves it.
  void LeaveDeadCopy(const std::string& name, int64_t when) {
    TRecoveryCopy copy;
    TakeRecoverySnapshot(Doc(), copy);
    copy.SavedAt = when;
    WriteFileBytes(Folder() + "/" + name + ".gsr", EncodeRecovery(copy));
  }
  // Runs the event loop until `done` or `ms` have passed.
  // An editor of its own running the script, its recovery folder in the scratch folder.
  void StartEditor(QProcess& child, const std::string& script) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_STATE_HOME"), QString::fromStdString(Dir_.Path("state")));
    child.setProcessEnvironment(env);
    child.start(QStringLiteral(GS_BIN_DIR "/grimacer"), {QStringLiteral("--batch"), QString::fromStdString(script)});
  }
  static bool WaitFor(const std::function<bool()>& done, int ms = 60000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
  }
};

TEST_F(StudioRecoveryTest, AKilledSessionsCopyIsOfferedAndRebuildsTheEditedPictureUnsaved) {
  const std::string script = Dir_.Path("edit.txt");
  std::ofstream(script) << Edit() << "autosave\nwait 120000\n";
  QProcess child;
  StartEditor(child, script);
  ASSERT_TRUE(child.waitForStarted(10000));
  ASSERT_TRUE(WaitFor([&] { return !Copies().empty() || child.state() == QProcess::NotRunning; }))
      << "no copy was written";
  ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().toStdString();

  // While its session runs, another window leaves the copy alone (an unanswered question would
  // fail here).
  Studio_->UseRecoveryFolder(Folder());
  Studio_->OfferRecovery();
  EXPECT_TRUE(Dialogs_.Questions().empty());

  ASSERT_EQ(::kill(pid_t(child.processId()), SIGKILL), 0);
  ASSERT_TRUE(child.waitForFinished(10000));
  EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
  ASSERT_EQ(Copies().size(), 1u) << "the killed session's copy stays";

  // The same edit here gives what the copy must rebuild.
  Run(Edit());
  const TBitmap32 view = Doc().ViewBitmap;
  const TVectorMap mesh = Doc().MeshTransformation.VectorMap();
  ASSERT_FALSE(mesh.IsIdentity());
  ShowNewWindow();
  Studio_->UseRecoveryFolder(Folder());
  Dialogs_.AnswerRecover(TRecoverChoice::Recover);
  Studio_->OfferRecovery();

  ASSERT_EQ(Dialogs_.Questions().size(), 1u);
  EXPECT_EQ(Dialogs_.Questions()[0].rfind("Recover the unsaved picture face.bmp from ", 0), 0u) << Dialogs_.Questions()[0];
  EXPECT_EQ(Doc().ViewBitmap, view);
  EXPECT_EQ(Doc().MeshTransformation.VectorMap(), mesh);
  EXPECT_EQ(Doc().DocumentFileName(), Dir_.Path("face.bmp"));
  EXPECT_TRUE(Doc().History.Modified());
  EXPECT_TRUE(Studio_->isWindowModified());
  // The recovered copy is this session's now, and goes when the window closes normally.
  EXPECT_EQ(Copies(), std::vector<std::string>{fs::path(Studio_->RecoveryCopyPath()).filename().string()});
  Studio_->close();
  EXPECT_TRUE(Copies().empty());
}

TEST_F(StudioRecoveryTest, ASessionEndedBySigtermKeepsItsLatestWorkAndLetsGoOfItsLock) {
  const std::string script = Dir_.Path("edit.txt");
  // The copy written at `autosave` is older than the work when the signal comes.
  std::ofstream(script) << Edit() << "autosave\nstroke 60,20 70,30 hold 2\nhistory\nwait 120000\n";
  QProcess child;
  StartEditor(child, script);
  ASSERT_TRUE(child.waitForStarted(10000));
  QByteArray out;
  ASSERT_TRUE(WaitFor([&] {
    out += child.readAllStandardOutput();
    return out.count('\n') >= 3 || child.state() == QProcess::NotRunning;
  })) << "the script did not reach its wait";
  ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().toStdString();
  ASSERT_EQ(::kill(pid_t(child.processId()), SIGTERM), 0);
  ASSERT_TRUE(child.waitForFinished(30000));
  EXPECT_EQ(child.exitStatus(), QProcess::CrashExit) << "ended as SIGTERM ends a program";
  ASSERT_EQ(Copies().size(), 1u);
  EXPECT_FALSE(FileExists(Folder() + "/" + fs::path(Copies()[0]).replace_extension(".lock").string()));

  Run(Edit() + "stroke 60,20 70,30 hold 2\n");
  const TBitmap32 view = Doc().ViewBitmap;
  ShowNewWindow();
  Studio_->UseRecoveryFolder(Folder());
  Dialogs_.AnswerRecover(TRecoverChoice::Recover);
  Studio_->OfferRecovery();
  ASSERT_EQ(Dialogs_.Questions().size(), 1u);
  EXPECT_EQ(Doc().ViewBitmap, view);
}

TEST_F(StudioRecoveryTest, TheTimerWritesInTheBackgroundAndASaveRemovesTheCopy) {
  Studio_->UseRecoveryFolder(Folder());
  Run(Edit());
  auto* timer = Child<QTimer>("RecoveryTimer");
  EXPECT_EQ(timer->interval(), 2 * 60 * 1000);
  timer->start(1);
  ASSERT_TRUE(WaitFor([&] { return FileExists(Studio_->RecoveryCopyPath()); }));
  timer->stop();
  ASSERT_TRUE(WaitFor([&] {
    QApplication::processEvents();
    try {
      return DecodeRecovery(ReadFileBytes(Studio_->RecoveryCopyPath())).View == Doc().ViewBitmap;
    } catch (const std::exception&) {
      return false;
    }
  }));
  // Nothing recorded since that copy: the next one is not written again.
  std::filesystem::remove(Studio_->RecoveryCopyPath());
  timer->start(1);
  WaitFor([&] { return FileExists(Studio_->RecoveryCopyPath()); }, 300);
  EXPECT_FALSE(FileExists(Studio_->RecoveryCopyPath()));
  Run("stroke 60,20 70,30 hold 2");
  EXPECT_TRUE(WaitFor([&] { return FileExists(Studio_->RecoveryCopyPath()); }));
  timer->stop();
  Run("saveas " + Dir_.Path("grin.png"));
  EXPECT_TRUE(WaitFor([&] { return Copies().empty(); }));
  // Opening another picture lets the copy go at once: what it held was saved or let go first.
  Run(Edit() + "autosave\n");
  ASSERT_EQ(Copies().size(), 1u);
  Run("open " + Dir_.Path("grin.png") + "\n");
  EXPECT_TRUE(WaitFor([&] { return Copies().empty(); }));
}

TEST_F(StudioRecoveryTest, CopiesAreOfferedNewestFirstAndDiscardDeletesThem) {
  fs::create_directories(Folder());
  Run("open " + Dir_.Path("face.bmp"));
  Doc().SetDocumentFileName(Dir_.Path("older.png"));
  LeaveDeadCopy("a", 1000);
  Doc().SetDocumentFileName(Dir_.Path("newer.png"));
  LeaveDeadCopy("b", 2000);
  ShowNewWindow();
  Studio_->UseRecoveryFolder(Folder());
  Dialogs_.AnswerRecover(TRecoverChoice::Discard);
  Dialogs_.AnswerRecover(TRecoverChoice::Recover);
  Studio_->OfferRecovery();
  ASSERT_EQ(Dialogs_.Questions().size(), 2u);
  EXPECT_NE(Dialogs_.Questions()[0].find("newer.png"), std::string::npos);
  EXPECT_NE(Dialogs_.Questions()[1].find("older.png"), std::string::npos);
  EXPECT_EQ(Doc().DocumentFileName(), Dir_.Path("older.png"));
  EXPECT_FALSE(FileExists(Folder() + "/b.gsr"));
  EXPECT_FALSE(FileExists(Folder() + "/a.gsr"));
}

TEST_F(StudioRecoveryTest, BrokenCopiesAreNamedAndKeptOrDeletedAsTheUserSays) {
  fs::create_directories(Folder());
  Run("open " + Dir_.Path("face.bmp"));
  LeaveDeadCopy("cut", 1000);
  const TBytes whole = ReadFileBytes(Folder() + "/cut.gsr");
  WriteFileBytes(Folder() + "/cut.gsr", TBytes(whole.begin(), whole.begin() + ptrdiff_t(whole.size() / 2)));
  WriteFileBytes(Folder() + "/garbage.gsr", TBytes(100, 0xEE));
  // Opening this for reading would wait for a writer for ever.
  ASSERT_EQ(::mkfifo((Folder() + "/pipe.gsr").c_str(), 0600), 0);
  Run("tool warp\nstroke 20,20 40,40 hold 2");
  const TBitmap32 view = Doc().ViewBitmap;

  // The cut copy's names are whole, so it is offered; recovering it fails, changes nothing, and
  // the user keeps it. The garbage cannot even be named: the user deletes it.
  Studio_->UseRecoveryFolder(Folder());
  Dialogs_.AnswerRecover(TRecoverChoice::Recover);
  Dialogs_.AnswerYesNo(false);
  Dialogs_.AnswerYesNo(true);
  Studio_->OfferRecovery();
  EXPECT_EQ(Dialogs_.Questions().size(), 1u);
  EXPECT_FALSE(Dialogs_.HasPendingAnswers()) << "a broken copy was passed over in silence";
  EXPECT_EQ(Doc().ViewBitmap, view);
  EXPECT_TRUE(FileExists(Folder() + "/cut.gsr"));
  EXPECT_FALSE(FileExists(Folder() + "/garbage.gsr"));

  // A folder that cannot be listed or made.
  WriteFileBytes(Dir_.Path("file"), TBytes(1, 0));
  EXPECT_TRUE(FindDeadCopies(Dir_.Path("file")).empty());
  EXPECT_THROW(Studio_->UseRecoveryFolder(Dir_.Path("file") + "/recovery"), Exception);
}

// A session killed while it wrote its copy leaves the temporary file: a whole one newer than
// the copy is the work to offer, a cut one goes. Copies are the user's alone.
TEST_F(StudioRecoveryTest, ADeadSessionsTemporaryIsOfferedWhenWholeAndCopiesArePrivate) {
  fs::create_directories(Folder());
  fs::permissions(Folder(), fs::perms(0755));
  Run("open " + Dir_.Path("face.bmp"));
  Doc().SetDocumentFileName(Dir_.Path("older.png"));
  LeaveDeadCopy("s1", 1000);
  Doc().SetDocumentFileName(Dir_.Path("newer.png"));
  LeaveDeadCopy("written", 2000);
  fs::rename(Folder() + "/written.gsr", Folder() + "/s1.gsr.Ab12Cd");
  std::ofstream(Folder() + "/s1.lock") << "";
  const TBytes whole = ReadFileBytes(Folder() + "/s1.gsr.Ab12Cd");
  WriteFileBytes(Folder() + "/s2.gsr.Zz99Yy", TBytes(whole.begin(), whole.end() - 20));

  ShowNewWindow();
  const mode_t mask = ::umask(0);
  Studio_->UseRecoveryFolder(Folder());
  Dialogs_.AnswerRecover(TRecoverChoice::Recover);
  Studio_->OfferRecovery();
  ASSERT_EQ(Dialogs_.Questions().size(), 1u);
  EXPECT_NE(Dialogs_.Questions()[0].find("newer.png"), std::string::npos) << Dialogs_.Questions()[0];
  EXPECT_EQ(Doc().DocumentFileName(), Dir_.Path("newer.png"));
  EXPECT_EQ(Copies(), std::vector<std::string>{fs::path(Studio_->RecoveryCopyPath()).filename().string()});
  EXPECT_FALSE(FileExists(Folder() + "/s2.gsr.Zz99Yy"));

  Run("tool warp\nstroke 20,20 40,40 hold 2\nautosave");
  ::umask(mask);
  EXPECT_EQ(fs::status(Folder()).permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(Studio_->RecoveryCopyPath()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(StudioRecoveryTest, TheIntervalSettingFallsBackToTwoMinutesAndZeroTurnsCopiesOff) {
  for (const auto& [value, interval] : std::vector<std::pair<QString, int>>{
           {QStringLiteral("5"), 5 * 60000}, {QStringLiteral("-3"), 2 * 60000}, {QStringLiteral("soon"), 2 * 60000},
           {QStringLiteral("0"), 0}}) {
    auto settings = std::make_unique<QSettings>(QString::fromStdString(Dir_.Path("settings.ini")), QSettings::IniFormat);
    settings->setValue(QStringLiteral("recovery/intervalMinutes"), value);
    Studio_->UseSettings(std::move(settings));
    Studio_->UseRecoveryFolder(Folder());
    auto* timer = Child<QTimer>("RecoveryTimer");
    EXPECT_EQ(timer->isActive() ? timer->interval() : 0, interval) << value.toStdString();
  }
}

}  // namespace
