// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's font database keeps fontconfig's caches for the life of the process.

extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
