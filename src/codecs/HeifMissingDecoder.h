// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a HEIF reader says when libheif has no decoder for a file's coding. Apart from the reader
// so that it can be tried on files of every coding where all the decoders are installed.

#include "codecs/Picture.h"

#include <string>

namespace gs {

// The reason, naming the package that brings the decoder: told by the coding of the file's
// pictures (its first item of coded pixels), or by its main brand when no such item is found.
std::string MissingDecoderMessage(TByteSpan bytes);

}  // namespace gs
