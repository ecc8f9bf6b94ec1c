// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Heif.h"

#include "codecs/ExifOrientation.h"
#include "common/Errors.h"
#include "common/Limits.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <memory>
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

// The package that brings the decoder this file's coding needs, told by the file's main brand.
std::string MissingDecoderMessage(TByteSpan bytes) {
  if (HasMainBrand(bytes, {"avif", "avis"}))
    return "no AV1 decoder is installed for AVIF pictures; install the package "
           "libheif-plugin-dav1d (libdav1d6 on Debian 12)";
  if (HasMainBrand(bytes, {"heic", "heix", "heim", "heis", "hevc", "hevx"}))
    return "no HEVC decoder is installed for HEIC pictures; install the package "
           "libheif-plugin-libde265 (libde265-0 on Debian 12)";
  return "the picture is coded in a way no installed libheif decoder reads";
}

[[noreturn]] void Fail(const heif_error& error, TByteSpan bytes) {
  if (error.code == heif_error_Unsupported_feature && error.subcode == heif_suberror_Unsupported_codec)
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

// The top-level "meta" box, which holds the pictures' properties; empty when there is none.
TByteSpan MetaBox(TByteSpan bytes) {
  size_t pos = 0;
  while (bytes.size() - pos >= 8) {
    uint64_t size = BigEndian32(&bytes[pos]);
    if (size == 0) size = bytes.size() - pos;
    if (size < 8 || size > bytes.size() - pos) return {};
    if (std::memcmp(&bytes[pos + 4], "meta", 4) == 0) return bytes.subspan(pos, size_t(size));
    pos += size_t(size);
  }
  return {};
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
  Check(heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr), bytes);

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
