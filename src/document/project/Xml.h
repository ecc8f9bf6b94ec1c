// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The little XML a layer stack needs: elements and their attributes, read from an untrusted
// file and written escaped. No document types, so no entity expansion; text is skipped.

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace gs {

struct TXmlElement {
  std::string Name;  // as written, with its prefix ("grimacer:face")
  std::vector<std::pair<std::string, std::string>> Attributes;
  std::vector<TXmlElement> Children;

  std::optional<std::string> Attribute(const std::string& name) const;
};

// The root element. Fails with an Exception naming what is wrong.
TXmlElement ParseXml(const std::string& text);

// Text with &, <, > and quotes escaped for an attribute value.
std::string XmlEscape(const std::string& text);

}  // namespace gs
