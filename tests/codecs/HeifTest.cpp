// SPDX-License-Identifier: GPL-3.0-or-later
// HEIF pictures made here through libheif's own encoder, so that each way a file can store its
// orientation, and a file of several pictures, is known exactly.

#include "codecs/ExifOrientation.h"
#include "codecs/FileIO.h"
#include "codecs/Heif.h"
#include "codecs/HeifMissingDecoder.h"
#include "common/Errors.h"

#include <gtest/gtest.h>
#include <libheif/heif.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>

using namespace gs;

namespace {

// Four flat quadrants, 48 x 32: any turn or mirror shows.
TBitmap32 Quadrants() {
  TBitmap32 b(48, 32, 0xFFD03020);
  b.FillRect(TRect{24, 0, 48, 16}, 0xFF20A040);
  b.FillRect(TRect{0, 16, 24, 32}, 0xFF2040C0);
  b.FillRect(TRect{24, 16, 48, 32}, 0xFFE0D030);
  return b;
}

heif_error WriteToBytes(heif_context*, const void* data, size_t size, void* userdata) {
  auto* bytes = static_cast<TBytes*>(userdata);
  bytes->insert(bytes->end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
  return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
}

// An EXIF block as HEIF stores it: the offset to the TIFF header, then the TIFF structure.
TBytes ExifWithOrientation(int orientation) {
  return TBytes{0, 0, 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1,
                0, uint8_t(orientation), 0, 0, 0, 0, 0, 0};
}

struct TStored {
  TBitmap32 Picture;
  int Transformation = 1;  // written as irot / imir
  int Exif = 0;            // 0: no EXIF block
};

// A HEIC of the pictures; the one at `primary` is the primary picture.
TBytes EncodeHeic(const std::vector<TStored>& pictures, size_t primary = 0) {
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
  heif_encoder_set_lossless(encoder, 1);
  std::vector<heif_image_handle*> handles;
  for (const TStored& stored : pictures) {
    const TBitmap32& b = stored.Picture;
    heif_image* image = nullptr;
    heif_image_create(b.Width(), b.Height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, b.Width(), b.Height(), 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) {
        uint8_t* p = plane + y * stride + x * 3;
        p[0] = RedOf(b.Pixel(x, y)), p[1] = GreenOf(b.Pixel(x, y)), p[2] = BlueOf(b.Pixel(x, y));
      }
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = heif_orientation(stored.Transformation);
    heif_image_handle* handle = nullptr;
    heif_context_encode_image(context, image, encoder, options, &handle);
    if (stored.Exif) {
      const TBytes exif = ExifWithOrientation(stored.Exif);
      heif_context_add_exif_metadata(context, handle, exif.data(), int(exif.size()));
    }
    heif_encoding_options_free(options);
    heif_image_release(image);
    handles.push_back(handle);
  }
  heif_context_set_primary_image(context, handles[primary]);
  TBytes bytes;
  heif_writer writer{1, WriteToBytes};
  heif_context_write(context, &writer, &bytes);
  for (heif_image_handle* handle : handles) heif_image_handle_release(handle);
  heif_encoder_release(encoder);
  heif_context_free(context);
  return bytes;
}

int MaxDiff(const TBitmap32& a, const TBitmap32& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return 1000;
  int worst = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      for (int shift : {0, 8, 16, 24})
        worst = std::max(worst, std::abs(int((a.Pixel(x, y) >> shift) & 0xFF) - int((b.Pixel(x, y) >> shift) & 0xFF)));
  return worst;
}

class HeifTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!heif_have_encoder_for_format(heif_compression_HEVC)) GTEST_SKIP() << "libheif has no HEVC encoder here";
  }
};

// Whichever way the file says it: the rotation and mirroring properties, or an EXIF orientation
// alone; a file with both is turned once, as its properties say.
TEST_F(HeifTest, PhotosOpenUprightForEveryOrientation) {
  const TBitmap32 stored = Quadrants();
  // Lossless HEVC still rounds through YUV: the reference is what the file holds unturned.
  const TBitmap32 plain = DecodeHeif(EncodeHeic({{stored}})).Bitmap;
  ASSERT_LE(MaxDiff(plain, stored), 3);
  for (int orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE(orientation);
    TBitmap32 upright = plain;
    OrientPicture(upright, orientation);
    EXPECT_LE(MaxDiff(DecodeHeif(EncodeHeic({{stored, orientation, 0}})).Bitmap, upright), 0) << "irot/imir";
    EXPECT_LE(MaxDiff(DecodeHeif(EncodeHeic({{stored, 1, orientation}})).Bitmap, upright), 0) << "EXIF";
    EXPECT_LE(MaxDiff(DecodeHeif(EncodeHeic({{stored, orientation, orientation}})).Bitmap, upright), 0) << "both";
  }
}

TEST_F(HeifTest, AFileOfSeveralPicturesOpensItsPrimaryOne) {
  const TBitmap32 first(40, 20, 0xFFFF0000), second = Quadrants();
  const TBitmap32 opened = DecodeHeif(EncodeHeic({{first}, {second}}, 1)).Bitmap;
  EXPECT_EQ(opened.Width(), 48);
  EXPECT_LE(MaxDiff(opened, second), 3);
}

TBytes Formats(const std::string& name) {
  return ReadFileBytes(std::string(GS_SOURCE_DIR) + "/../tests/data/formats/" + name);
}

// Where a box's type first appears after another's, as a file's own layout puts it.
size_t After(const TBytes& bytes, const char* type, const char* before = "moov") {
  const std::string text(bytes.begin(), bytes.end());
  const size_t from = text.find(before);
  const size_t at = text.find(type, from);
  EXPECT_NE(at, std::string::npos) << type;
  return at;
}

void Put32(TBytes& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = uint8_t(value >> (24 - 8 * i));
}

std::string Refusal(TByteSpan bytes) {
  try {
    DecodeHeif(bytes);
  } catch (const EOutOfResources& e) {
    return std::string("too large: ") + e.what();
  } catch (const EInvalidGraphic& e) {
    return std::string("broken: ") + e.what();
  }
  return "opened";
}

TEST(HeifSequence, ASequenceWithoutAStillOpensItsFirstPicture) {
  for (const char* name : {"sequence-only.avif", "sequence-only.heic"}) {
    SCOPED_TRACE(name);
    const TBitmap32 opened = DecodeHeif(Formats(name)).Bitmap;
    ASSERT_EQ(opened.Width(), 48);
    ASSERT_EQ(opened.Height(), 32);
    // The first frame is the unmirrored one, within the coding's loss; an alpha track is not a
    // picture of its own.
    EXPECT_LE(MaxDiff(opened, Quadrants()), 24);
  }
}

// A hostile sequence is refused with its reason, and never read past its end.
TEST(HeifSequence, BrokenSequencesAreRefusedWithTheirReason) {
  const TBytes good = Formats("sequence-only.avif");
  const struct {
    const char* name;
    std::function<void(TBytes&)> spoil;
    const char* refusal;
  } cases[] = {
      {"cut in the track", [](TBytes& b) { b.resize(After(b, "stsz")); }, "broken: HEIF sequence: "},
      {"cut in the pictures", [](TBytes& b) { b.erase(b.end() - 100, b.end()); }, "broken: HEIF sequence: "},
      {"track past the end", [](TBytes& b) { Put32(b, After(b, "trak") - 4, 0x7FFFFFF0); }, "broken: HEIF sequence: "},
      {"picture past the end", [](TBytes& b) { Put32(b, After(b, "stco") + 12, 0xFFFFFF00); },
       "broken: HEIF sequence: "},
      {"picture larger than the file", [](TBytes& b) { Put32(b, After(b, "stsz") + 16, 0x7FFFFFFF); },
       "broken: HEIF sequence: "},
      {"no picture", [](TBytes& b) { Put32(b, After(b, "stsz") + 12, 0); }, "broken: HEIF sequence: "},
      {"absurd size", [](TBytes& b) { Put32(b, After(b, "av01", "stsd") + 28, 0xEA60EA60); }, "too large: "},
      {"unknown coding", [](TBytes& b) { std::memcpy(&b[After(b, "av01", "stsd")], "mp4v", 4); },
       "broken: HEIF: the file is a picture sequence without a still picture"},
  };
  for (const auto& c : cases) {
    TBytes bytes = good;
    c.spoil(bytes);
    EXPECT_EQ(Refusal(bytes).rfind(c.refusal, 0), 0u) << c.name << ": " << Refusal(bytes);
  }
}

// libheif 1.15 reads VVC-coded items as pictures it has no decoder for: the message says so
// rather than calling the file broken.
TEST(HeifSequence, APictureOfACodingWithoutDecoderSaysWhichCoding) {
  TBytes bytes = Formats("lossy.avif");
  const std::string text(bytes.begin(), bytes.end());
  ASSERT_NE(text.find("av01"), std::string::npos);
  std::memcpy(&bytes[text.find("av01")], "vvc1", 4);
  EXPECT_EQ(Refusal(bytes), "broken: HEIF: the picture is coded as VVC (H.266), for which no libheif decoder is "
                            "installed; libheif 1.15 has none");
}

// Debian 12's libheif has its decoders built in, so the files are made up: a file type box, and
// a meta box whose items (infe, of version 2 or 3) name their coding.
std::string Box(const char* type, const std::string& body) {
  std::string box(4, '\0');
  box[3] = char(8 + body.size());
  box.append(type, 4);
  box.append(body);
  return box;
}

TBytes HeifOf(const char* brand, std::initializer_list<std::string> codings, char itemVersion = 2) {
  std::string brandAndVersion(brand, 4);
  brandAndVersion.append(4, '\0');
  std::string file = Box("ftyp", brandAndVersion);
  if (codings.size() != 0) {
    std::string items(4, '\0');  // the meta box's version and flags
    for (const std::string& coding : codings) {
      std::string item(1, itemVersion);
      item.append(itemVersion == 3 ? 9 : 7, '\0');  // flags, item ID (4 bytes in version 3, else 2), protection
      item.append(coding);
      items.append(Box("infe", item));
    }
    file.append(Box("meta", items));
  }
  return TBytes(file.begin(), file.end());
}

TEST(HeifMissingDecoder, NamesThePackageByThePicturesCodingOrTheBrand) {
  const struct {
    const char* Name;
    TBytes File;
    const char* Says;
  } cases[] = {
      {"avif brand", HeifOf("avif", {}), "install the package libheif-plugin-dav1d"},
      {"heic brand", HeifOf("heic", {}), "install the package libheif-plugin-libde265"},
      {"av01 item", HeifOf("mif1", {"av01"}), "libheif-plugin-dav1d"},
      {"the item's coding over the brand", HeifOf("avif", {"hvc1"}), "libheif-plugin-libde265"},
      {"a grid's tiles", HeifOf("mif1", {"grid", "hev1"}, 3), "libheif-plugin-libde265"},
      {"vvc1 item", HeifOf("mif1", {"vvc1"}), "coded as VVC (H.266)"},
      {"an odd coding", HeifOf("mif1", {"j2k1"}), "coded as \"j2k1\", which no installed libheif decoder reads"},
      {"unprintable", HeifOf("mif1", {std::string("\x01" "ab\xFF", 4)}), "coded as \"?ab?\""},
      {"nothing known", HeifOf("mif1", {}), "coded in a way which no installed"},
  };
  for (const auto& c : cases) {
    const std::string message = MissingDecoderMessage(c.File);
    EXPECT_NE(message.find(c.Says), std::string::npos) << c.Name << ": " << message;
  }
}

}  // namespace
