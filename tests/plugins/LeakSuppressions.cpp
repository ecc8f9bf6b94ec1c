// SPDX-License-Identifier: GPL-3.0-or-later
// Under LeakSanitizer: fontconfig, which Qt's widgets load, keeps its caches until exit on
// purpose. Without a leak checker this function is never called.

extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
