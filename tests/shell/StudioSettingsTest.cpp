// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file as a person or another version may have left it: what the window takes from
// it and what it refuses.

#include "StudioFixture.h"

#include "shell/dialogs/AboutBox.h"

#include <QCheckBox>
#include <QDockWidget>
#include <QSettings>

#include <algorithm>

namespace gs {
namespace {

class StudioSettingsTest : public test::TStudioFixture {
protected:
  std::unique_ptr<QSettings> Settings(const std::vector<std::pair<const char*, QVariant>>& values) {
    auto settings =
        std::make_unique<QSettings>(QString::fromStdString(Dir_.Path("settings.ini")), QSettings::IniFormat);
    settings->clear();
    for (const auto& [key, value] : values) settings->setValue(QString::fromLatin1(key), value);
    return settings;
  }
};

TEST_F(StudioSettingsTest, NumbersOutOfRangeOrNoNumbersFallBackToTheDefaultsWithALineEach) {
  const int size = SizeBar()->value(), effect = PinchBar()->value();
  const size_t budget = Doc().History.Budget();
  struct Case {
    QString Size, Effect, BudgetMB;
    int ExpectedSize, ExpectedEffect;
    size_t ExpectedBudget;
    int Lines;  // on standard error
  };
  const Case cases[] = {
      {"250", "-40", "64", 250, -40, size_t(64) << 20, 0},
      {" 7 ", "100", "0", 7, 100, 0, 0},
      {"abc", "1e3", "-5", size, effect, budget, 3},
      {"9999", "", "99999999999999999999", size, effect, budget, 3},
      {"4", "-101", "1099511627776", size, effect, budget, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE((c.Size + " " + c.Effect + " " + c.BudgetMB).toStdString());
    ShowNewWindow();
    testing::internal::CaptureStderr();
    Studio_->UseSettings(
        Settings({{"brush/size", c.Size}, {"brush/effect", c.Effect}, {"history/budgetMB", c.BudgetMB}}));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(SizeBar()->value(), c.ExpectedSize);
    EXPECT_EQ(PinchBar()->value(), c.ExpectedEffect);
    EXPECT_EQ(Doc().History.Budget(), c.ExpectedBudget);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), c.Lines) << said;
    if (c.Lines) {
      EXPECT_NE(said.find("brush/size"), std::string::npos) << said;
    }
  }
}

TEST_F(StudioSettingsTest, TheHistoryPanelAndTheAboutBoxChoiceOutlastTheRun) {
  Studio_->UseSettings(Settings({}));
  auto* dock = Child<QDockWidget>("HistoryDock");
  Studio_->addDockWidget(Qt::LeftDockWidgetArea, dock);
  dock->show();
  Child<TForm2>("Form2")->AtStart->click();
  EXPECT_FALSE(Command("AboutAtStart1")->isChecked());
  Studio_->SaveSettings();

  ShowNewWindow();
  EXPECT_TRUE(Command("AboutAtStart1")->isChecked());
  Studio_->UseSettings(
      std::make_unique<QSettings>(QString::fromStdString(Dir_.Path("settings.ini")), QSettings::IniFormat));
  dock = Child<QDockWidget>("HistoryDock");
  EXPECT_TRUE(dock->isVisible());
  EXPECT_EQ(Studio_->dockWidgetArea(dock), Qt::LeftDockWidgetArea);
  EXPECT_FALSE(Command("AboutAtStart1")->isChecked());
  // The bars keep to the tool of the moment: no brush, no brush bar.
  EXPECT_FALSE(BrushBar()->isVisible());
  EXPECT_TRUE(Child<QToolBar>("ToolBar1")->isVisible());
}

TEST_F(StudioSettingsTest, RecentEntriesThatAreNoFullPathAndUnreadablePlacesAreLeftOut) {
  const QString kept = QString::fromStdString(Dir_.Path("face.bmp"));
  testing::internal::CaptureStderr();
  Studio_->UseSettings(Settings({{"recent/files", QStringList{"face.bmp", kept, ""}},
                                 {"window/geometry", "not a geometry"}}));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Studio_->RecentFiles().Files(), std::vector<std::string>{kept.toStdString()});
  EXPECT_NE(said.find("recent/files"), std::string::npos) << said;
  EXPECT_NE(said.find("window/geometry"), std::string::npos) << said;
}

}  // namespace
}  // namespace gs
