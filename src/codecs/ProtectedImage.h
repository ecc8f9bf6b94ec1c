// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Protected pictures (".mfk"): a picture file of another format, enciphered so that the
// pictures shipped with the editor cannot simply be copied out of its folders.
//
// Layout: byte 0 = n, bytes 1..n = the inner file's extension with its dot (".gif", ".png",
// ".jpg", ".jpeg", ".bmp"), then the whole inner file enciphered up to the end.

#include "codecs/Picture.h"

#include <memory>
#include <string>

namespace gs {

struct TProtectedContent {
  std::string InnerExtension;  // lower-cased, with its dot
  TBytes Inner;                // the inner picture file, deciphered
};

// Reads the header and deciphers the inner file. A header longer than the file throws
// EInvalidGraphic.
TProtectedContent DecipherProtected(TByteSpan fileBytes);

// A picture object holding one inner picture, read from a protected file. The editor only ever
// reads these files; writing and the clipboard are not supported.
class TEncryptedImage {
public:
  TEncryptedImage();
  ~TEncryptedImage();
  TEncryptedImage(const TEncryptedImage&) = delete;
  TEncryptedImage& operator=(const TEncryptedImage&) = delete;

  // Replaces the inner picture. An unsupported inner format throws gs::Exception("Unsupported
  // image format") and keeps the previous picture; a decoding failure leaves the image empty.
  void LoadFromStream(TByteSpan bytes);

  int Width() const;
  int Height() const;
  bool Empty() const;
  const TDecodedPicture* Inner() const { return Inner_.get(); }

  // Draws the inner picture with its top-left corner at (x, y), with the inner bitmap's own
  // draw and combine modes. Nothing happens when there is no inner picture.
  void Draw(TBitmap32& dst, int x, int y) const;

  // Not supported: throw gs::NotImplemented.
  void SaveToStream(TBytes& out) const;
  void LoadFromClipboard();
  void SaveToClipboard() const;

private:
  std::unique_ptr<TDecodedPicture> Inner_;
};

}  // namespace gs
