// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test-only: writes protected pictures. The editor itself only reads them, so the encipherment
// lives with the tests that need files to read.

#include "codecs/Picture.h"

#include <string>

namespace gs::test {

// The key every protected file uses: SHA-1 of the pass phrase, zero-padded to 24 bytes.
TBytes ProtectedKey();

// A protected file: header with the extension exactly as given, then inner enciphered.
TBytes EncipherProtected(const std::string& extension, TByteSpan inner);

}  // namespace gs::test
