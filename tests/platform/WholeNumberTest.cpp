// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WholeNumber.h"

#include "common/Errors.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

namespace gs {
namespace {

TEST(WholeNumber, TakesASignAndDigitsWithinTheRangeAndNamesTheFieldOtherwise) {
  struct Case {
    std::string Text;
    int Min, Max;
    std::optional<int> Value;  // nothing: refused
  };
  const Case cases[] = {
      {"42", 1, 100, 42},
      {"1", 1, 100, 1},
      {"100", 1, 100, 100},
      {"0", 1, 100, std::nullopt},
      {"101", 1, 100, std::nullopt},
      {"-7", -10, 10, -7},
      {"+7", -10, 10, 7},
      {"007", 0, 10, 7},
      {"2147483647", INT_MIN, INT_MAX, INT_MAX},
      {"-2147483648", INT_MIN, INT_MAX, INT_MIN},
      {"2147483648", INT_MIN, INT_MAX, std::nullopt},
      {"99999999999999999999", INT_MIN, INT_MAX, std::nullopt},
      {"3x", INT_MIN, INT_MAX, std::nullopt},
      {"", INT_MIN, INT_MAX, std::nullopt},
      {" 5", INT_MIN, INT_MAX, std::nullopt},
      {"5 ", INT_MIN, INT_MAX, std::nullopt},
      {"1 0", INT_MIN, INT_MAX, std::nullopt},
      {"+", INT_MIN, INT_MAX, std::nullopt},
      {"-", INT_MIN, INT_MAX, std::nullopt},
      {"+-5", INT_MIN, INT_MAX, std::nullopt},
      {"++5", INT_MIN, INT_MAX, std::nullopt},
      {"5.0", INT_MIN, INT_MAX, std::nullopt},
      {"0x10", INT_MIN, INT_MAX, std::nullopt},
  };
  for (const Case& c : cases) {
    if (c.Value) {
      EXPECT_EQ(ParseWholeNumber(c.Text, c.Min, c.Max, "Frames"), *c.Value) << '"' << c.Text << '"';
      continue;
    }
    try {
      ParseWholeNumber(c.Text, c.Min, c.Max, "Frames");
      ADD_FAILURE() << '"' << c.Text << "\" was taken";
    } catch (const Exception& e) {
      const std::string message = e.what();
      EXPECT_EQ(message.rfind("Frames must be a whole number", 0), 0u) << message;
      EXPECT_NE(message.find("\"" + c.Text + "\""), std::string::npos) << message;
    }
  }
}

// Only the ends the field really has are named.
TEST(WholeNumber, MessageStatesTheRangeTheFieldTakes) {
  const auto message = [](int min, int max) {
    try {
      ParseWholeNumber("x", min, max, "Copies");
    } catch (const Exception& e) {
      return std::string(e.what());
    }
    return std::string("taken");
  };
  EXPECT_EQ(message(2, 60), "Copies must be a whole number from 2 to 60, not \"x\"");
  EXPECT_EQ(message(1, INT_MAX), "Copies must be a whole number of at least 1, not \"x\"");
  EXPECT_EQ(message(INT_MIN, 9), "Copies must be a whole number of at most 9, not \"x\"");
  EXPECT_EQ(message(INT_MIN, INT_MAX), "Copies must be a whole number, not \"x\"");
}

}  // namespace
}  // namespace gs
