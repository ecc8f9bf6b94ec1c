// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/JpegToPdf.h"

#include "codecs/FileIO.h"
#include "common/Errors.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace gs {

namespace {

class TBigEndianReader {
public:
  explicit TBigEndianReader(std::istream& in) : In_(in) {}

  bool Read8(int& value) {
    const int c = In_.get();
    if (c == std::char_traits<char>::eof()) return false;
    value = c;
    return true;
  }
  bool Read16(int& value) {
    int high, low;
    if (!Read8(high) || !Read8(low)) return false;
    value = high << 8 | low;
    return true;
  }
  // Skipping past the end goes unnoticed here; the next read then fails.
  bool Skip(int count) { return bool(In_.seekg(count, std::ios::cur)); }

private:
  std::istream& In_;
};

TJpegFrameInfo ReadFrameHeader(TBigEndianReader& in) {
  TJpegFrameInfo info;
  int length, precision, height, width, components;
  if (!in.Read16(length) || !in.Read8(precision) || !in.Read16(height) || !in.Read16(width) ||
      !in.Read8(components))
    return info;
  if (components != 3 && components != 4) return info;
  info.Found = true;
  info.Width = width;
  info.Height = height;
  info.Cmyk = components == 4;
  return info;
}

TJpegFrameInfo ScanForFrame(TBigEndianReader& in) {
  int marker;
  if (!in.Read16(marker) || marker != 0xFFD8) return {};
  while (in.Read16(marker)) {
    if (marker == 0xFFC0 || marker == 0xFFC2) return ReadFrameHeader(in);
    if (marker == 0xFFFF || marker == 0xFFD9) return {};
    int length;
    // The length counts its own two bytes; less cannot be a segment and would never advance.
    if (!in.Read16(length) || length < 2 || !in.Skip(length - 2)) return {};
  }
  return {};
}

// The PDF is short apart from the embedded JPEG, so it is built in memory and written at once.
class TPdfBuilder {
public:
  void Line(const std::string& text) { Append(text + "\n"); }
  void Append(const std::string& text) { Bytes_.insert(Bytes_.end(), text.begin(), text.end()); }
  void Append(TByteSpan bytes) { Bytes_.insert(Bytes_.end(), bytes.begin(), bytes.end()); }
  void BeginObject(int number) {
    Offsets_[size_t(number)] = Bytes_.size();
    Line(std::to_string(number) + " 0 obj");
  }
  size_t Position() const { return Bytes_.size(); }
  size_t Offset(int number) const { return Offsets_[size_t(number)]; }
  const TBytes& Bytes() const { return Bytes_; }

private:
  TBytes Bytes_;
  std::array<size_t, 6> Offsets_{};
};

void WriteDocument(TPdfBuilder& pdf) {
  pdf.Line("%PDF-1.2");
  pdf.BeginObject(1);
  for (const char* line : {"<<", "/Type /Catalog", "/Pages 2 0 R",
                           "/OpenAction [3 0 R /XYZ -32768 -32768 1 ]", ">>", "endobj"})
    pdf.Line(line);
  pdf.BeginObject(2);
  for (const char* line : {"<<", "/Type /Pages", "/Kids [ 3 0 R ]", "/Count 1", ">>", "endobj"})
    pdf.Line(line);
}

void WritePage(TPdfBuilder& pdf, const TJpegFrameInfo& info) {
  pdf.BeginObject(3);
  for (const char* line : {"<<", "/Type /Page", "/Parent 2 0 R", "/Resources", "<<",
                           "/XObject << /Im0 4 0 R >>", "/ProcSet [ /PDF /ImageC ]", ">>"})
    pdf.Line(line);
  pdf.Line("/MediaBox [ 0 0 " + std::to_string(info.Width) + " " + std::to_string(info.Height) +
           " ]");
  for (const char* line : {"/Contents 5 0 R", ">>", "endobj"}) pdf.Line(line);
}

void WriteImage(TPdfBuilder& pdf, const TJpegFrameInfo& info, TByteSpan jpeg) {
  pdf.BeginObject(4);
  for (const char* line : {"<<", "/Type /XObject", "/Subtype /Image", "/Name /Im0"})
    pdf.Line(line);
  pdf.Line("/Width " + std::to_string(info.Width));
  pdf.Line("/Height " + std::to_string(info.Height));
  pdf.Line("/BitsPerComponent 8");
  pdf.Line("/Filter [/DCTDecode]");
  if (info.Cmyk) {
    pdf.Line("/ColorSpace /DeviceCMYK");
    // Adobe writes CMYK JPEGs inverted; the decode array turns them back.
    pdf.Line("/Decode[1 0 1 0 1 0 1 0]");
  } else {
    pdf.Line("/ColorSpace /DeviceRGB");
  }
  pdf.Line("/Length " + std::to_string(jpeg.size()) + " >>");
  pdf.Line("stream");
  pdf.Append(jpeg);
  pdf.Line("endstream");
  pdf.Line("endobj");
}

void WriteContents(TPdfBuilder& pdf, const TJpegFrameInfo& info) {
  const std::string content = "q\n" + std::to_string(info.Width) + " 0 0 " +
                              std::to_string(info.Height) + " 0 0 cm\n" + "/Im0 Do\n" + "Q\n";
  pdf.BeginObject(5);
  pdf.Line("<< /Length " + std::to_string(content.size()) + " >>");
  pdf.Line("stream");
  pdf.Append(content);
  pdf.Line("endstream");
  pdf.Line("endobj");
}

void WriteCrossReference(TPdfBuilder& pdf) {
  const size_t xref = pdf.Position();
  pdf.Line("xref");
  pdf.Line("0 6");
  pdf.Line("0000000000 65535 f ");
  for (int number = 1; number <= 5; ++number) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n ", pdf.Offset(number));
    pdf.Line(entry);
  }
  for (const char* line : {"trailer", "<<", "/Size 6", "/Root 1 0 R", ">>", "startxref"})
    pdf.Line(line);
  pdf.Line(std::to_string(xref));
  pdf.Append(std::string("%%EOF"));
}

}  // namespace

TJpegFrameInfo ReadJpegFrameInfo(const std::string& jpegPath) {
  std::ifstream file(jpegPath, std::ios::binary);
  if (!file)
    throw EFileError("Cannot open file \"" + jpegPath + "\". " + std::strerror(errno));
  TBigEndianReader reader(file);
  return ScanForFrame(reader);
}

void JpegToPdf(const std::string& jpegPath, const std::string& pdfPath) {
  if (jpegPath.empty()) throw Exception("FileName is nil");
  if (pdfPath.empty()) throw Exception("SaveName is nil");
  const TJpegFrameInfo info = ReadJpegFrameInfo(jpegPath);
  if (!info.Found) return;
  const TBytes jpeg = ReadFileBytes(jpegPath);

  TPdfBuilder pdf;
  WriteDocument(pdf);
  WritePage(pdf, info);
  WriteImage(pdf, info, jpeg);
  WriteContents(pdf, info);
  WriteCrossReference(pdf);
  WriteFileBytes(pdfPath, pdf.Bytes());
}

}  // namespace gs
