// SPDX-License-Identifier: GPL-3.0-or-later
// The Help menu: the manual reaches the user with or without a browser on the desktop.

#include "StudioFixture.h"
#include "codecs/FileIO.h"
#include "platform/qt/ShellLaunch.h"
#include "shell/dialogs/HelpWindow.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QToolButton>

#include <filesystem>
#include <fstream>

namespace gs {
namespace {

class HelpTest : public test::TStudioFixture {
protected:
  HelpTest() {
    Previous_ = SetLauncher([this](TLaunchKind, const std::string& target) {
      Launched.push_back(target);
      return DesktopOpens;
    });
  }
  ~HelpTest() override { SetLauncher(std::move(Previous_)); }

  void WritePage(const std::string& name, const std::string& body) {
    std::filesystem::create_directories(Dir_.Path("bin/help"));
    std::ofstream(Dir_.Path("bin/help/" + name)) << "<html><body>" << body << "</body></html>";
  }
  THelpWindow* HelpWindow() { return Studio_->findChild<THelpWindow*>(); }

  std::vector<std::string> Launched;
  bool DesktopOpens = true;
  TLauncher Previous_;
};

TEST_F(HelpTest, WithoutABrowserTheManualShowsInAWindowOfItsOwnAndItsLinksWork) {
  WritePage("help.html", "<p>Manual contents</p><a href=\"tutorial.html\">tutorial</a>");
  WritePage("tutorial.html", "<p>First grimace</p>");
  Trigger("GrimacerStudioHelp1");
  EXPECT_EQ(Launched, std::vector<std::string>{Dir_.Path("bin/help/help.html")});
  EXPECT_EQ(HelpWindow(), nullptr);

  DesktopOpens = false;
  Trigger("GrimacerStudioHelp1");
  ASSERT_NE(HelpWindow(), nullptr);
  EXPECT_TRUE(HelpWindow()->isVisible());
  QTextBrowser* browser = HelpWindow()->Browser;
  EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Manual contents")));
  // A link to another page of the manual opens there too, and Back returns.
  browser->setSource(browser->source().resolved(QUrl(QStringLiteral("tutorial.html"))));
  EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("First grimace")));
  HelpWindow()->BackButton->click();
  EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Manual contents")));

  // The window is kept: the tutorial opens in the same one.
  Trigger("VideoTutorial1");
  EXPECT_EQ(Studio_->findChildren<THelpWindow*>().size(), 1);
  EXPECT_TRUE(Dialogs_.Messages().empty());
}

TEST_F(HelpTest, AMissingManualIsNamedAndTheTutorialEntrySaysWhatItOpens) {
  Trigger("GrimacerStudioHelp1");
  EXPECT_TRUE(Launched.empty());
  ASSERT_EQ(Dialogs_.Messages().size(), 1u);
  EXPECT_NE(Dialogs_.Messages().front().find("help/help.html"), std::string::npos);
  Dialogs_.ClearMessages();

  WritePage("tutorial.html", "");
  Trigger("VideoTutorial1");
  ASSERT_EQ(Launched.size(), 1u);
  const QString opened = QString::fromStdString(Launched.front());
  const QString tip = Command("VideoTutorial1")->statusTip();
  EXPECT_TRUE(tip.contains(QStringLiteral("help/") + QFileInfo(opened).fileName())) << tip.toStdString();
}

}  // namespace
}  // namespace gs
