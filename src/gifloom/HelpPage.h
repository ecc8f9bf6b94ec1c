#pragma once
// Where the bundled help page about the animator lives. The program normally starts in the
// editor's program folder (help/ beside it) but is also laid out one level down in Tools/.

#include <optional>
#include <string>

namespace gifloom {

inline constexpr const char* kHelpPageName = "animator.html";

// startFolder/help/animator.html, else startFolder/../help/animator.html, whichever exists.
std::optional<std::string> FindHelpPage(const std::string& startFolder);

// Where the page should be when it is nowhere: the first place FindHelpPage looks.
std::string ExpectedHelpPage(const std::string& startFolder);

}  // namespace gifloom
