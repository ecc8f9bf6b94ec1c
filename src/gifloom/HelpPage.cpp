#include "gifloom/HelpPage.h"

#include <filesystem>
#include <system_error>

namespace gifloom {

namespace {

std::filesystem::path HelpPageUnder(const std::filesystem::path& folder) {
  return folder / "help" / kHelpPageName;
}

std::string AbsoluteText(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return (error ? path : absolute).lexically_normal().string();
}

}  // namespace

std::string ExpectedHelpPage(const std::string& startFolder) {
  return AbsoluteText(HelpPageUnder(startFolder));
}

std::optional<std::string> FindHelpPage(const std::string& startFolder) {
  const std::filesystem::path start(startFolder);
  for (const auto& candidate : {HelpPageUnder(start), HelpPageUnder(start / "..")}) {
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error))
      return AbsoluteText(candidate);
  }
  return std::nullopt;
}

}  // namespace gifloom
