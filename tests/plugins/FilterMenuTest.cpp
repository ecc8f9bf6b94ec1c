// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt side: the Filters menu, the "Load Filters" dialog, the parameters form and Escape.

#include "PluginTestKit.h"
#include "plugins/FilterRunner.h"
#include "plugins/qt/FilterMenu.h"
#include "plugins/qt/FilterParametersForm.h"
#include "plugins/qt/KeyboardAbort.h"
#include "plugins/qt/LoadPluginForm.h"

#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>

namespace gs {
namespace {

namespace fs = std::filesystem;

// What the menu shows: "Category: item item ..." per category sub-menu, in order.
std::vector<std::string> Layout(const QMenu& menu) {
  std::vector<std::string> out;
  for (QAction* action : menu.actions()) {
    if (!action->menu()) continue;
    std::string line = action->menu()->title().toStdString() + ":";
    for (QAction* item : action->menu()->actions()) line += " " + item->text().toStdString();
    out.push_back(line);
  }
  return out;
}

class FilterMenuTest : public ::testing::Test {
protected:
  void SetUp() override {
    Last = Menu.addAction(QString::fromLatin1(kLastFilterCaption));
    Last->setEnabled(false);
    Menu.addSeparator();
  }

  test::TQtFirst QtFirst;
  QMenu Menu;
  QAction* Last = nullptr;
  TPSPluginList Plugins;
  std::vector<int> Ran;
  std::function<void(int)> Run = [this](int index) { Ran.push_back(index); };
};

TEST_F(FilterMenuTest, EachItemRunsTheFilterItIsCaptionedWithAfterEveryBuild) {
  BuildFilterMenu(Menu, Plugins, test::ShippedFilters(), true, Run);
  EXPECT_EQ(Layout(Menu), (std::vector<std::string>{"Adjust: Grayscale Invert Posterize... Sepia", "Blur: Gaussian Blur",
                                                    "Stylize: Emboss Solarize"}));
  EXPECT_EQ(Menu.actions().at(0), Last);
  EXPECT_TRUE(Menu.actions().at(1)->isSeparator());

  BuildFilterMenu(Menu, Plugins, test::ShippedFilters(), false, Run);  // everything twice now
  EXPECT_EQ(Layout(Menu), (std::vector<std::string>{
                              "Adjust: Grayscale Grayscale Invert Invert Posterize... Posterize... Sepia Sepia",
                              "Blur: Gaussian Blur Gaussian Blur", "Stylize: Emboss Emboss Solarize Solarize"}));
  const QList<QAction*> items = Menu.findChildren<QAction*>(QRegularExpression("^FilterItem"));
  ASSERT_EQ(items.size(), 14);
  for (QAction* item : items) {
    Ran.clear();
    item->trigger();
    ASSERT_EQ(Ran.size(), 1u);
    EXPECT_EQ(item->data().toInt(), Ran[0]);
    EXPECT_EQ(item->objectName(), "FilterItem" + QString::number(Ran[0]));
    EXPECT_EQ(Plugins.Items(Ran[0]).Name(), item->text().toStdString());
  }
  ShowLastFilterDone(*Last);
  EXPECT_EQ(Last->text(), "Execute last filter");
  EXPECT_TRUE(Last->isEnabled());
}

TEST_F(FilterMenuTest, CategoriesDifferingInCaseOrHotkeyShareOneSubMenu) {
  for (const auto& [category, name] : std::vector<std::pair<std::string, std::string>>{
           {"&Artistic", "A"}, {"Blur", "B"}, {"artistic", "C"}, {"", "D"}}) {
    auto filter = std::make_unique<TPIPLManager>();
    if (!category.empty()) filter->SetCategory(category);
    filter->SetName(name);
    Plugins.Add(std::move(filter));
  }
  Plugins.Sort();  // "" < "&Artistic" < "Blur" < "artistic"
  RebuildFilterMenu(Menu, Plugins, Run);
  EXPECT_EQ(Layout(Menu), (std::vector<std::string>{": D", "&Artistic: A C", "Blur: B"}));
  EXPECT_TRUE(Menu.findChild<QMenu*>("CategoryItem2"));
  EXPECT_FALSE(Menu.findChild<QMenu*>("CategoryItem3"));
}

TEST_F(FilterMenuTest, LoadDialogScansTheChosenFolderOnlyWhenItExists) {
  test::TDialogScope dialogs;
  test::TScratchFolder dir;
  fs::create_directories(dir / "sub");
  fs::copy_file(test::TestModule("Sampler.8bf"), dir / "sub/Sampler.8bf");
  std::vector<std::pair<std::string, bool>> scans;
  TLoadPluginForm form([&](const std::string& folder, bool sub) {
    scans.emplace_back(folder, sub);
    BuildFilterMenu(Menu, Plugins, folder, sub, Run);
  });
  EXPECT_TRUE(form.chkInclude->isChecked());

  dialogs.Dialogs.AnswerForm({"Load Filters", {{"Plug-In Directory", dir / "missing"}}, true});
  EXPECT_TRUE(Dialogs().RunForm(form));  // closes with OK but scans nothing
  EXPECT_TRUE(scans.empty());

  dialogs.Dialogs.AnswerForm({"Load Filters", {{"Plug-In Directory", dir.Path().string()}, {"Include sub-directories", "off"}}, true});
  EXPECT_TRUE(Dialogs().RunForm(form));
  ASSERT_EQ(scans.size(), 1u);
  EXPECT_FALSE(scans[0].second);
  EXPECT_EQ(Plugins.Count(), 0);

  dialogs.Dialogs.AnswerFolder(dir.Path().string());
  dialogs.Dialogs.AnswerForm({"Load Filters", {{"...", ""}, {"Include sub-directories", "on"}}, true});
  EXPECT_TRUE(Dialogs().RunForm(form));
  EXPECT_EQ(form.Edit1->text().toStdString(), dir.Path().string());
  EXPECT_EQ(Layout(Menu), (std::vector<std::string>{"Tests: Sampler"}));

  dialogs.Dialogs.AnswerForm({"Load Filters", {{"Plug-In Directory", dir.Path().string()}}, false});
  EXPECT_FALSE(Dialogs().RunForm(form));
  EXPECT_EQ(scans.size(), 2u);

  dialogs.Dialogs.AnswerForm({"Load Filters", {{"Include sub-directories", "maybe"}}, true});
  EXPECT_THROW(Dialogs().RunForm(form), Exception);
}

TEST_F(FilterMenuTest, ParametersFormTakesValuesInRangeOnly) {
  test::TDialogScope dialogs;
  std::vector<TNumberField> fields = {{"Levels", 2, 255, 4}, {"Seed", 0, 9, 9}};
  dialogs.Dialogs.AnswerForm({"Posterize", {{"Levels", "16"}}, true});
  ASSERT_TRUE(AskFilterNumbers("Posterize", fields));
  EXPECT_EQ(fields[0].Value, 16);
  EXPECT_EQ(fields[1].Value, 9);
  for (const char* bad : {"1", "256", "x", "", "12abc"}) {
    dialogs.Dialogs.AnswerForm({"Posterize", {{"Levels", bad}}, true});
    EXPECT_THROW(AskFilterNumbers("Posterize", fields), Exception) << bad;
  }
  dialogs.Dialogs.AnswerForm({"Posterize", {{"Colour", "3"}}, true});
  EXPECT_THROW(AskFilterNumbers("Posterize", fields), Exception);
  dialogs.Dialogs.AnswerForm({"Posterize", {{"Levels", "30"}}, false});
  EXPECT_FALSE(AskFilterNumbers("Posterize", fields));
  EXPECT_EQ(fields[0].Value, 16);
}

// Input that arrives while a filter runs is swallowed; only Escape is noticed.
class TInputCounter : public QWidget {
public:
  int Presses = 0;

protected:
  void keyPressEvent(QKeyEvent*) override { ++Presses; }
  void mousePressEvent(QMouseEvent*) override { ++Presses; }
};

TEST_F(FilterMenuTest, PendingEscapeIsFoundAndOtherInputSwallowed) {
  TInputCounter widget;
  EXPECT_FALSE(TakePendingEscape());
  QCoreApplication::postEvent(&widget, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier));
  QCoreApplication::postEvent(&widget, new QMouseEvent(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
                                                       Qt::LeftButton, Qt::NoModifier));
  EXPECT_FALSE(TakePendingEscape());
  QCoreApplication::postEvent(&widget, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  EXPECT_TRUE(TakePendingEscape());
  EXPECT_FALSE(TakePendingEscape());
  EXPECT_EQ(widget.Presses, 0);
  QCoreApplication::postEvent(&widget, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier));
  QCoreApplication::processEvents();  // with no filter running, input reaches the widget
  EXPECT_EQ(widget.Presses, 1);
}

}  // namespace
}  // namespace gs
