// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/HeifSequence.h"

#include "common/Errors.h"
#include "common/Limits.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace gs {
namespace {

[[noreturn]] void Broken(const std::string& what) { throw EInvalidGraphic("HEIF sequence: " + what); }

// Reads big-endian numbers from a span, refusing to read past its end.
class TReader {
public:
  explicit TReader(TByteSpan bytes) : Bytes_(bytes) {}
  uint64_t Number(size_t at, size_t size) const {
    if (at > Bytes_.size() || size > Bytes_.size() - at) Broken("a box is cut off");
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i) value = value << 8 | Bytes_[at + i];
    return value;
  }
  uint32_t U32(size_t at) const { return uint32_t(Number(at, 4)); }
  uint16_t U16(size_t at) const { return uint16_t(Number(at, 2)); }

private:
  TByteSpan Bytes_;
};

struct TBox {
  std::string Type;
  TByteSpan Whole;  // header included
  TByteSpan Body;
};

// The boxes laid one after another in bytes; each must end inside them.
std::vector<TBox> Boxes(TByteSpan bytes) {
  std::vector<TBox> boxes;
  const TReader read(bytes);
  for (size_t pos = 0; bytes.size() - pos >= 8;) {
    uint64_t size = read.U32(pos);
    size_t header = 8;
    if (size == 1) {
      size = read.Number(pos + 8, 8);
      header = 16;
    } else if (size == 0) {
      size = bytes.size() - pos;
    }
    if (size < header || size > bytes.size() - pos) Broken("a box runs past the end of the file");
    const TByteSpan whole = bytes.subspan(pos, size_t(size));
    boxes.push_back({std::string(reinterpret_cast<const char*>(&bytes[pos + 4]), 4), whole, whole.subspan(header)});
    pos += size_t(size);
  }
  return boxes;
}

std::optional<TBox> Child(TByteSpan body, const char* type) {
  for (const TBox& box : Boxes(body))
    if (box.Type == type) return box;
  return std::nullopt;
}

TBox Required(TByteSpan body, const char* type) {
  std::optional<TBox> box = Child(body, type);
  if (!box) Broken(std::string("the track has no '") + type + "' box");
  return *box;
}

// A full box's body past its version and flags.
TByteSpan FullBody(const TBox& box) {
  if (box.Body.size() < 4) Broken("the '" + box.Type + "' box is cut off");
  return box.Body.subspan(4);
}

struct TSampleEntry {
  std::string Coding;  // "av01" or "hvc1"
  uint16_t Width = 0, Height = 0;
  TByteSpan Config;  // the av1C or hvcC box, whole
  TByteSpan Colour;  // its colr box, whole; may be empty
};

// A visual sample entry: 78 bytes of fields, the width and height among them, then its boxes.
std::optional<TSampleEntry> VisualEntry(const TBox& stsd) {
  const TByteSpan body = FullBody(stsd);
  if (TReader(body).U32(0) == 0) Broken("the track describes no samples");
  const std::vector<TBox> entries = Boxes(body.subspan(4));
  if (entries.empty()) Broken("the track describes no samples");
  const TBox& entry = entries.front();
  const bool av1 = entry.Type == "av01", hevc = entry.Type == "hvc1" || entry.Type == "hev1";
  if (!av1 && !hevc) return std::nullopt;
  constexpr size_t kVisualFields = 78;
  if (entry.Body.size() < kVisualFields) Broken("the sample description is cut off");
  const TReader read(entry.Body);
  TSampleEntry sample{av1 ? "av01" : "hvc1", read.U16(24), read.U16(26), {}, {}};
  const TByteSpan boxes = entry.Body.subspan(kVisualFields);
  const std::optional<TBox> config = Child(boxes, av1 ? "av1C" : "hvcC");
  if (!config) Broken("the sample description has no decoder configuration");
  sample.Config = config->Whole;
  if (const std::optional<TBox> colour = Child(boxes, "colr")) sample.Colour = colour->Whole;
  return sample;
}

struct TFirstSample {
  uint64_t Offset = 0, Size = 0;
};

TFirstSample FirstSample(TByteSpan stbl, size_t fileSize) {
  if (const std::optional<TBox> stss = Child(stbl, "stss")) {
    const TReader sync(FullBody(*stss));
    if (sync.U32(0) > 0 && sync.U32(4) != 1) Broken("the first picture depends on pictures before it");
  }
  const TReader sizes(FullBody(Required(stbl, "stsz")));
  if (sizes.U32(4) == 0) Broken("the track holds no picture");
  TFirstSample first;
  first.Size = sizes.U32(0) != 0 ? sizes.U32(0) : sizes.U32(8);
  if (const std::optional<TBox> stco = Child(stbl, "stco")) {
    const TReader chunks(FullBody(*stco));
    if (chunks.U32(0) == 0) Broken("the track holds no picture");
    first.Offset = chunks.U32(4);
  } else {
    const TReader chunks(FullBody(Required(stbl, "co64")));
    if (chunks.U32(0) == 0) Broken("the track holds no picture");
    first.Offset = chunks.Number(4, 8);
  }
  if (first.Size == 0 || first.Offset > fileSize || first.Size > fileSize - first.Offset)
    Broken("the first picture lies past the end of the file");
  return first;
}

// Appends boxes, their sizes written once their contents are known.
class TWriter {
public:
  void U8(uint8_t v) { Bytes.push_back(v); }
  void U16(uint16_t v) { U8(uint8_t(v >> 8)), U8(uint8_t(v)); }
  void U32(uint32_t v) { U16(uint16_t(v >> 16)), U16(uint16_t(v)); }
  void Text(const char* text) { Bytes.insert(Bytes.end(), text, text + std::strlen(text)); }
  void Raw(TByteSpan bytes) { Bytes.insert(Bytes.end(), bytes.begin(), bytes.end()); }
  size_t Open(const char* type, bool full = false) {
    const size_t at = Bytes.size();
    U32(0);
    Text(type);
    if (full) U32(0);
    return at;
  }
  void Close(size_t at) {
    const uint32_t size = uint32_t(Bytes.size() - at);
    for (int i = 0; i < 4; ++i) Bytes[at + size_t(i)] = uint8_t(size >> (24 - 8 * i));
  }
  TBytes Bytes;
};

// ftyp, meta with one coded picture item and its properties, then mdat with its data.
TBytes StillFile(const TSampleEntry& entry, TByteSpan data) {
  const bool av1 = entry.Coding == "av01";
  TWriter w;
  size_t box = w.Open("ftyp");
  w.Text(av1 ? "avif" : "heic");
  w.U32(0);
  w.Text("mif1");
  w.Text(av1 ? "avif" : "heic");
  w.Close(box);

  const size_t meta = w.Open("meta", true);
  box = w.Open("hdlr", true);
  w.U32(0);
  w.Text("pict");
  for (int i = 0; i < 3; ++i) w.U32(0);
  w.U8(0);
  w.Close(box);
  box = w.Open("pitm", true);
  w.U16(1);
  w.Close(box);
  box = w.Open("iloc", true);
  w.U8(0x44);  // 4-byte offsets and lengths
  w.U8(0);     // no base offset
  w.U16(1);
  w.U16(1);  // item 1
  w.U16(0);  // in this file
  w.U16(1);  // one extent
  const size_t extentOffset = w.Bytes.size();
  w.U32(0);
  w.U32(uint32_t(data.size()));
  w.Close(box);
  box = w.Open("iinf", true);
  w.U16(1);
  const size_t infe = w.Open("infe");
  w.U32(0x02000000);  // version 2
  w.U16(1);
  w.U16(0);
  w.Text(entry.Coding.c_str());
  w.U8(0);
  w.Close(infe);
  w.Close(box);
  const size_t iprp = w.Open("iprp");
  box = w.Open("ipco");
  w.Raw(entry.Config);
  const size_t ispe = w.Open("ispe", true);
  w.U32(entry.Width);
  w.U32(entry.Height);
  w.Close(ispe);
  if (!entry.Colour.empty()) w.Raw(entry.Colour);
  w.Close(box);
  box = w.Open("ipma", true);
  w.U32(1);
  w.U16(1);
  w.U8(entry.Colour.empty() ? 2 : 3);
  w.U8(0x81);  // the decoder configuration, essential
  w.U8(2);
  if (!entry.Colour.empty()) w.U8(3);
  w.Close(box);
  w.Close(iprp);
  w.Close(meta);

  const uint32_t dataAt = uint32_t(w.Bytes.size() + 8);
  for (int i = 0; i < 4; ++i) w.Bytes[extentOffset + size_t(i)] = uint8_t(dataAt >> (24 - 8 * i));
  box = w.Open("mdat");
  w.Raw(data);
  w.Close(box);
  return std::move(w.Bytes);
}

bool IsPictureTrack(const TBox& mdia) {
  const std::optional<TBox> hdlr = Child(mdia.Body, "hdlr");
  if (!hdlr) return false;
  const TByteSpan body = FullBody(*hdlr);
  return body.size() >= 8 && (std::memcmp(&body[4], "pict", 4) == 0 || std::memcmp(&body[4], "vide", 4) == 0);
}

}  // namespace

std::optional<TBytes> FirstSequencePictureAsStill(TByteSpan file) {
  const std::optional<TBox> moov = Child(file, "moov");
  if (!moov) return std::nullopt;
  for (const TBox& trak : Boxes(moov->Body)) {
    if (trak.Type != "trak") continue;
    const std::optional<TBox> mdia = Child(trak.Body, "mdia");
    if (!mdia || !IsPictureTrack(*mdia)) continue;
    const TBox stbl = Required(Required(mdia->Body, "minf").Body, "stbl");
    const std::optional<TSampleEntry> entry = VisualEntry(Required(stbl.Body, "stsd"));
    if (!entry) continue;
    CheckPictureSize(entry->Width, entry->Height);
    if (entry->Width == 0 || entry->Height == 0) Broken("the pictures have no size");
    const TFirstSample first = FirstSample(stbl.Body, file.size());
    if (first.Size > UINT32_MAX - 4096) Broken("the first picture is too large");
    return StillFile(*entry, file.subspan(size_t(first.Offset), size_t(first.Size)));
  }
  return std::nullopt;
}

}  // namespace gs
