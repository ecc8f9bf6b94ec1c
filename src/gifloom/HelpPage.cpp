// SPDX-License-Identifier: GPL-3.0-or-later
#include "gifloom/HelpPage.h"

#include <filesystem>
#include <system_error>
#include <vector>

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

std::optional<std::string> FindHelpPage(const std::string& startFolder, const std::string& programFolder,
                                        const std::string& installedFolder) {
  std::vector<std::filesystem::path> candidates;
  if (!programFolder.empty()) {
    const std::filesystem::path program(programFolder);
    candidates.push_back(HelpPageUnder(program));
    candidates.push_back(HelpPageUnder(program / ".."));
    candidates.push_back(HelpPageUnder(program / ".." / "share" / "grimacer-studio"));
  }
  if (!installedFolder.empty()) candidates.push_back(HelpPageUnder(installedFolder));
  if (!startFolder.empty()) {
    const std::filesystem::path start(startFolder);
    candidates.push_back(HelpPageUnder(start));
    candidates.push_back(HelpPageUnder(start / ".."));
  }
  for (const auto& candidate : candidates) {
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error))
      return AbsoluteText(candidate);
  }
  return std::nullopt;
}

}  // namespace gifloom
