// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a project: the OpenRaster baseline first (mimetype, stack.xml, a PNG for each layer as
// it shows, the merged picture, the thumbnail), then our own entries.

#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "common/Shrink.h"
#include "document/Document.h"
#include "document/project/ProjectFile.h"
#include "document/project/ProjectParts.h"
#include "document/project/Xml.h"
#include "document/project/ZipArchive.h"

#include <algorithm>
#include <cstdio>

namespace gs {

namespace {

constexpr const char* kMergedEntry = "mergedimage.png";
constexpr const char* kThumbnailEntry = "Thumbnails/thumbnail.png";

TBytes TextBytes(const std::string& text) { return TBytes(text.begin(), text.end()); }

// The part of the layer inside the picture, as the view shows it (stretched, turned, warped),
// and where it goes: other editors show only the canvas, and a layer pulled far past its edge
// would otherwise ask for a picture beyond the limits.
struct TShownLayer {
  TBitmap32 Picture;
  TPoint At;
};
TShownLayer ShowLayer(const TRotatableLayer& layer, int width, int height) {
  const TRect full = TruncatedRect(layer.Location);
  const TRect at{std::max(full.Left, 0), std::max(full.Top, 0), std::min(full.Right, width),
                 std::min(full.Bottom, height)};
  if (at.Right <= at.Left || at.Bottom <= at.Top) return {TBitmap32(1, 1, 0), TPoint{0, 0}};
  TShownLayer shown{TBitmap32(at.Right - at.Left, at.Bottom - at.Top, 0), TPoint{at.Left, at.Top}};
  shown.Picture.StretchDraw(TRect{full.Left - at.Left, full.Top - at.Top, full.Right - at.Left, full.Bottom - at.Top},
                            layer.Bitmap);
  return shown;
}

std::string ColorText(TColor color) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", unsigned(color & 0xFF), unsigned((color >> 8) & 0xFF),
                unsigned((color >> 16) & 0xFF));
  return text;
}

std::string TextAttributes(const TLayerText& text) {
  std::string style;
  for (const auto& [on, word] : {std::pair{text.Bold, "bold"}, std::pair{text.Italic, "italic"},
                                 std::pair{text.Underline, "underline"}, std::pair{text.StrikeOut, "strikeout"}})
    if (on) style += (style.empty() ? "" : " ") + std::string(word);
  return std::string(" ") + kTextAttribute + "=\"" + XmlEscape(text.Text) + "\" " + kFontAttribute + "=\"" +
         XmlEscape(text.Family) + "\" " + kFontSizeAttribute + "=\"" + std::to_string(text.PointSize) + "\" " +
         kFontStyleAttribute + "=\"" + style + "\" " + kColorAttribute + "=\"" + ColorText(text.Color) + "\"";
}

std::string LayerElement(const std::string& name, const std::string& src, TPoint at, bool visible,
                         const std::string& own) {
  return "    <layer name=\"" + XmlEscape(name) + "\" src=\"" + src + "\" x=\"" + std::to_string(at.X) + "\" y=\"" +
         std::to_string(at.Y) + "\" opacity=\"1.000\" visibility=\"" + (visible ? "visible" : "hidden") +
         "\" composite-op=\"svg:src-over\"" + own + "/>\n";
}

}  // namespace

bool IsProjectFile(const std::string& path) { return LowerCase(ExtractFileExt(path)) == kProjectExtension; }

TBitmap32 MergedPicture(const TDocument& doc) {
  TBitmap32 merged = doc.ViewBitmap;
  for (const auto& layer : doc.Layers()) MergeLayer(merged, *layer);
  return merged;
}

TBytes EncodeProject(const TDocument& doc, const std::vector<TFace>& faces) {
  const int width = doc.ViewBitmap.Width(), height = doc.ViewBitmap.Height();
  const TColor key = doc.TransparentColor;
  TZipWriter zip;
  // Readers recognise the kind by a first entry stored as it is.
  zip.Add("mimetype", TextBytes(kOraMimeType), TZipCompression::Store);

  std::string stack = "<?xml version='1.0' encoding='UTF-8'?>\n<image version=\"0.0.5\" w=\"" + std::to_string(width) +
                      "\" h=\"" + std::to_string(height) + "\" xres=\"72\" yres=\"72\" xmlns:grimacer=\"" +
                      kProjectNamespace + "\" grimacer:version=\"" + kProjectVersion + "\" " + kDocumentAttribute +
                      "=\"" + kDocumentEntry + "\" " + kFacesAttribute + "=\"" + kFacesEntry + "\">\n  <stack>\n";
  std::vector<std::pair<std::string, TBytes>> pictures;
  // Top first, as the stack lists them.
  for (size_t i = doc.Layers().size(); i-- > 0;) {
    const TRotatableLayer& layer = *doc.Layers()[i];
    const std::string src = "data/layer" + std::to_string(i) + ".png";
    TShownLayer shown = ShowLayer(layer, width, height);
    std::string own = std::string(" ") + kIndexAttribute + "=\"" + std::to_string(i) + "\"";
    if (layer.Text) own += TextAttributes(*layer.Text);
    const std::string name = layer.Text ? layer.Text->Text : "Layer " + std::to_string(i + 1);
    stack += LayerElement(name, src, shown.At, layer.Visible, own);
    pictures.emplace_back(src, EncodePng(shown.Picture, std::nullopt));
  }
  stack += LayerElement("Picture", kPictureEntry, TPoint{0, 0}, true, "");
  stack += "  </stack>\n</image>\n";
  zip.Add("stack.xml", TextBytes(stack), TZipCompression::Deflate);

  // Each large part packs on every core in turn. PNG pictures and our deflated copy are packed
  // already: stored, not deflated again.
  for (auto& [name, bytes] : pictures) zip.Add(name, std::move(bytes), TZipCompression::Store);
  // Without a key colour, so that it holds the view's very pixels (even the colour under a
  // clear one): our own copy leaves them out and reads them from here.
  zip.Add(kPictureEntry, EncodePng(doc.ViewBitmap, std::nullopt, TPngPacking::Fast), TZipCompression::Store);
  {
    const TBitmap32 merged = MergedPicture(doc);
    zip.Add(kMergedEntry, EncodePng(merged, key), TZipCompression::Store);
    const TSize thumb = FittedSize(width, height, kProjectThumbnailSide);
    zip.Add(kThumbnailEntry, EncodePng(ShrinkPicture(merged, thumb.Width, thumb.Height), std::nullopt),
            TZipCompression::Store);
  }
  {
    TRecoveryCopy copy;
    TakeRecoverySnapshot(doc, copy);
    zip.Add(kDocumentEntry, EncodeRecovery(copy, TRecoveryEncoding{.OnAllCores = true, .ViewElsewhere = true}),
            TZipCompression::Store);
  }
  zip.Add(kFacesEntry, TextBytes(EncodeFaces(faces)), TZipCompression::Deflate);
  return zip.Finish();
}

}  // namespace gs
