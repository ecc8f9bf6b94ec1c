#pragma once
// Where the bundled help page about the animator lives. The program normally starts in the
// editor's program folder (help/ beside it) but is also laid out one level down in Tools/.

#include <optional>
#include <string>

namespace gifloom {

inline constexpr const char* kHelpPageName = "animator.html";

// The first that exists of startFolder/help/, startFolder/../help/, then beside the program:
// programFolder/../help/ (the build tree's Tools/gifloom) and
// programFolder/../share/grimacer-studio/help/ (an installed bin/gifloom).
std::optional<std::string> FindHelpPage(const std::string& startFolder, const std::string& programFolder = {});

// Where the page should be when it is nowhere: the first place FindHelpPage looks.
std::string ExpectedHelpPage(const std::string& startFolder);

}  // namespace gifloom
