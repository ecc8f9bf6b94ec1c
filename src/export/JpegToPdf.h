// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Wraps a JPEG file unchanged into a one-page PDF whose page is the size of the picture in
// points. The PDF viewer decodes the JPEG itself (DCTDecode), so no pixel is re-encoded.

#include <string>

namespace gs {

struct TJpegFrameInfo {
  bool Found = false;
  int Width = 0, Height = 0;
  bool Cmyk = false;
};

// Reads the frame header (baseline SOF0 or progressive SOF2) of a JPEG file. Found only for
// 3 (RGB) or 4 (CMYK) components; anything unexpected, truncated or broken is "not found".
// Throws EFileError when the file cannot be opened.
TJpegFrameInfo ReadJpegFrameInfo(const std::string& jpegPath);

// Writes pdfPath as a PDF showing the JPEG file. Empty names throw gs::Exception ("FileName is
// nil", "SaveName is nil"). When the JPEG's frame header cannot be read, nothing is written and
// nothing is raised.
void JpegToPdf(const std::string& jpegPath, const std::string& pdfPath);

}  // namespace gs
