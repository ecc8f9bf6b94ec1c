// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The batch mode: drives the real main window from a script, through the handlers a user
// reaches, with the dialogs answered by the script.

#include <iostream>
#include <string>

namespace gs {

class TSStudio;
class TScriptedDialogs;

// Runs the script's lines on the window. Returns 0 when every line succeeded; otherwise
// writes the message the window would have shown to err and returns 1.
// What the script asks to print (the history) goes to out.
int RunBatch(TSStudio& studio, TScriptedDialogs& dialogs, std::istream& script, std::ostream& err,
             std::ostream& out = std::cout);

// Creates the main window offscreen, runs its start-up, then the script in the named file.
int RunBatchFile(const std::string& scriptPath);

}  // namespace gs
