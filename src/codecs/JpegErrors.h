// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// libjpeg's failures turned into the editor's exceptions. libjpeg reports a fatal error through
// error_exit, which must not return, from deep inside its C code; C++ exceptions may not cross
// those frames, so error_exit longjmps back to a setjmp in a small function of ours that calls
// libjpeg and holds no objects with destructors. That function returns false, and its caller
// throws with ThrowFailure.

#include "common/Errors.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

namespace gs::jpeg {

// A file that warns this often is noise, not a picture.
inline constexpr int kMaxWarnings = 100;

struct TErrorManager {
  jpeg_error_mgr Manager;  // first, so that libjpeg's pointer to it is a pointer to the whole
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
  int Warnings;
};

template <class TInfo>
j_common_ptr Common(TInfo& info) {
  return reinterpret_cast<j_common_ptr>(&info);
}

inline TErrorManager& ErrorsOf(j_common_ptr info) {
  return *reinterpret_cast<TErrorManager*>(info->err);
}

// Leaves libjpeg for the setjmp of the running call with the text the user sees.
[[noreturn]] inline void AbortWith(j_common_ptr info, const char* text) {
  TErrorManager& errors = ErrorsOf(info);
  std::snprintf(errors.Message, sizeof errors.Message, "%s", text);
  std::longjmp(errors.Jump, 1);
}

[[noreturn]] inline void OnError(j_common_ptr info) {
  TErrorManager& errors = ErrorsOf(info);
  (*info->err->format_message)(info, errors.Message);
  std::longjmp(errors.Jump, 1);
}

// True when a scan's data ended (at a marker or the end of the file) before its last row of
// blocks; a few bits missing in the last row are a sloppy encoder, not a cut file.
inline bool CutFile(j_common_ptr info) {
  const int code = info->err->msg_code;
  if (code == JWRN_JPEG_EOF) return true;
  if (code != JWRN_HIT_MARKER || !info->is_decompressor) return false;
  const auto* d = reinterpret_cast<j_decompress_ptr>(info);
  return d->input_iMCU_row + 1 < d->total_iMCU_rows;
}

// Warnings are the level -1 messages; the rest is tracing. libjpeg pads missing data with grey
// and carries on; a half-grey picture is not what the user wants to edit.
inline void OnMessage(j_common_ptr info, int level) {
  if (level >= 0) return;
  if (CutFile(info)) AbortWith(info, "truncated file");
  if (++ErrorsOf(info).Warnings > kMaxWarnings) AbortWith(info, "too many errors in the data");
}

inline void OnOutput(j_common_ptr) {}

inline jpeg_error_mgr* InstallErrorManager(TErrorManager& errors) {
  jpeg_std_error(&errors.Manager);
  errors.Manager.error_exit = OnError;
  errors.Manager.emit_message = OnMessage;
  errors.Manager.output_message = OnOutput;
  errors.Message[0] = 0;
  errors.Warnings = 0;
  return &errors.Manager;
}

// Running out of memory is not a broken file; everything else libjpeg reports is.
template <class TBrokenFile>
[[noreturn]] void ThrowFailure(const TErrorManager& errors) {
  const int code = errors.Manager.msg_code;
  if (code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE)
    throw EOutOfResources("JPEG: not enough memory for the picture");
  throw TBrokenFile("JPEG: " + std::string(errors.Message));
}

}  // namespace gs::jpeg
