// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Heif.h"

#include "codecs/ExifOrientation.h"
#include "codecs/HeifMissingDecoder.h"
#include "codecs/HeifSequence.h"
#include "common/Errors.h"
#include "common/Limits.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

namespace gs {
namespace {

[[noreturn]] void Broken(const std::string& what) { throw EInvalidGraphic("HEIF: " + what); }

struct TContextDeleter {
  void operator()(heif_context* c) const { heif_context_free(c); }
};
struct THandleDeleter {
  void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct TImageDeleter {
  void operator()(heif_image* i) const { heif_image_release(i); }
};
struct TOptionsDeleter {
  void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

bool HasMainBrand(TByteSpan bytes, std::initializer_list<const char*> brands) {
  const heif_brand2 brand = heif_read_main_brand(bytes.data(), int(std::min<size_t>(bytes.size(), 64)));
  return std::any_of(brands.begin(), brands.end(), [&](const char* b) { return brand == heif_fourcc_to_brand(b); });
}

// A top-level box of the file by its type, header included; empty when there is none or the
// boxes before it run past the end. cutOff: a box of that type cut off by the file's end is
// given as the rest of the file.
TByteSpan TopLevelBox(TByteSpan bytes, const char* type, bool cutOff = false) {
  size_t pos = 0;
  while (bytes.size() - pos >= 8) {
    uint64_t size = BigEndian32(&bytes[pos]);
    if (size == 1 && bytes.size() - pos >= 16)
      size = uint64_t(BigEndian32(&bytes[pos + 8])) << 32 | BigEndian32(&bytes[pos + 12]);
    else if (size == 0)
      size = bytes.size() - pos;
    const bool wanted = std::memcmp(&bytes[pos + 4], type, 4) == 0;
    if (wanted && cutOff && size > bytes.size() - pos) return bytes.subspan(pos);
    if (size < 8 || size > bytes.size() - pos) return {};
    if (wanted) return bytes.subspan(pos, size_t(size));
    pos += size_t(size);
  }
  return {};
}

TByteSpan MetaBox(TByteSpan bytes) { return TopLevelBox(bytes, "meta"); }

// A timed sequence (a movie track) with no still picture beside it: libheif 1.15 reads still
// pictures only.
bool IsSequenceWithoutStill(TByteSpan bytes) {
  return MetaBox(bytes).empty() && !TopLevelBox(bytes, "moov", true).empty();
}

// The coding of the file's pictures: the type of its first item that holds coded pixels
// rather than a grid, an overlay or metadata (an "infe" box of version 2 or 3). Empty when none
// is found.
std::string PictureCoding(TByteSpan bytes) {
  const TByteSpan meta = MetaBox(bytes);
  for (size_t p = 4; p + 4 <= meta.size(); ++p) {
    if (std::memcmp(&meta[p], "infe", 4) != 0 || p + 5 > meta.size()) continue;
    const uint8_t version = meta[p + 4];
    const size_t type = p + (version == 2 ? 12 : 14);
    if (version < 2 || version > 3 || type + 4 > meta.size()) continue;
    const std::string coding(reinterpret_cast<const char*>(&meta[type]), 4);
    if (coding != "grid" && coding != "iden" && coding != "iovl" && coding != "Exif" && coding != "mime" &&
        coding != "uri ")
      return coding;
  }
  return {};
}

}  // namespace

std::string MissingDecoderMessage(TByteSpan bytes) {
  const std::string coding = PictureCoding(bytes);
  if (coding == "av01" || (coding.empty() && HasMainBrand(bytes, {"avif", "avis"})))
    return "no AV1 decoder is installed for AVIF pictures; install the package "
           "libheif-plugin-dav1d (libdav1d6 on Debian 12)";
  if (coding == "hvc1" || coding == "hev1" ||
      (coding.empty() && HasMainBrand(bytes, {"heic", "heix", "heim", "heis", "hevc", "hevx"})))
    return "no HEVC decoder is installed for HEIC pictures; install the package "
           "libheif-plugin-libde265 (libde265-0 on Debian 12)";
  if (coding == "vvc1")
    return "the picture is coded as VVC (H.266), for which no libheif decoder is installed; "
           "libheif 1.15 has none";
  std::string printable = coding;
  for (char& c : printable)
    if (c < 0x20 || c > 0x7E) c = '?';
  return "the picture is coded " + (coding.empty() ? std::string("in a way") : "as \"" + printable + "\",") +
         " which no installed libheif decoder reads";
}

namespace {

[[noreturn]] void Fail(const heif_error& error, TByteSpan bytes) {
  // libheif says Unsupported_codec for a coding it knows without a decoder plugin installed, and
  // Unsupported_image_type for an item coded in a way this version has no decoder for at all.
  if (error.code == heif_error_Unsupported_feature && (error.subcode == heif_suberror_Unsupported_codec ||
                                                       error.subcode == heif_suberror_Unsupported_image_type))
    Broken(MissingDecoderMessage(bytes));
  if (error.subcode == heif_suberror_Security_limit_exceeded)
    throw EOutOfResources(std::string("HEIF: the picture is too large to edit (") + error.message +
                          "). Pictures may have at most 100 megapixels and 30,000 pixels a side.");
  if (error.code == heif_error_Memory_allocation_error) throw EOutOfResources("HEIF: not enough memory");
  Broken(error.message && *error.message ? error.message : "the file is broken");
}

void Check(const heif_error& error, TByteSpan bytes) {
  if (error.code != heif_error_Ok) Fail(error, bytes);
}

// Whether the file stores a rotation or mirroring property (irot, imir: a box of 9 bytes).
// Those are what HEIF readers apply; an EXIF orientation in such a file only describes them.
bool StoresTransformation(TByteSpan bytes) {
  const TByteSpan meta = MetaBox(bytes);
  for (size_t p = 4; p + 4 <= meta.size(); ++p)
    if ((std::memcmp(&meta[p], "irot", 4) == 0 || std::memcmp(&meta[p], "imir", 4) == 0) &&
        BigEndian32(&meta[p - 4]) == 9)
      return true;
  return false;
}

// A HEIF Exif block starts with the offset from its 5th byte to the TIFF header.
int ExifOrientationOf(const heif_image_handle* handle) {
  heif_item_id id = 0;
  if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) != 1) return kExifAsStored;
  const size_t size = heif_image_handle_get_metadata_size(handle, id);
  if (size < 4 || size > (size_t(1) << 20)) return kExifAsStored;
  TBytes block(size);
  if (heif_image_handle_get_metadata(handle, id, block.data()).code != heif_error_Ok) return kExifAsStored;
  const uint32_t offset = BigEndian32(block.data());
  if (offset > size - 4) return kExifAsStored;
  return ParseExifOrientation(TByteSpan(block).subspan(4 + offset));
}

TBitmap32 CopyPixels(const heif_image* image, bool alpha) {
  const int width = heif_image_get_width(image, heif_channel_interleaved);
  const int height = heif_image_get_height(image, heif_channel_interleaved);
  CheckPictureSize(width, height);
  int stride = 0;
  const uint8_t* plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
  if (!plane || width <= 0 || height <= 0 || stride < width * (alpha ? 4 : 3))
    Broken("the decoder gave no picture");
  TBitmap32 bitmap;
  bitmap.SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = plane + size_t(y) * size_t(stride);
    TColor32* dst = bitmap.ScanLine(y);
    for (int x = 0; x < width; ++x, src += alpha ? 4 : 3)
      dst[x] = Color32(src[0], src[1], src[2], alpha ? src[3] : 0xFF);
  }
  return bitmap;
}

}  // namespace

TDecodedPicture DecodeHeif(TByteSpan bytes) {
  if (bytes.size() < 12) Broken("the file is cut off");
  std::unique_ptr<heif_context, TContextDeleter> context(heif_context_alloc());
  if (!context) throw EOutOfResources("HEIF: not enough memory");
  heif_context_set_maximum_image_size_limit(context.get(), kMaxPictureSide);
  heif_context_set_max_decoding_threads(context.get(), 0);
  const heif_error read =
      heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr);
  if (read.code != heif_error_Ok && IsSequenceWithoutStill(bytes)) {
    // The still made of it has a meta box, so this does not come back here.
    const std::optional<TBytes> still = FirstSequencePictureAsStill(bytes);
    if (!still)
      Broken("the file is a picture sequence without a still picture, coded in a way this build cannot open");
    return DecodeHeif(*still);
  }
  Check(read, bytes);

  heif_image_handle* rawHandle = nullptr;
  Check(heif_context_get_primary_image_handle(context.get(), &rawHandle), bytes);
  std::unique_ptr<heif_image_handle, THandleDeleter> handle(rawHandle);
  // Refused before a single pixel is decoded; a grid picture's tiles add up to this size.
  CheckPictureSize(heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get()));

  const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
  std::unique_ptr<heif_decoding_options, TOptionsDeleter> options(heif_decoding_options_alloc());
  if (!options) throw EOutOfResources("HEIF: not enough memory");
  options->ignore_transformations = 0;
  options->convert_hdr_to_8bit = 1;
  heif_image* rawImage = nullptr;
  Check(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get()),
        bytes);
  std::unique_ptr<heif_image, TImageDeleter> image(rawImage);

  TDecodedPicture picture{CopyPixels(image.get(), alpha), {}};
  if (!StoresTransformation(bytes)) OrientPicture(picture.Bitmap, ExifOrientationOf(handle.get()));
  return picture;
}

}  // namespace gs
