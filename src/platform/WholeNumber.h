// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Numbers and switches a script types into the program's forms. A script answers a number box with text, and
// only text a person could have typed into that box is taken: a stray letter or blank is a
// mistake in the script, not a number to guess at.

#include <string>

namespace gs {

// `text` as a whole number from min to max: an optional sign and decimal digits, nothing else.
// Anything else, or a number outside the range, throws Exception naming `field`, the range and
// the text. INT_MIN and INT_MAX leave that end of the range open.
int ParseWholeNumber(const std::string& text, int min, int max, const std::string& field);

// A check box's answer: "on" or "off", nothing else.
bool ParseSwitch(const std::string& text, const std::string& field);

}  // namespace gs
