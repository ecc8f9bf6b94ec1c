// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every kind of picture file the editor knows, one row each: its extensions, the text its
// dialogs show, its MIME types, how it reads and writes. The dialogs' filters, the drop check,
// the "opens" list of the messages and the installed MIME list are all built from these rows,
// so a new kind is one row and its codec.

#include "codecs/Picture.h"

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace gs {

// What the document does differently for a kind; most kinds need nothing of their own.
enum class TPictureKindId { Jpeg, Png, Gif, Bmp, Webp, Heif, Avif, Protected, Pdf, Project };

using TPictureReader = TDecodedPicture (*)(TByteSpan bytes);
// The picture as the file holds it; the document's key colour for kinds that keep one.
using TPictureWriter = TBytes (*)(const TBitmap32& picture, std::optional<TColor> transparentColor);
// True when a file's first bytes clearly belong to the kind.
using TPictureSniffer = bool (*)(TByteSpan bytes);

struct TPictureKind {
  TPictureKindId Id;
  std::vector<const char*> Names;       // as the "opens" list of the messages says them
  std::vector<const char*> Extensions;  // lower-case with the dot; the first is the usual one
  const char* FilterText;               // "PNG Image (*.png)"
  std::vector<const char*> MimeTypes;
  TPictureReader Read = nullptr;        // absent: not a picture of its own (protected) or not read
  TPictureWriter Write = nullptr;       // absent: not saved, or saved by the document itself
  TPictureSniffer Sniff = nullptr;      // absent: its files carry no mark of their own
  int OpenPlace = 0;                    // place in the Open dialog's list, 0 when not there
  int SavePlace = 0;                    // place in the Save As dialog's list, 0 when not there
  bool HasKeyColour = false;            // may mark one colour transparent (the clipart asks)
  bool OpensWithoutAlpha = false;       // backgrounds and the chroma key take its colour only
  bool Project = false;                 // a whole document with its layers, not a picture
};

// All rows, in the order the messages name them.
std::span<const TPictureKind> PictureKinds();

// The row for a lower-cased extension with its dot; nullptr when no kind has it.
const TPictureKind* PictureKindOf(const std::string& lowerExt);

// The row for the extension of a file name in any letter case; nullptr when none.
const TPictureKind* PictureKindOfFile(const std::string& fileName);

// The row whose mark the bytes carry; nullptr when none does, or more than one.
const TPictureKind* PictureKindOfContent(TByteSpan bytes);

// The lower-cased extension whose reader the bytes need: the given one, unless the bytes
// clearly name another kind with a reader of its own (a WebP renamed to .jpg reads as WebP).
// Bytes that name nothing known, or that the given kind's reader reads too, keep it.
std::string ExtensionForContent(const std::string& lowerExt, TByteSpan bytes);

// True when a file of this name (extension in any letter case) is of that kind.
bool IsPictureKind(const std::string& fileName, TPictureKindId id);

// True when a file of this name opens as a picture (protected files included; projects not).
bool OpensAsPicture(const std::string& fileName);

// True when a picture saves under this name: a kind in the Save As list, or no extension
// (which saves as a bitmap).
bool SavesAsPicture(const std::string& fileName);

// "JPEG, PNG, GIF, BMP, WebP, HEIC, HEIF, AVIF and .mfk": every picture kind that opens.
std::string OpenedKindsText();

// "Unsupported image format: face.jxl. Grimacer Studio opens ... pictures." for a file name.
std::string UnsupportedFormatMessage(const std::string& fileName);

// The dialogs' filters, "Text|*.a;*.b|...": the Open one starts with every kind together.
// File > Open and Save As take projects too; clipart, backgrounds and keys take pictures only.
std::string OpenPictureFilter(bool withProjects = false);
std::string SavePictureFilter(bool withProjects = false);
// A filter of the given kinds in that order, for dialogs that write one thing.
std::string PictureFilterOf(std::initializer_list<TPictureKindId> ids);

// The MIME types of every kind that opens, projects included, each once, in row order.
std::vector<std::string> OpenedMimeTypes();

}  // namespace gs
