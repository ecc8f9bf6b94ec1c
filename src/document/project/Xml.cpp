// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/project/Xml.h"

#include "common/Errors.h"

#include <cstdlib>

namespace gs {

namespace {

// Deeper than any layer stack is nested: only a file built to exhaust the stack goes there.
constexpr int kMaxDepth = 100;
constexpr size_t kMaxElements = 1'000'000;

[[noreturn]] void Bad(const std::string& why) { throw Exception("stack.xml is not well-formed: " + why); }

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameChar(char c) {
  return c == ':' || c == '_' || c == '-' || c == '.' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9') || static_cast<unsigned char>(c) >= 0x80;
}

void AppendUtf8(std::string& out, unsigned long code) {
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) Bad("a character reference is not a character");
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | (code >> 6));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | (code >> 12));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else {
    out += char(0xF0 | (code >> 18));
    out += char(0x80 | ((code >> 12) & 0x3F));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  }
}

class TParser {
public:
  explicit TParser(const std::string& text) : Text_(text) {}

  TXmlElement Document() {
    SkipMisc();
    if (At_ >= Text_.size() || Text_[At_] != '<') Bad("there is no root element");
    TXmlElement root = Element(0);
    SkipMisc();
    if (At_ != Text_.size()) Bad("there is more after the root element");
    return root;
  }

private:
  bool StartsWith(const char* s) const { return Text_.compare(At_, std::char_traits<char>::length(s), s) == 0; }
  void SkipSpace() {
    while (At_ < Text_.size() && IsSpace(Text_[At_])) ++At_;
  }
  void SkipPast(const char* end) {
    const size_t found = Text_.find(end, At_);
    if (found == std::string::npos) Bad("it ends inside a comment or declaration");
    At_ = found + std::char_traits<char>::length(end);
  }
  // Declarations, comments and white space between elements; a document type is refused.
  void SkipMisc() {
    for (;;) {
      SkipSpace();
      if (StartsWith("<?")) SkipPast("?>");
      else if (StartsWith("<!--")) SkipPast("-->");
      else if (StartsWith("<!")) Bad("document type declarations are not read");
      else return;
    }
  }
  std::string Name() {
    const size_t start = At_;
    while (At_ < Text_.size() && IsNameChar(Text_[At_])) ++At_;
    if (At_ == start) Bad("a name is missing");
    return Text_.substr(start, At_ - start);
  }
  std::string Value() {
    if (At_ >= Text_.size() || (Text_[At_] != '"' && Text_[At_] != '\'')) Bad("an attribute value is not quoted");
    const char quote = Text_[At_++];
    std::string out;
    while (At_ < Text_.size() && Text_[At_] != quote) {
      const char c = Text_[At_];
      if (c == '<') Bad("an attribute value holds <");
      if (c != '&') {
        out += c;
        ++At_;
        continue;
      }
      const size_t semicolon = Text_.find(';', At_);
      if (semicolon == std::string::npos || semicolon - At_ > 12) Bad("an entity is not closed");
      const std::string entity = Text_.substr(At_ + 1, semicolon - At_ - 1);
      At_ = semicolon + 1;
      if (entity == "amp") out += '&';
      else if (entity == "lt") out += '<';
      else if (entity == "gt") out += '>';
      else if (entity == "quot") out += '"';
      else if (entity == "apos") out += '\'';
      else if (entity.size() > 1 && entity[0] == '#') {
        const bool hex = entity[1] == 'x';
        const std::string digits = entity.substr(hex ? 2 : 1);
        char* end = nullptr;
        const unsigned long code = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
        if (digits.empty() || *end != '\0') Bad("a character reference is not a number");
        AppendUtf8(out, code);
      } else {
        Bad("the entity &" + entity + "; is not one XML knows");
      }
    }
    if (At_ >= Text_.size()) Bad("it ends inside an attribute value");
    ++At_;
    return out;
  }
  TXmlElement Element(int depth) {
    if (depth > kMaxDepth) Bad("elements are nested too deeply");
    if (++Elements_ > kMaxElements) Bad("it holds too many elements");
    ++At_;  // '<'
    TXmlElement element;
    element.Name = Name();
    for (;;) {
      SkipSpace();
      if (At_ >= Text_.size()) Bad("it ends inside <" + element.Name + ">");
      if (StartsWith("/>")) {
        At_ += 2;
        return element;
      }
      if (Text_[At_] == '>') {
        ++At_;
        break;
      }
      std::string name = Name();
      SkipSpace();
      if (At_ >= Text_.size() || Text_[At_] != '=') Bad("the attribute " + name + " has no value");
      ++At_;
      SkipSpace();
      element.Attributes.emplace_back(std::move(name), Value());
    }
    for (;;) {
      const size_t open = Text_.find('<', At_);
      if (open == std::string::npos) Bad("<" + element.Name + "> is not closed");
      At_ = open;
      if (StartsWith("</")) {
        At_ += 2;
        if (Name() != element.Name) Bad("<" + element.Name + "> is closed by another element");
        SkipSpace();
        if (At_ >= Text_.size() || Text_[At_] != '>') Bad("a closing tag is not closed");
        ++At_;
        return element;
      }
      if (StartsWith("<!--")) SkipPast("-->");
      else if (StartsWith("<![CDATA[")) SkipPast("]]>");
      else if (StartsWith("<?")) SkipPast("?>");
      else if (StartsWith("<!")) Bad("document type declarations are not read");
      else element.Children.push_back(Element(depth + 1));
    }
  }

  const std::string& Text_;
  size_t At_ = 0;
  size_t Elements_ = 0;
};

}  // namespace

std::optional<std::string> TXmlElement::Attribute(const std::string& name) const {
  for (const auto& [key, value] : Attributes)
    if (key == name) return value;
  return std::nullopt;
}

TXmlElement ParseXml(const std::string& text) { return TParser(text).Document(); }

std::string XmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      case '\n': out += "&#10;"; break;
      case '\r': out += "&#13;"; break;
      case '\t': out += "&#9;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace gs
