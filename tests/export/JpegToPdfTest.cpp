// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/JpegToPdf.h"

#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "common/Errors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

using namespace gs;

namespace {

class JpegToPdfTest : public ::testing::Test {
protected:
  void SetUp() override {
    Folder_ = std::filesystem::temp_directory_path() /
              ("gs_jpegtopdf_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(Folder_);
  }
  void TearDown() override { std::filesystem::remove_all(Folder_); }

  std::string Path(const std::string& name) const { return (Folder_ / name).string(); }

  std::string WriteJpeg(const TBytes& bytes) {
    const std::string path = Path("picture.jpg");
    WriteFileBytes(path, bytes);
    return path;
  }

  // Converts and returns the PDF as text ("" when no file was written).
  std::string Convert(const TBytes& jpeg) {
    const std::string pdf = Path("picture.pdf");
    JpegToPdf(WriteJpeg(jpeg), pdf);
    if (!FileExists(pdf)) return {};
    const TBytes bytes = ReadFileBytes(pdf);
    return std::string(bytes.begin(), bytes.end());
  }

  std::filesystem::path Folder_;
};

void Put16(TBytes& bytes, int value) {
  bytes.push_back(uint8_t(value >> 8));
  bytes.push_back(uint8_t(value));
}

// Just enough of a JPEG for the frame header reader: SOI, an APP0 and a DQT-sized segment, the
// frame header, EOI.
TBytes MinimalJpeg(int sofMarker, int width, int height, int components) {
  TBytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0};
  Put16(jpeg, 16);
  for (char c : std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14)) jpeg.push_back(uint8_t(c));
  Put16(jpeg, 0xFFDB);
  Put16(jpeg, 67);
  jpeg.insert(jpeg.end(), 65, 1);
  Put16(jpeg, sofMarker);
  Put16(jpeg, 8 + 3 * components);
  jpeg.push_back(8);
  Put16(jpeg, height);
  Put16(jpeg, width);
  jpeg.push_back(uint8_t(components));
  for (int c = 1; c <= components; ++c) jpeg.insert(jpeg.end(), {uint8_t(c), 0x11, 0});
  Put16(jpeg, 0xFFD9);
  return jpeg;
}

// Checks that every cross-reference entry points at its "N 0 obj" line and that startxref
// points at the table.
void ExpectConsistentCrossReference(const std::string& pdf) {
  const size_t start = pdf.rfind("startxref\n");
  ASSERT_NE(start, std::string::npos);
  const size_t xref = std::stoul(pdf.substr(start + 10));
  ASSERT_LT(xref, pdf.size());
  ASSERT_EQ(pdf.compare(xref, 29, "xref\n0 6\n0000000000 65535 f \n"), 0);
  for (int number = 1; number <= 5; ++number) {
    const std::string entry = pdf.substr(xref + 29 + 20 * size_t(number - 1), 20);
    ASSERT_EQ(entry.substr(10), " 00000 n \n");
    const size_t offset = std::stoul(entry.substr(0, 10));
    EXPECT_EQ(pdf.compare(offset, 8, std::to_string(number) + " 0 obj\n"), 0) << number;
  }
  EXPECT_EQ(pdf.compare(xref + 129, std::string::npos,
                        "trailer\n<<\n/Size 6\n/Root 1 0 R\n>>\nstartxref\n" +
                            std::to_string(xref) + "\n%%EOF"),
            0);
}

}  // namespace

TEST_F(JpegToPdfTest, RgbPictureBecomesOnePagePdf) {
  const TBytes jpeg = MinimalJpeg(0xFFC0, 640, 480, 3);
  const std::string pdf = Convert(jpeg);
  ASSERT_FALSE(pdf.empty());

  EXPECT_EQ(pdf.rfind("%PDF-1.2\n", 0), 0u);
  EXPECT_EQ(pdf.find("1 0 obj\n"), 9u);
  EXPECT_EQ(pdf.find("2 0 obj\n"), 100u);
  EXPECT_EQ(pdf.find("3 0 obj\n"), 159u);
  EXPECT_NE(pdf.find("/MediaBox [ 0 0 640 480 ]\n"), std::string::npos);
  EXPECT_NE(pdf.find("/Width 640\n/Height 480\n/BitsPerComponent 8\n/Filter [/DCTDecode]\n"
                     "/ColorSpace /DeviceRGB\n/Length " +
                     std::to_string(jpeg.size()) + " >>\nstream\n"),
            std::string::npos);
  EXPECT_EQ(pdf.find("/Decode"), std::string::npos);
  EXPECT_NE(pdf.find("5 0 obj\n<< /Length 31 >>\nstream\nq\n640 0 0 480 0 0 cm\n/Im0 Do\nQ\n"
                     "endstream\nendobj\n"),
            std::string::npos);

  // The JPEG goes in byte for byte, "endstream" right after its last byte.
  const std::string embedded = std::string(jpeg.begin(), jpeg.end()) + "endstream\nendobj\n";
  const size_t data = pdf.find(embedded);
  ASSERT_NE(data, std::string::npos);
  EXPECT_EQ(pdf.compare(data - 7, 7, "stream\n"), 0);

  ExpectConsistentCrossReference(pdf);
  EXPECT_EQ(pdf.substr(pdf.size() - 6), "\n%%EOF");
}

TEST_F(JpegToPdfTest, CmykProgressiveAndLargeSizes) {
  const std::string cmyk = Convert(MinimalJpeg(0xFFC0, 12, 34, 4));
  EXPECT_NE(cmyk.find("/ColorSpace /DeviceCMYK\n/Decode[1 0 1 0 1 0 1 0]\n/Length "),
            std::string::npos);
  ExpectConsistentCrossReference(cmyk);

  // Sides above 32767 read as unsigned, written without sign or leading zeros.
  const std::string progressive = Convert(MinimalJpeg(0xFFC2, 40000, 7, 3));
  EXPECT_NE(progressive.find("/MediaBox [ 0 0 40000 7 ]\n"), std::string::npos);
  EXPECT_NE(progressive.find("40000 0 0 7 0 0 cm\n"), std::string::npos);
  ExpectConsistentCrossReference(progressive);
}

TEST_F(JpegToPdfTest, UnreadableFrameHeadersWriteNothing) {
  TBytes grey = MinimalJpeg(0xFFC0, 8, 8, 1);
  TBytes notJpeg = MinimalJpeg(0xFFC0, 8, 8, 3);
  notJpeg[1] = 0xD9;
  TBytes endBeforeFrame = {0xFF, 0xD8, 0xFF, 0xD9};
  const TBytes good = MinimalJpeg(0xFFC0, 8, 8, 3);
  endBeforeFrame.insert(endBeforeFrame.end(), good.begin() + 2, good.end());
  TBytes fillMarker = {0xFF, 0xD8, 0xFF, 0xFF, 0x00, 0x04};
  TBytes truncatedFrame(good.begin(), good.end() - 2 - 3 * 3 - 3);
  TBytes segmentPastEnd = {0xFF, 0xD8, 0xFF, 0xE1, 0x7F, 0xFF, 1, 2, 3};
  TBytes lengthZero = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x00, 0xFF, 0xC0};
  TBytes lengthOne = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01, 0xFF, 0xC0};
  TBytes halfMarker = {0xFF, 0xD8, 0xFF};

  int index = 0;
  for (const TBytes* jpeg : {&grey, &notJpeg, &endBeforeFrame, &fillMarker, &truncatedFrame,
                             &segmentPastEnd, &lengthZero, &lengthOne, &halfMarker}) {
    SCOPED_TRACE(index++);
    EXPECT_FALSE(ReadJpegFrameInfo(WriteJpeg(*jpeg)).Found);
    EXPECT_EQ(Convert(*jpeg), "");
  }
  EXPECT_FALSE(ReadJpegFrameInfo(WriteJpeg(TBytes{})).Found);

  // Nothing written also means an older PDF of that name is left alone.
  WriteFileBytes(Path("old.pdf"), TBytes{'o', 'l', 'd'});
  JpegToPdf(WriteJpeg(grey), Path("old.pdf"));
  EXPECT_EQ(ReadFileBytes(Path("old.pdf")), (TBytes{'o', 'l', 'd'}));
}

TEST_F(JpegToPdfTest, NamesAndMissingFiles) {
  const std::string jpeg = WriteJpeg(MinimalJpeg(0xFFC0, 8, 8, 3));
  auto message = [](auto action) -> std::string {
    try {
      action();
    } catch (const Exception& e) {
      return e.what();
    }
    return "no exception";
  };
  EXPECT_EQ(message([&] { JpegToPdf("", Path("a.pdf")); }), "FileName is nil");
  EXPECT_EQ(message([&] { JpegToPdf(jpeg, ""); }), "SaveName is nil");
  EXPECT_THROW(ReadJpegFrameInfo(Path("missing.jpg")), EFileError);
  EXPECT_THROW(JpegToPdf(Path("missing.jpg"), Path("a.pdf")), EFileError);
  EXPECT_FALSE(FileExists(Path("a.pdf")));
}

TEST_F(JpegToPdfTest, RealJpegFilesMatchTheirRenderings) {
  const std::string images = std::string(GS_TESTDATA_DIR) + "/images/";
  const TDecodedPicture rendering = DecodePng(ReadFileBytes(images + "video-001.png"));
  for (const char* name : {"video-001.jpeg", "video-001.progressive.jpeg", "video-001.cmyk.jpeg"}) {
    SCOPED_TRACE(name);
    const TJpegFrameInfo info = ReadJpegFrameInfo(images + name);
    EXPECT_TRUE(info.Found);
    EXPECT_EQ(info.Width, rendering.Bitmap.Width());
    EXPECT_EQ(info.Height, rendering.Bitmap.Height());
    EXPECT_EQ(info.Cmyk, std::string(name).find("cmyk") != std::string::npos);
  }
  EXPECT_FALSE(ReadJpegFrameInfo(images + "video-005.gray.jpeg").Found);
}
