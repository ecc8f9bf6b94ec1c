// SPDX-License-Identifier: GPL-3.0-or-later
// Every place where Qt calls into the program runs inside the guard, so that a failure becomes
// a message and never unwinds through the event loop: connected lambdas, event handlers and
// event filters. Reads the sources, as a reviewer would.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The text from `open` (an opening bracket) to its partner, brackets inside included.
std::string Balanced(const std::string& text, size_t open, char opening, char closing) {
  int depth = 0;
  for (size_t i = open; i < text.size(); ++i) {
    if (text[i] == opening) ++depth;
    if (text[i] == closing && --depth == 0) return text.substr(open, i - open + 1);
  }
  return text.substr(open);
}

// The editor's guard, or Gifloom's own (it links nothing of the editor).
bool Guarded(const std::string& code) {
  return std::regex_search(code, std::regex(R"(\b(RunGuarded|GuardedSlot|Guarded)\s*\()"));
}

// A handler that only hands the event to its base class or on as a signal (whose slots are
// guarded where they are connected), or answers without doing anything.
bool OnlyForwards(std::string body) {
  body = std::regex_replace(body, std::regex(R"(//[^\n]*)"), "");
  body = std::regex_replace(body, std::regex(R"((return\s+)?Q\w+::\w+\([^;]*\);)"), "");
  body = std::regex_replace(body, std::regex(R"(emit\s+\w+\([^;]*\);)"), "");
  body = std::regex_replace(body, std::regex(R"(return\s+(true|false);)"), "");
  return std::regex_match(body, std::regex(R"(\{\s*\})"));
}

struct TFinding {
  std::string Where;
  std::string What;
};

std::string LineOf(const std::string& text, size_t at) {
  return std::to_string(1 + std::count(text.begin(), text.begin() + std::ptrdiff_t(at), '\n'));
}

void CheckConnects(const fs::path& file, const std::string& text, std::vector<TFinding>& found) {
  const std::regex connect(R"(\bconnect\s*\()");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), connect); it != std::sregex_iterator(); ++it) {
    const size_t open = size_t(it->position()) + size_t(it->length()) - 1;
    const std::string call = Balanced(text, open, '(', ')');
    // A member function of Qt's own, or a lambda that says it cannot throw, needs no guard.
    const bool lambda = call.find('{') != std::string::npos;
    if (!lambda || Guarded(call) || call.find("noexcept") != std::string::npos) continue;
    found.push_back({file.string() + ":" + LineOf(text, open), "connect"});
  }
}

void CheckHandlers(const fs::path& file, const std::string& text, std::vector<TFinding>& found) {
  // Definitions out of line (T::closeEvent(...) {) and inside a class (... override {).
  const std::regex handler(
      R"(((\w+::)?(\w+Event|eventFilter|reject|accept|done)\s*\([^()]*\)\s*(const\s*)?(override\s*)?)\{)");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), handler); it != std::sregex_iterator(); ++it) {
    const std::string head = (*it)[1];
    const bool member = (*it)[2].matched || (*it)[5].matched;
    if (!member) continue;
    const size_t open = size_t(it->position()) + size_t(it->length()) - 1;
    const std::string body = Balanced(text, open, '{', '}');
    if (Guarded(body) || OnlyForwards(body)) continue;
    found.push_back({file.string() + ":" + LineOf(text, open), head});
  }
}

}  // namespace

TEST(GuardedHandlers, EveryEntryFromTheEventLoopRunsInsideTheGuard) {
  std::vector<TFinding> found;
  size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(GS_SOURCE_DIR)) {
    const fs::path& path = entry.path();
    if (path.extension() != ".cpp" && path.extension() != ".h") continue;
    const std::string text = ReadText(path);
    if (text.find("Q_OBJECT") == std::string::npos && text.find("QWidget") == std::string::npos &&
        text.find("connect(") == std::string::npos)
      continue;
    ++files;
    CheckConnects(path, text, found);
    CheckHandlers(path, text, found);
  }
  EXPECT_GT(files, 20u);  // the sources were there to read
  for (const TFinding& finding : found) ADD_FAILURE() << finding.Where << ": " << finding.What << " runs outside the guard";
}
