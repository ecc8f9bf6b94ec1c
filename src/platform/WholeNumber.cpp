// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WholeNumber.h"

#include "common/Errors.h"

#include <charconv>
#include <climits>
#include <system_error>

namespace gs {

namespace {

// An open end of the range is left unsaid: "from -2147483648" would only puzzle whoever reads it.
std::string RangeText(int min, int max) {
  if (min == INT_MIN && max == INT_MAX) return "";
  if (max == INT_MAX) return " of at least " + std::to_string(min);
  if (min == INT_MIN) return " of at most " + std::to_string(max);
  return " from " + std::to_string(min) + " to " + std::to_string(max);
}

}  // namespace

int ParseWholeNumber(const std::string& text, int min, int max, const std::string& field) {
  const char* first = text.data();
  const char* const last = text.data() + text.size();
  // from_chars takes a minus but no plus; a plus is skipped only before a digit, so that "+-5"
  // stays wrong.
  if (last - first > 1 && *first == '+' && first[1] >= '0' && first[1] <= '9') ++first;
  int value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || value < min || value > max)
    throw Exception(field + " must be a whole number" + RangeText(min, max) + ", not \"" + text +
                    "\"");
  return value;
}

bool ParseSwitch(const std::string& text, const std::string& field) {
  if (text == "on") return true;
  if (text == "off") return false;
  throw Exception(field + " is \"on\" or \"off\", not \"" + text + "\"");
}

}  // namespace gs
