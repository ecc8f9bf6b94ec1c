// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window offscreen, driven like the batch mode: its dialogs answered from a script.

#include "QtApp.h"
#include "platform/ScriptedDialogs.h"
#include "shell/batch/Batch.h"
#include "shell/window/Studio.h"
#include "document/TestFiles.h"
#include "shell/view/ImageView.h"
#include "shell/window/ToolsForm.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QSlider>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

namespace gs::test {

class TStudioFixture : public ::testing::Test {
protected:
  TStudioFixture() {
    EnsureQtApplication();
    Previous_ = SetDialogs(&Dialogs_);
    ShowNewWindow();
  }
  // A window made and shown afresh, which scans the plug-in folders as it first shows.
  void ShowNewWindow() {
    Studio_.reset();
    Studio_ = std::make_unique<TSStudio>();
    Studio_->SetBatchMode(true);
    // Nothing from the program's folders, the installed ones or the user's: data folders that do
    // not exist, so the start-up scan finds no filters and dialogs start below the scratch folder.
    Studio_->UseFolders(TDataFolders{Dir_.Path("bin"), Dir_.Path("share"), Dir_.Path("start"), Dir_.Path("user")});
    Studio_->resize(1000, 900);
    Studio_->setAttribute(Qt::WA_DontShowOnScreen);
    Studio_->show();
  }
  ~TStudioFixture() override {
    Studio_.reset();
    SetDialogs(Previous_);
  }

  // Runs batch lines; the test fails with the window's message when one fails.
  void Run(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream err;
    ASSERT_EQ(RunBatch(*Studio_, Dialogs_, in, err), 0) << err.str();
  }
  // Runs batch lines that must fail; returns what the window said.
  std::string Fails(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream err;
    EXPECT_EQ(RunBatch(*Studio_, Dialogs_, in, err), 1);
    Dialogs_.ClearMessages();
    Dialogs_.ClearPendingAnswers();  // the answers a failed command left unasked
    return err.str();
  }
  TDocument& Doc() { return Studio_->Document(); }

  // The window's parts, found by object name as the batch mode finds them.
  template <class T>
  T* Child(const char* name) const {
    T* child = dynamic_cast<T*>(Studio_->findChild<QObject*>(QString::fromLatin1(name)));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  QAction* Command(const char* name) const { return Child<QAction>(name); }
  // A command as a click on it runs it: recorded in the history, a failure shown as a message.
  void Trigger(const char* name) { Command(name)->trigger(); }
  QMenu* Menu(const char* name) const { return Child<QMenu>(name); }
  TImageView* View() const { return Child<TImageView>("DstImg"); }
  TImageView* Mirror() const { return Child<TImageView>("DstImg1"); }
  QSlider* SizeBar() const { return Child<QSlider>("SizeBar"); }
  QSlider* PinchBar() const { return Child<QSlider>("PinchBar"); }
  QToolBar* BrushBar() const { return Child<QToolBar>("ToolBar2"); }
  QTimer* RepeatTimer() const { return Child<QTimer>("UpdateTimer"); }
  // A key pressed over the picture view.
  void PressKey(int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(View(), &press);
  }
  TToolsForm* Palette() const { return Child<TToolsForm>("ToolsForm"); }

  TScratchFolder Dir_;
  TScriptedDialogs Dialogs_;
  TDialogs* Previous_ = nullptr;
  std::unique_ptr<TSStudio> Studio_;
};

}  // namespace gs::test
