#pragma once
// A main window offscreen, driven like the batch mode: its dialogs answered from a script.

#include "QtApp.h"
#include "platform/ScriptedDialogs.h"
#include "shell/batch/Batch.h"
#include "shell/window/Studio.h"
#include "document/TestFiles.h"

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
    Studio_ = std::make_unique<TSStudio>();
    Studio_->BatchMode = true;
    // Nothing from the program's folders, the installed ones or the user's: data folders that do
    // not exist, so the start-up scan finds no filters and dialogs start below the scratch folder.
    Studio_->Folders = TDataFolders{Dir_.Path("bin"), Dir_.Path("share"), Dir_.Path("start"), Dir_.Path("user")};
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

  TScratchFolder Dir_;
  TScriptedDialogs Dialogs_;
  TDialogs* Previous_ = nullptr;
  std::unique_ptr<TSStudio> Studio_;
};

}  // namespace gs::test
