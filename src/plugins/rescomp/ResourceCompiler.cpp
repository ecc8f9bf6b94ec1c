// SPDX-License-Identifier: GPL-3.0-or-later
// gs_filter_rc: compiles a filter module's resource script into the bytes of its resource
// section (see platform/ModuleResources.h), which the build embeds into the module file.
//
//   gs_filter_rc SCRIPT OUTPUT
//
// The script language is described in docs/filter-modules.md. In short:
//   # comment
//   pipl 16000                          a property list resource, then its properties:
//   kind code 8BFM                        KEY followed by the items of its value
//   name pstring "Invert"
//   resource PIMI 1                     any other resource, then the items of its data:
//   int16 0  cstring "Old filters"
// Items: code ABCD | int16 N | int32 N | pstring "t" | cstring "t" | text "t" | bytes HH HH ...

#include "platform/ModuleResources.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class EScript : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Splits a line into words and quoted strings ("a \"b\" \\ \x41").
std::vector<std::string> Tokens(const std::string& line) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
      continue;
    }
    if (line[i] == '#') break;
    if (line[i] != '"') {
      const size_t end = line.find_first_of(" \t\r", i);
      out.push_back(line.substr(i, end == std::string::npos ? std::string::npos : end - i));
      i = end == std::string::npos ? line.size() : end;
      continue;
    }
    std::string text = "\"";  // marks a quoted token
    for (++i;; ++i) {
      if (i >= line.size()) throw EScript("unterminated string");
      const char c = line[i];
      if (c == '"') {
        ++i;
        break;
      }
      if (c != '\\') {
        text += c;
        continue;
      }
      if (++i >= line.size()) throw EScript("unterminated string");
      if (line[i] == 'x') {
        if (i + 2 >= line.size()) throw EScript("\\x needs two hex digits");
        text += char(std::stoi(line.substr(i + 1, 2), nullptr, 16));
        i += 2;
      } else if (line[i] == 'n') {
        text += '\n';
      } else {
        text += line[i];
      }
    }
    out.push_back(text);
  }
  return out;
}

void PutLE(std::vector<uint8_t>& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

long long Number(const std::string& word, long long lo, long long hi) {
  char* end = nullptr;
  const long long v = std::strtoll(word.c_str(), &end, 0);
  if (word.empty() || *end != '\0' || v < lo || v > hi) throw EScript("bad number \"" + word + "\"");
  return v;
}

uint32_t Code(const std::string& word) {
  if (word.size() != 4) throw EScript("a four-character code needs four characters: \"" + word + "\"");
  return uint32_t(uint8_t(word[0])) << 24 | uint32_t(uint8_t(word[1])) << 16 | uint32_t(uint8_t(word[2])) << 8 |
         uint32_t(uint8_t(word[3]));
}

std::string Quoted(const std::vector<std::string>& t, size_t i) {
  if (i >= t.size() || t[i].empty() || t[i][0] != '"') throw EScript("expected a quoted string");
  return t[i].substr(1);
}

// Appends the items of t[from..] to out.
void Items(const std::vector<std::string>& t, size_t from, std::vector<uint8_t>& out) {
  for (size_t i = from; i < t.size();) {
    const std::string& kind = t[i++];
    auto need = [&] {
      if (i >= t.size()) throw EScript("\"" + kind + "\" needs a value");
      return t[i++];
    };
    if (kind == "code") {
      PutLE(out, Code(need()), 4);
    } else if (kind == "int16") {
      PutLE(out, uint64_t(Number(need(), -32768, 65535)), 2);
    } else if (kind == "int32") {
      PutLE(out, uint64_t(Number(need(), INT32_MIN, UINT32_MAX)), 4);
    } else if (kind == "pstring" || kind == "cstring" || kind == "text") {
      const std::string s = Quoted(t, i++);
      if (kind == "pstring") {
        if (s.size() > 255) throw EScript("a pstring holds at most 255 characters");
        out.push_back(uint8_t(s.size()));
      }
      out.insert(out.end(), s.begin(), s.end());
      if (kind == "cstring") out.push_back(0);
    } else if (kind == "bytes") {
      for (; i < t.size() && t[i].size() == 2 && t[i][0] != '"'; ++i) out.push_back(uint8_t(Number("0x" + t[i], 0, 255)));
    } else {
      throw EScript("unknown item \"" + kind + "\"");
    }
  }
}

struct TProperty {
  uint32_t Key;
  std::vector<uint8_t> Data;
};

std::vector<uint8_t> PiplBytes(const std::vector<TProperty>& properties) {
  std::vector<uint8_t> out;
  PutLE(out, 1, 2);  // the resource's leading word
  PutLE(out, 0, 4);  // version
  PutLE(out, properties.size(), 4);
  for (const TProperty& p : properties) {
    PutLE(out, 0x3842494D, 4);  // vendor 8BIM
    PutLE(out, p.Key, 4);
    PutLE(out, 0, 4);  // id
    PutLE(out, p.Data.size(), 4);
    out.insert(out.end(), p.Data.begin(), p.Data.end());
    while (out.size() % 4 != 2) out.push_back(0);  // padded from the start of the property
  }
  return out;
}

std::vector<gs::TModuleResource> Compile(std::istream& in) {
  std::vector<gs::TModuleResource> resources;
  std::vector<TProperty> properties;
  bool inPipl = false;
  auto close = [&] {
    if (inPipl) resources.back().Data = PiplBytes(properties);
    properties.clear();
    inPipl = false;
  };
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    try {
      const std::vector<std::string> t = Tokens(line);
      if (t.empty()) continue;
      if (t[0] == "pipl" || t[0] == "resource") {
        close();
        gs::TModuleResource r;
        size_t next = 1;
        if (t[0] == "pipl") {
          r.Type = "PIPL";
          inPipl = true;
        } else {
          if (t.size() < 2) throw EScript("resource needs a type");
          r.Type = t[next++];
        }
        if (next >= t.size()) throw EScript(t[0] + " needs an id");
        r.Id = int32_t(Number(t[next++], INT32_MIN, INT32_MAX));
        resources.push_back(r);
        if (!inPipl) Items(t, next, resources.back().Data);
        else if (next != t.size()) throw EScript("pipl takes only an id");
        continue;
      }
      if (resources.empty()) throw EScript("data before the first resource");
      if (inPipl) {
        TProperty p{Code(t[0]), {}};
        Items(t, 1, p.Data);
        properties.push_back(std::move(p));
      } else {
        Items(t, 0, resources.back().Data);
      }
    } catch (const std::exception& e) {
      throw EScript("line " + std::to_string(number) + ": " + e.what());
    }
  }
  close();
  return resources;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::cerr << "usage: gs_filter_rc SCRIPT OUTPUT\n";
    return 2;
  }
  std::ifstream script(argv[1]);
  if (!script) {
    std::cerr << argv[1] << ": cannot be opened\n";
    return 1;
  }
  try {
    const std::vector<uint8_t> bytes = gs::EncodeResourceSection(Compile(script));
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + std::string(argv[2]));
  } catch (const std::exception& e) {
    std::cerr << argv[1] << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}
