// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileFilter.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace gs {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
    parts.push_back(text.substr(start, end - start));
  parts.push_back(text.substr(start));
  return parts;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return text;
}

}  // namespace

int FilterIndexFor(const std::string& filter, const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || fileName.find('/', dot) != std::string::npos) return -1;
  // Appended rather than "*" + ...: GCC 12 warns wrongly about the temporary's copy.
  std::string wanted = "*";
  wanted += Lower(fileName.substr(dot));
  const std::vector<std::string> parts = Split(filter, '|');
  for (size_t pair = 0; 2 * pair + 1 < parts.size(); ++pair)
    for (const std::string& pattern : Split(parts[2 * pair + 1], ';'))
      if (Lower(pattern) == wanted) return int(pair);
  return -1;
}

}  // namespace gs
