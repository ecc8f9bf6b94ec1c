// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpora with the editor's own encoders:
//   make_seeds OUTDIR [MODULE.8bf...]  ->  OUTDIR/<target>/seed_*
// A few small pictures (solid, gradient, with transparency, odd sizes) in every format, as the
// decoders, the document (an extension byte first) and Gifloom (inputs joined by length) read
// them. Filter modules given are copied whole for the module reader, their resource sections
// are kept bare as well, and their PIPL resources go to the property-list target.
#include "document/Document.h"
#include "document/Recovery.h"
#include "codecs/Bmp.h"
#include "codecs/ExifOrientation.h"
#include "codecs/Gif.h"
#include "codecs/Jpeg.h"
#include "codecs/Png.h"
#include "codecs/ProtectedImage.h"
#include "codecs/Rijndael.h"
#include "codecs/Sha1.h"
#include "platform/ModuleResources.h"

#include <cstring>

#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool WriteFile(const fs::path& path, const gs::TBytes& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::vector<gs::TBitmap32> Pictures() {
  std::vector<gs::TBitmap32> out;
  out.emplace_back(1, 1, 0xFF336699u);
  gs::TBitmap32 gradient(17, 9);
  for (int y = 0; y < gradient.Height(); ++y)
    for (int x = 0; x < gradient.Width(); ++x)
      gradient.SetPixel(x, y, 0xFF000000u | uint32_t(x * 15) << 16 | uint32_t(y * 28) << 8 |
                                  uint32_t((x + y) * 9));
  out.push_back(gradient);
  gs::TBitmap32 alpha(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      alpha.SetPixel(x, y, (x + y) % 3 == 0 ? 0x00000000u : (uint32_t(x * 32) << 24 | 0x00FF8000u));
  out.push_back(alpha);
  gs::TBitmap32 checker(33, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 33; ++x) checker.SetPixel(x, y, (x ^ y) & 1 ? 0xFFFFFFFFu : 0xFF000000u);
  out.push_back(checker);
  return out;
}

// A protected file holding `inner` under the given extension, enciphered the way the reader
// deciphers: CBC with Rijndael-192 keyed by the SHA-1 of the pass phrase, the chain starting at
// the encipherment of sixteen 0xFF bytes, a last partial block XORed with the encipherment of the
// previous ciphertext block.
gs::TBytes Protected(const std::string& ext, const gs::TBytes& inner) {
  static constexpr char kPassPhrase[] = "Ostrelvan Kinburn";
  const gs::TSha1Digest digest =
      gs::Sha1(gs::TByteSpan(reinterpret_cast<const uint8_t*>(kPassPhrase), sizeof kPassPhrase - 1));
  uint8_t key[24] = {};
  std::memcpy(key, digest.data(), digest.size());
  gs::TRijndael cipher;
  cipher.SetKey(gs::TByteSpan(key, sizeof key));
  constexpr size_t block = gs::TRijndael::kBlockSize;
  uint8_t chain[block];
  std::memset(chain, 0xFF, block);
  cipher.EncryptBlock(chain, chain);

  gs::TBytes out;
  out.push_back(uint8_t(ext.size()));
  out.insert(out.end(), ext.begin(), ext.end());
  size_t pos = 0;
  for (; inner.size() - pos >= block; pos += block) {
    uint8_t mixed[block];
    for (size_t i = 0; i < block; ++i) mixed[i] = inner[pos + i] ^ chain[i];
    cipher.EncryptBlock(mixed, chain);
    out.insert(out.end(), chain, chain + block);
  }
  if (pos < inner.size()) {
    uint8_t stream[block];
    cipher.EncryptBlock(chain, stream);
    for (size_t i = 0; pos + i < inner.size(); ++i) out.push_back(inner[pos + i] ^ stream[i]);
  }
  return out;
}

gs::TBytes Concat(std::initializer_list<gs::TBytes> parts) {
  gs::TBytes out;
  for (const gs::TBytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// The document target's layout: the index of the extension in its table, then the file.
gs::TBytes DocumentSeed(uint8_t extensionIndex, const gs::TBytes& file) {
  return Concat({gs::TBytes{extensionIndex}, file});
}

// The Gifloom target's layout: a control byte, then every input but the last behind its 16-bit
// length.
gs::TBytes GifloomSeed(uint8_t control, const std::vector<gs::TBytes>& inputs) {
  gs::TBytes out{control};
  for (size_t i = 0; i < inputs.size(); ++i) {
    if (i + 1 < inputs.size()) {
      out.push_back(uint8_t(inputs[i].size()));
      out.push_back(uint8_t(inputs[i].size() >> 8));
    }
    out.insert(out.end(), inputs[i].begin(), inputs[i].end());
  }
  return out;
}

// Copies a built module and what the plug-in scan reads from it into the seed folders.
int ModuleSeeds(const fs::path& root, const fs::path& module, int index) {
  const std::string id = std::to_string(index);
  FILE* f = std::fopen(module.c_str(), "rb");
  if (!f) return 1;
  gs::TBytes bytes;
  uint8_t buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  std::fclose(f);
  int failed = !WriteFile(root / "fuzz_module_resources" / ("module_" + id + ".8bf"), bytes);
  try {
    const std::vector<gs::TModuleResource> resources = gs::ReadModuleResources(module.string());
    failed += !WriteFile(root / "fuzz_module_resources" / ("section_" + id + ".bin"),
                         gs::EncodeResourceSection(resources));
    int n = 0;
    for (const gs::TModuleResource& r : resources)
      if (r.Type == "PIPL")
        failed += !WriteFile(root / "fuzz_pipl" / ("pipl_" + id + "_" + std::to_string(n++) + ".bin"), r.Data);
  } catch (const gs::EModuleFormat& e) {
    // Test modules include deliberately broken ones; they are still good seeds as files.
    std::fprintf(stderr, "make_seeds: %s\n", e.what());
  }
  return failed;
}

// A little-endian TIFF structure whose IFD0 holds the orientation 6, and the same behind a JPEG's
// SOI as the APP1 "Exif" segment of a phone photo.
const gs::TBytes kExifTiff = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0,
                              6, 0, 0, 0, 0, 0, 0, 0};

gs::TBytes WithExif(gs::TBytes jpeg) {
  gs::TBytes segment = {0xFF, 0xE1, 0, uint8_t(2 + 6 + kExifTiff.size()), 'E', 'x', 'i', 'f', 0, 0};
  segment.insert(segment.end(), kExifTiff.begin(), kExifTiff.end());
  jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
  return jpeg;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTDIR [MODULE.8bf...]\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];
  for (const char* t : {"fuzz_bmp", "fuzz_png", "fuzz_gif", "fuzz_jpeg", "fuzz_mfk",
                        "fuzz_jpeg_frame_info", "fuzz_document", "fuzz_recovery", "fuzz_pipl",
                        "fuzz_module_resources", "fuzz_gifloom"})
    fs::create_directories(root / t);
  int n = 0, failed = 0;
  std::vector<gs::TBytes> gifs;
  for (const gs::TBitmap32& pic : Pictures()) {
    const std::string id = std::to_string(n++);
    const gs::TBytes bmp = gs::EncodeBmp32(pic);
    const gs::TBytes png = gs::EncodePng(pic, std::nullopt);
    const gs::TBytes gif = gs::EncodeGif(pic, gs::TColor(0x000080FF));
    const gs::TBytes jpg = gs::EncodeJpeg(pic, 75);
    failed += !WriteFile(root / "fuzz_bmp" / ("seed_" + id + ".bmp"), bmp);
    failed += !WriteFile(root / "fuzz_png" / ("seed_" + id + ".png"), png);
    failed += !WriteFile(root / "fuzz_gif" / ("seed_" + id + ".gif"), gif);
    failed += !WriteFile(root / "fuzz_jpeg" / ("seed_" + id + ".jpg"), jpg);
    failed += !WriteFile(root / "fuzz_jpeg_frame_info" / ("seed_" + id + ".jpg"), jpg);
    failed += !WriteFile(root / "fuzz_mfk" / ("seed_" + id + "_png.mfk"), Protected(".png", png));
    failed += !WriteFile(root / "fuzz_mfk" / ("seed_" + id + "_bmp.mfk"), Protected(".bmp", bmp));
    failed += !WriteFile(root / "fuzz_mfk" / ("seed_" + id + "_gif.mfk"), Protected(".gif", gif));
    failed += !WriteFile(root / "fuzz_mfk" / ("seed_" + id + "_jpg.mfk"), Protected(".jpg", jpg));
    // fuzz_document's extension table starts .bmp .png .gif .jpg .jpeg .mfk.
    failed += !WriteFile(root / "fuzz_document" / ("seed_" + id + "_bmp"), DocumentSeed(0, bmp));
    failed += !WriteFile(root / "fuzz_document" / ("seed_" + id + "_png"), DocumentSeed(1, png));
    failed += !WriteFile(root / "fuzz_document" / ("seed_" + id + "_gif"), DocumentSeed(2, gif));
    failed += !WriteFile(root / "fuzz_document" / ("seed_" + id + "_jpg"), DocumentSeed(3, jpg));
    failed += !WriteFile(root / "fuzz_document" / ("seed_" + id + "_mfk"),
                         DocumentSeed(5, Protected(".gif", gif)));
    gifs.push_back(gif);
    // A recovery copy of the picture opened as a document, with one cell of its mesh warped.
    {
      gs::TDocument document;
      gs::TLoadedPicture loaded;
      loaded.Picture = pic;
      loaded.Undo = pic;
      loaded.FileName = loaded.SourceFileName = "seed.png";
      document.Open(std::move(loaded));
      document.MeshTransformation.VectorMap().Vector(0, 0) = {65536, -65536};
      gs::TRecoveryCopy copy;
      gs::TakeRecoverySnapshot(document, copy);
      failed += !WriteFile(root / "fuzz_recovery" / ("seed_" + id + ".gsr"), gs::EncodeRecovery(copy));
    }
    // The reader must get back exactly what was enciphered; otherwise the seeds are useless.
    const gs::TProtectedContent check = gs::DecipherProtected(Protected(".png", png));
    if (check.Inner != png || check.InnerExtension != ".png") {
      std::fprintf(stderr, "make_seeds: protected seed does not decipher back\n");
      return 1;
    }
  }
  // The decoders also read EXIF orientation; the seeds give the fuzzer a block to mutate.
  const gs::TBytes phone = WithExif(gs::EncodeJpeg(Pictures()[1], 75));
  if (gs::ParseExifOrientation(gs::FindJpegExif(phone)) != 6) {
    std::fprintf(stderr, "make_seeds: the EXIF seed does not read back\n");
    return 1;
  }
  failed += !WriteFile(root / "fuzz_jpeg" / "seed_exif.jpg", phone);
  failed += !WriteFile(root / "fuzz_jpeg" / "seed_exif.tiff", kExifTiff);
  failed += !WriteFile(root / "fuzz_png" / "seed_exif.tiff", kExifTiff);
  failed += !WriteFile(root / "fuzz_document" / "seed_exif_jpg", DocumentSeed(3, phone));
  // One, two and three inputs, with and without the looping block.
  failed += !WriteFile(root / "fuzz_gifloom" / "seed_one", GifloomSeed(0x04 | 10 << 3, {gifs[1]}));
  failed += !WriteFile(root / "fuzz_gifloom" / "seed_two", GifloomSeed(0x01, {gifs[0], gifs[2]}));
  failed += !WriteFile(root / "fuzz_gifloom" / "seed_three",
                       GifloomSeed(0x06 | 3 << 3, {gifs[3], gifs[1], gifs[0]}));
  for (int i = 2; i < argc; ++i) failed += ModuleSeeds(root, argv[i], i - 2);
  if (failed) {
    std::fprintf(stderr, "make_seeds: %d files could not be written\n", failed);
    return 1;
  }
  std::printf("make_seeds: %d pictures written to %s\n", n, root.c_str());
  return 0;
}
