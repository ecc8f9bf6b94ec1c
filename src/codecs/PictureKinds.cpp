// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/PictureKinds.h"

#include "codecs/Bmp.h"
#include "codecs/ExifOrientation.h"
#include "codecs/FileIO.h"
#include "codecs/Gif.h"
#include "codecs/Heif.h"
#include "codecs/Jpeg.h"
#include "codecs/Png.h"
#include "codecs/Signatures.h"
#include "codecs/Webp.h"

#include <algorithm>

namespace gs {
namespace {

// Phones store portraits as landscape pixels with an EXIF orientation that every viewer
// honours; the picture is turned here, where every opening (document, clipart, backgrounds,
// protected files) decodes, so nothing after this sees it sideways.
TDecodedPicture ReadPngUpright(TByteSpan bytes) {
  TDecodedPicture picture = DecodePng(bytes);
  OrientPicture(picture.Bitmap, ParseExifOrientation(FindPngExif(bytes)));
  return picture;
}

TDecodedPicture ReadJpegUpright(TByteSpan bytes) {
  TDecodedPicture picture{DecodeJpeg(bytes), {}};
  OrientPicture(picture.Bitmap, ParseExifOrientation(FindJpegExif(bytes)));
  return picture;
}

TBytes WriteJpeg(const TBitmap32& picture, std::optional<TColor>) { return EncodeJpeg(picture, 90); }
TBytes WriteBmp(const TBitmap32& picture, std::optional<TColor>) { return EncodeBmp32(picture); }
TBytes WriteWebp(const TBitmap32& picture, std::optional<TColor>) { return EncodeWebp(picture); }

const std::vector<TPictureKind>& Rows() {
  using K = TPictureKindId;
  static const std::vector<TPictureKind> rows = {
      {.Id = K::Jpeg, .Names = {"JPEG"}, .Extensions = {".jpg", ".jpeg"}, .FilterText = "JPEG Image File (*.jpg)",
       .MimeTypes = {"image/jpeg"}, .Read = ReadJpegUpright, .Write = WriteJpeg,
       .Sniff = LooksLikeJpeg, .OpenPlace = 2, .SavePlace = 1},
      {.Id = K::Png, .Names = {"PNG"}, .Extensions = {".png"}, .FilterText = "PNG Image (*.png)",
       .MimeTypes = {"image/png"}, .Read = ReadPngUpright, .Write = EncodePng,
       .Sniff = LooksLikePng, .OpenPlace = 4, .SavePlace = 5,
       .HasKeyColour = true, .OpensWithoutAlpha = true},
      // Written by the document: it shows the picture as the GIF's colour reduction left it.
      {.Id = K::Gif, .Names = {"GIF"}, .Extensions = {".gif"}, .FilterText = "CompuServe GIF Image (*.gif)",
       .MimeTypes = {"image/gif"}, .Read = DecodeGif,
       .Sniff = LooksLikeGif, .OpenPlace = 1, .SavePlace = 4, .HasKeyColour = true},
      {.Id = K::Bmp, .Names = {"BMP"}, .Extensions = {".bmp"}, .FilterText = "Bitmaps (*.bmp)",
       .MimeTypes = {"image/bmp"}, .Read = DecodeBmp, .Write = WriteBmp,
       .Sniff = LooksLikeBmp, .OpenPlace = 3, .SavePlace = 2},
      {.Id = K::Webp, .Names = {"WebP"}, .Extensions = {".webp"}, .FilterText = "WebP Image (*.webp)",
       .MimeTypes = {"image/webp"}, .Read = DecodeWebp, .Write = WriteWebp,
       .Sniff = LooksLikeWebp, .OpenPlace = 5, .SavePlace = 6},
      {.Id = K::Heif, .Names = {"HEIC", "HEIF"}, .Extensions = {".heic", ".heif"},
       .FilterText = "HEIF Image (*.heic;*.heif)", .MimeTypes = {"image/heic", "image/heif"}, .Read = DecodeHeif,
       .Sniff = LooksLikeHeic, .OpenPlace = 6},
      {.Id = K::Avif, .Names = {"AVIF"}, .Extensions = {".avif"}, .FilterText = "AVIF Image (*.avif)",
       .MimeTypes = {"image/avif"}, .Read = DecodeHeif,
       .Sniff = LooksLikeAvif, .OpenPlace = 7},
      // A picture of another kind inside; the document deciphers it, then reads that.
      {.Id = K::Protected, .Names = {".mfk"}, .Extensions = {".mfk"},
       .FilterText = "Grimacer Studio Graphics (*.mfk)",
       .MimeTypes = {"application/x-grimacer-protected-picture"}, .OpenPlace = 8},
      // Written by the document through a JPEG and the PDF writer.
      {.Id = K::Pdf, .Names = {"PDF"}, .Extensions = {".pdf"}, .FilterText = "Portable Document Format (*.pdf)",
       .MimeTypes = {"application/pdf"}, .SavePlace = 3},
      // Read and written by the document with its layers, meshes and faces.
      {.Id = K::Project, .Names = {"Grimacer Project"}, .Extensions = {".ora"},
       .FilterText = "Grimacer Project (*.ora)", .MimeTypes = {"image/openraster"}, .OpenPlace = 9,
       .SavePlace = 7, .Project = true},
  };
  return rows;
}

std::vector<const TPictureKind*> InPlaceOrder(int TPictureKind::* place, bool withProjects = false) {
  std::vector<const TPictureKind*> kinds;
  for (const TPictureKind& kind : Rows())
    if (kind.*place > 0 && (withProjects || !kind.Project)) kinds.push_back(&kind);
  std::sort(kinds.begin(), kinds.end(), [place](auto* a, auto* b) { return a->*place < b->*place; });
  return kinds;
}

std::string Patterns(const TPictureKind& kind) {
  std::string patterns;
  for (const char* ext : kind.Extensions) patterns += (patterns.empty() ? "*" : ";*") + std::string(ext);
  return patterns;
}

std::string Filter(const std::vector<const TPictureKind*>& kinds) {
  std::string filter;
  for (const TPictureKind* kind : kinds)
    filter += (filter.empty() ? "" : "|") + std::string(kind->FilterText) + "|" + Patterns(*kind);
  return filter;
}

}  // namespace

std::span<const TPictureKind> PictureKinds() { return Rows(); }

const TPictureKind* PictureKindOf(const std::string& lowerExt) {
  for (const TPictureKind& kind : Rows())
    for (const char* ext : kind.Extensions)
      if (lowerExt == ext) return &kind;
  return nullptr;
}

const TPictureKind* PictureKindOfFile(const std::string& fileName) {
  return PictureKindOf(LowerCase(ExtractFileExt(fileName)));
}

const TPictureKind* PictureKindOfContent(TByteSpan bytes) {
  const TPictureKind* found = nullptr;
  for (const TPictureKind& kind : Rows()) {
    if (!kind.Sniff || !kind.Sniff(bytes)) continue;
    if (found) return nullptr;
    found = &kind;
  }
  return found;
}

std::string ExtensionForContent(const std::string& lowerExt, TByteSpan bytes) {
  const TPictureKind* named = PictureKindOf(lowerExt);
  if (named && named->Sniff && named->Sniff(bytes)) return lowerExt;
  const TPictureKind* content = PictureKindOfContent(bytes);
  if (!content || !content->Read || (named && named->Read == content->Read)) return lowerExt;
  return content->Extensions.front();
}

bool IsPictureKind(const std::string& fileName, TPictureKindId id) {
  const TPictureKind* kind = PictureKindOfFile(fileName);
  return kind && kind->Id == id;
}

bool OpensAsPicture(const std::string& fileName) {
  const TPictureKind* kind = PictureKindOfFile(fileName);
  return kind && kind->OpenPlace > 0 && !kind->Project;
}

bool SavesAsPicture(const std::string& fileName) {
  if (ExtractFileExt(fileName).empty()) return true;
  const TPictureKind* kind = PictureKindOfFile(fileName);
  return kind && kind->SavePlace > 0 && !kind->Project;
}

std::string OpenedKindsText() {
  std::vector<std::string> names;
  for (const TPictureKind& kind : Rows())
    if (kind.OpenPlace > 0 && !kind.Project) names.insert(names.end(), kind.Names.begin(), kind.Names.end());
  std::string text;
  for (size_t i = 0; i < names.size(); ++i)
    text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  return text;
}

std::string UnsupportedFormatMessage(const std::string& fileName) {
  return "Unsupported image format: " + ExtractFileName(fileName) + ". Grimacer Studio opens " +
         OpenedKindsText() + " pictures.";
}

std::string OpenPictureFilter(bool withProjects) {
  const std::vector<const TPictureKind*> kinds = InPlaceOrder(&TPictureKind::OpenPlace, withProjects);
  std::string usual, all;
  for (const TPictureKind* kind : kinds) {
    usual += (usual.empty() ? "*" : ";*") + std::string(kind->Extensions.front());
    all += (all.empty() ? "" : ";") + Patterns(*kind);
  }
  return "All (" + usual + ")|" + all + "|" + Filter(kinds);
}

std::string SavePictureFilter(bool withProjects) {
  return Filter(InPlaceOrder(&TPictureKind::SavePlace, withProjects));
}

std::string PictureFilterOf(std::initializer_list<TPictureKindId> ids) {
  std::vector<const TPictureKind*> kinds;
  for (TPictureKindId id : ids)
    for (const TPictureKind& kind : Rows())
      if (kind.Id == id) kinds.push_back(&kind);
  return Filter(kinds);
}

std::vector<std::string> OpenedMimeTypes() {
  std::vector<std::string> types;
  for (const TPictureKind& kind : Rows())
    if (kind.OpenPlace > 0)
      for (const char* type : kind.MimeTypes)
        if (std::find(types.begin(), types.end(), type) == types.end()) types.emplace_back(type);
  return types;
}

}  // namespace gs
