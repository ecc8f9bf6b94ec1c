// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The script interface: gifloom -o OUT.gif [--delay CS] [--no-loop] IN.gif...

#include <iosfwd>
#include <span>
#include <string>

namespace gifloom {

// Runs with the arguments after the program name; returns the exit code (0 success, 1 failure).
// Help goes to out; every failure prints its message to err.
int RunCommandLine(std::span<const std::string> arguments, std::ostream& out, std::ostream& err);

}  // namespace gifloom
