// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the bundled help page about the animator lives: beside the program first, so that it is
// found wherever Gifloom is started, then in the folder it starts in.

#include <optional>
#include <string>

namespace gifloom {

inline constexpr const char* kHelpPageName = "animator.html";

// The first that exists of
//   programFolder/help/ (the build tree's bin/gifloom),
//   programFolder/../help/ (the build tree's Tools/gifloom),
//   programFolder/../share/grimacer-studio/help/ (an installed bin/gifloom),
//   installedFolder/help/ (the data folder the build was configured to install to),
//   startFolder/help/ and startFolder/../help/.
// An empty folder is skipped.
std::optional<std::string> FindHelpPage(const std::string& startFolder, const std::string& programFolder = {},
                                        const std::string& installedFolder = {});

// Where the page would be in the folder the program starts in: the address named when it is
// nowhere.
std::string ExpectedHelpPage(const std::string& startFolder);

}  // namespace gifloom
