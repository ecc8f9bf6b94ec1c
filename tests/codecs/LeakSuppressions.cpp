// SPDX-License-Identifier: GPL-3.0-or-later
// The HEIF tests make their pictures with libheif's HEVC encoder; x265 keeps a few buffers for
// the life of the process, which is its own and no leak of ours.

extern "C" const char* __lsan_default_suppressions() { return "leak:libx265.so\n"; }
