// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one kind of failure Gifloom reports: a message for the user and the file it concerns.

#include <stdexcept>
#include <string>
#include <string_view>

namespace gifloom {

class EGifError : public std::runtime_error {
public:
  EGifError(std::string_view message, std::string path)
      : std::runtime_error(Compose(message, path)), Message_(message), Path_(std::move(path)) {}

  // The message alone, as the user interface quotes it.
  const std::string& Message() const { return Message_; }
  const std::string& Path() const { return Path_; }

private:
  // The message with the file on the next line, so that a list of many inputs names the culprit.
  static std::string Compose(std::string_view message, const std::string& path) {
    std::string text(message);
    if (!path.empty()) text += "\n" + path;
    return text;
  }

  std::string Message_;
  std::string Path_;
};

}  // namespace gifloom
