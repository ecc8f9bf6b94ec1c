// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Jpeg.h"

#include "codecs/JpegErrors.h"

#include <algorithm>
#include <bit>
#include <new>

namespace gs {
namespace {

// libjpeg-turbo reads the bitmap's rows as they are and skips the alpha byte.
constexpr J_COLOR_SPACE kBitmapColorSpace =
    std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;
constexpr size_t kFirstBufferSize = 64 * 1024;

// libjpeg's destination that grows a byte vector: nothing to free if libjpeg fails half-way,
// and no copy at the end.
struct TByteSink {
  jpeg_destination_mgr Manager;  // first, so that libjpeg's pointer to it is a pointer to us
  TBytes* Out;
};

TByteSink& SinkOf(j_compress_ptr info) { return *reinterpret_cast<TByteSink*>(info->dest); }

// Makes room after the bytes written so far; a failed allocation becomes a libjpeg error
// outside the catch block, so that the longjmp leaves no exception behind.
void Grow(j_compress_ptr info, size_t used) {
  TByteSink& sink = SinkOf(info);
  bool failed = false;
  try {
    sink.Out->resize(std::max(kFirstBufferSize, used * 2));
  } catch (const std::bad_alloc&) {
    failed = true;
  }
  if (failed) ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
  sink.Manager.next_output_byte = sink.Out->data() + used;
  sink.Manager.free_in_buffer = sink.Out->size() - used;
}

void StartSink(j_compress_ptr info) { Grow(info, 0); }

// Called when the buffer is full: everything in it is output.
boolean EmptySink(j_compress_ptr info) {
  Grow(info, SinkOf(info).Out->size());
  return TRUE;
}

void FinishSink(j_compress_ptr info) {
  TByteSink& sink = SinkOf(info);
  sink.Out->resize(sink.Out->size() - sink.Manager.free_in_buffer);
}

struct TJpegWriter {
  jpeg_compress_struct Info{};
  jpeg::TErrorManager Errors{};
  TByteSink Sink{};
  ~TJpegWriter() {
    if (Info.err) jpeg_destroy_compress(&Info);
  }
};

// Runs libjpeg under a setjmp: no objects with destructors here; a libjpeg failure returns
// false with the message in the writer's error manager.
bool Compress(TJpegWriter& w, const TBitmap32& picture, int quality) {
  w.Info.err = jpeg::InstallErrorManager(w.Errors);
  if (setjmp(w.Errors.Jump)) return false;
  jpeg_create_compress(&w.Info);
  w.Sink.Manager.init_destination = StartSink;
  w.Sink.Manager.empty_output_buffer = EmptySink;
  w.Sink.Manager.term_destination = FinishSink;
  w.Info.dest = &w.Sink.Manager;

  w.Info.image_width = JDIMENSION(picture.Width());
  w.Info.image_height = JDIMENSION(picture.Height());
  w.Info.input_components = 4;
  w.Info.in_color_space = kBitmapColorSpace;
  jpeg_set_defaults(&w.Info);
  jpeg_set_quality(&w.Info, quality, TRUE);
  jpeg_start_compress(&w.Info, TRUE);
  while (w.Info.next_scanline < w.Info.image_height) {
    // libjpeg never writes to its input rows; its API merely lacks the const.
    const TColor32* source = picture.ScanLine(int(w.Info.next_scanline));
    JSAMPROW row = const_cast<JSAMPROW>(reinterpret_cast<const JSAMPLE*>(source));
    jpeg_write_scanlines(&w.Info, &row, 1);
  }
  jpeg_finish_compress(&w.Info);
  return true;
}

}  // namespace

TBytes EncodeJpeg(const TBitmap32& picture, int quality) {
  if (picture.Empty()) throw Exception("JPEG: cannot save an empty picture");
  TBytes file;
  TJpegWriter writer;
  writer.Sink.Out = &file;
  if (!Compress(writer, picture, std::clamp(quality, 1, 100)))
    jpeg::ThrowFailure<Exception>(writer.Errors);
  return file;
}

}  // namespace gs
