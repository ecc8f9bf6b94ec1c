// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Page layout for printing the picture: one page, as large as the printable area allows, aspect
// kept, centred. Kept free of any printer or widget so that the arithmetic can be checked alone.

#include "common/Geometry.h"

#include <cstdint>

namespace gs {

inline constexpr const char* kPrintJobTitle = "Grimacer Studio 3.6";

// Rounds numerator / denominator to the nearest integer, halves to even (denominator > 0).
int64_t RoundDivEven(int64_t numerator, int64_t denominator);

// Fits a picture of source's size into page: the full page height when the page is relatively
// wider (or equally shaped), otherwise the full page width; the other side is centred. An empty
// source (width or height 0) has no shape to keep, so `dest` is left as it was and false is
// returned.
bool FitRect(const TRect& source, const TRect& page, TRect& dest);

}  // namespace gs
