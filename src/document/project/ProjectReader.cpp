// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a project: ours whole from our own entries, anyone else's from its layer stack. Every
// size is checked before anything is allocated for it.

#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "common/Errors.h"
#include "common/Limits.h"
#include "document/Document.h"
#include "document/project/BlendModes.h"
#include "document/project/ProjectFile.h"
#include "document/project/ProjectParts.h"
#include "document/project/Xml.h"
#include "document/project/ZipArchive.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <future>
#include <memory>
#include <ostream>

namespace gs {

namespace {

constexpr uint64_t kMaxStackXmlBytes = uint64_t(16) << 20;
constexpr size_t kMaxLayers = 10'000;
constexpr double kMaxOffset = 1e7;
// A layer costs its picture, its source and its mesh: 16 bytes a pixel. All of another
// editor's layers together may take what the largest picture's document takes.
constexpr uint64_t kMaxLayerPixels = uint64_t(kMaxPicturePixels) * 2;

std::string Text(const TBytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TXmlElement ReadStack(TZipReader& zip) {
  if (!zip.Has("stack.xml")) RefuseArchive("it has no stack.xml");
  const TBytes bytes = zip.Read("stack.xml");
  if (bytes.size() > kMaxStackXmlBytes) RefuseArchive("its stack.xml is larger than a layer stack can be");
  try {
    TXmlElement root = ParseXml(Text(bytes));
    if (root.Name != "image") RefuseArchive("its stack.xml describes no image");
    return root;
  } catch (const EInvalidGraphic&) {
    throw;
  } catch (const Exception& e) {
    RefuseArchive(e.what());
  }
}

int WholeAttribute(const TXmlElement& element, const char* name, int fallback, double limit) {
  const std::optional<std::string> text = element.Attribute(name);
  if (!text) return fallback;
  const std::optional<double> v = ParseNumber(*text);
  if (!v || std::fabs(*v) > limit) RefuseArchive("the " + std::string(name) + " of a <" + element.Name + "> is not a number it can have");
  return int(std::lround(*v));
}

// The picture's size from <image>: within the editor's limits.
TPoint ImageSize(const TXmlElement& image) {
  const int w = WholeAttribute(image, "w", -1, kMaxOffset);
  const int h = WholeAttribute(image, "h", -1, kMaxOffset);
  if (w <= 0 || h <= 0) RefuseArchive("its image has no size");
  if (!PictureSizeAllowed(w, h)) RefuseArchive("its image is larger than the limits");
  return TPoint{w, h};
}

// The width and height a PNG's header states, before it is decoded.
TPoint PngSize(const TBytes& png, const std::string& name) {
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (png.size() < 24 || !std::equal(kSignature, kSignature + 8, png.begin()) ||
      !std::equal(png.begin() + 12, png.begin() + 16, "IHDR"))
    RefuseArchive(name + " is not a PNG picture");
  const auto be32 = [&](size_t at) {
    return uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 | png[at + 3];
  };
  const uint32_t w = be32(16), h = be32(20);
  if (!PictureSizeAllowed(w, h)) RefuseArchive(name + " is larger than the limits");
  return TPoint{int(w), int(h)};
}

TBitmap32 DecodeLayerPicture(const TBytes& png, const std::string& name) {
  try {
    return DecodePng(png).Bitmap;
  } catch (const Exception& e) {
    RefuseArchive(name + " cannot be read (" + e.what() + ")");
  }
}

// ---- our own projects ---------------------------------------------------------------------

std::optional<TLayerText> LayerTextOf(const TXmlElement& layer) {
  const std::optional<std::string> text = layer.Attribute(kTextAttribute);
  if (!text) return std::nullopt;
  TLayerText t;
  t.Text = *text;
  t.Family = layer.Attribute(kFontAttribute).value_or("");
  t.PointSize = WholeAttribute(layer, kFontSizeAttribute, 8, 10'000);
  const std::string style = " " + layer.Attribute(kFontStyleAttribute).value_or("") + " ";
  t.Bold = style.find(" bold ") != std::string::npos;
  t.Italic = style.find(" italic ") != std::string::npos;
  t.Underline = style.find(" underline ") != std::string::npos;
  t.StrikeOut = style.find(" strikeout ") != std::string::npos;
  const std::string color = layer.Attribute(kColorAttribute).value_or("#000000");
  unsigned r = 0, g = 0, b = 0;
  if (color.size() != 7 || std::sscanf(color.c_str(), "#%2x%2x%2x", &r, &g, &b) != 3)
    RefuseArchive("a text layer's colour is not #RRGGBB");
  t.Color = TColor(r | g << 8 | b << 16);
  return t;
}

// The layers of a stack, top first, through nested stacks; each with the opacity and
// visibility the stacks around it give it.
struct TStackLayer {
  const TXmlElement* Element;
  double Opacity;
  bool Visible;
};
void CollectLayers(const TXmlElement& stack, double opacity, bool visible, std::vector<TStackLayer>& into,
                   std::ostream& notes) {
  for (const TXmlElement& child : stack.Children) {
    if (child.Name != "layer" && child.Name != "stack") continue;
    const std::optional<double> own = ParseNumber(child.Attribute("opacity").value_or("1"));
    if (!own) RefuseArchive("the opacity of a <" + child.Name + "> is not a number");
    const double o = opacity * std::clamp(*own, 0.0, 1.0);
    const bool v = visible && child.Attribute("visibility").value_or("visible") != "hidden";
    if (child.Name == "stack") {
      const std::string op = child.Attribute("composite-op").value_or("svg:src-over");
      if (op != "svg:src-over")
        notes << "A group of layers blends with " << op << ", which Grimacer Studio lacks: shown as normal.\n";
      CollectLayers(child, o, v, into, notes);
    } else {
      if (into.size() >= kMaxLayers) RefuseArchive("it holds too many layers");
      into.push_back({&child, o, v});
    }
  }
}

std::vector<TStackLayer> StackLayers(const TXmlElement& image, std::ostream& notes) {
  std::vector<TStackLayer> layers;
  for (const TXmlElement& child : image.Children)
    if (child.Name == "stack") CollectLayers(child, 1.0, true, layers, notes);
  return layers;
}

// The view's pixels, which our copy leaves to the picture's own PNG (older projects kept them
// in the copy too): decoded beside the copy, on a core of its own.
std::future<TBitmap32> DecodeViewAside(TZipReader& zip, const TXmlElement& image) {
  const std::optional<double> version = ParseNumber(image.Attribute(kVersionAttribute).value_or("1"));
  if (!version || *version < kFirstVersionWithViewInPicture || !zip.Has(kPictureEntry)) return {};
  auto png = std::make_shared<const TBytes>(zip.Read(kPictureEntry));
  PngSize(*png, kPictureEntry);  // within the limits before anything is allocated for it
  // Decoded where the copy is not, or in turn when no thread can be had.
  return std::async(std::launch::async | std::launch::deferred,
                    [png] { return DecodeLayerPicture(*png, kPictureEntry); });
}

void TakeView(TRecoveryCopy& copy, std::future<TBitmap32>& view) {
  if (!view.valid()) RefuseArchive(std::string("its own data has no view and it has no ") + kPictureEntry);
  const TColor32 outer = copy.View.OuterColor;
  copy.View = view.get();
  if (copy.View.Width() != copy.Source.Width() || copy.View.Height() != copy.Source.Height())
    RefuseArchive(std::string(kPictureEntry) + " is not the size of the picture");
  copy.View.OuterColor = outer;
}

TProject DecodeOurs(TZipReader& zip, const TXmlElement& image, const std::string& documentEntry, std::ostream& notes) {
  TProject project;
  const TBytes document = zip.Read(documentEntry);
  std::future<TBitmap32> view = DecodeViewAside(zip, image);
  try {
    project.Copy = DecodeRecovery(document, true);
  } catch (const EInvalidGraphic&) {
    throw;
  } catch (const Exception& e) {
    RefuseArchive(std::string("its own data is damaged (") + e.what() + ")");
  }
  if (project.Copy.View.Empty()) TakeView(project.Copy, view);
  project.Texts.resize(project.Copy.Layers.size());
  for (const TStackLayer& layer : StackLayers(image, notes)) {
    if (!layer.Element->Attribute(kIndexAttribute)) continue;
    const int index = WholeAttribute(*layer.Element, kIndexAttribute, -1, double(kMaxLayers));
    if (index < 0 || index >= int(project.Texts.size())) RefuseArchive("a layer's index is not one of its layers");
    project.Texts[size_t(index)] = LayerTextOf(*layer.Element);
  }
  if (const std::optional<std::string> faces = image.Attribute(kFacesAttribute); faces && zip.Has(*faces)) {
    try {
      project.Faces = DecodeFaces(Text(zip.Read(*faces)));
    } catch (const EInvalidGraphic&) {
      throw;
    } catch (const Exception& e) {
      RefuseArchive(std::string("its faces are damaged (") + e.what() + ")");
    }
  }
  return project;
}

// ---- another editor's ---------------------------------------------------------------------

// Opacity we have no control for goes into the pixels' alpha.
void FadeLayer(TBitmap32& picture, double opacity) {
  const uint32_t scale = uint32_t(std::lround(opacity * 256));
  TColor32* p = picture.Bits();
  for (size_t i = 0, n = size_t(picture.Width()) * size_t(picture.Height()); i < n; ++i) {
    const uint32_t alpha = ((p[i] >> 24) * scale) >> 8;
    p[i] = (p[i] & 0x00FFFFFF) | alpha << 24;
  }
}

TRecoveryLayer PictureLayerOf(TBitmap32 picture, TPoint at, bool visible) {
  TRecoveryLayer layer;
  const TLayerBmp record(picture);
  layer.Location = TFloatRect{double(at.X), double(at.Y), double(at.X + picture.Width()), double(at.Y + picture.Height())};
  layer.Visible = visible;
  layer.Mesh = record.Warp.VectorMap();
  layer.SrcRect = record.Warp.SrcRect;
  layer.MappingRect = record.Warp.MappingRect;
  layer.ScaleX = record.Warp.ScaleX;
  layer.ScaleY = record.Warp.ScaleY;
  layer.Source = picture;
  layer.Picture = std::move(picture);
  return layer;
}

TProject DecodeForeign(TZipReader& zip, const TXmlElement& image, std::ostream& notes) {
  const TPoint size = ImageSize(image);
  std::vector<TStackLayer> stack = StackLayers(image, notes);
  std::reverse(stack.begin(), stack.end());  // bottom first, as the document keeps them
  TProject project;
  project.Foreign = true;
  uint64_t pixelsLeft = kMaxLayerPixels;
  bool first = true;
  // What the layers so far show, for a blend mode to flatten against; made when one needs it.
  const bool blends = std::any_of(stack.begin(), stack.end(), [](const TStackLayer& layer) {
    return CanFlattenBlend(layer.Element->Attribute("composite-op").value_or(""));
  });
  TBitmap32 shown;
  if (blends) shown = TBitmap32(size.X, size.Y, 0);
  for (const TStackLayer& layer : stack) {
    const TXmlElement& e = *layer.Element;
    const std::string name = e.Attribute("name").value_or("a layer");
    const std::optional<std::string> src = e.Attribute("src");
    if (!src) RefuseArchive("the layer " + name + " names no picture");
    if (!ZipNameStaysInside(*src)) RefuseArchive("the path " + *src + " leaves the archive");
    if (LowerCase(ExtractFileExt(*src)) != ".png") {
      notes << "The layer " << name << " is not a PNG picture (" << *src << "): left out.\n";
      continue;
    }
    const TPoint at{WholeAttribute(e, "x", 0, kMaxOffset), WholeAttribute(e, "y", 0, kMaxOffset)};
    const TBytes png = zip.Read(*src);
    const TPoint pngSize = PngSize(png, *src);
    const uint64_t pixels = uint64_t(pngSize.X) * uint64_t(pngSize.Y);
    if (pixels > pixelsLeft) RefuseArchive("its layers together are larger than the limits");
    pixelsLeft -= pixels;
    TBitmap32 picture = DecodeLayerPicture(png, *src);
    if (layer.Opacity < 1.0) {
      FadeLayer(picture, layer.Opacity);
      notes << "The layer " << name << " is " << std::lround(layer.Opacity * 100)
            << " % opaque: merged into its pixels.\n";
    }
    const std::string op = e.Attribute("composite-op").value_or("svg:src-over");
    const bool normal = op == "svg:src-over";
    if (CanFlattenBlend(op)) {
      FlattenBlend(picture, at, shown, op);
      notes << "The layer " << name << " blends with " << op << ", which Grimacer Studio lacks: flattened into its pixels.\n";
    } else if (!normal) {
      notes << "The layer " << name << " blends with " << op << ", which Grimacer Studio lacks: shown as normal.\n";
    }
    picture.DrawMode = TDrawMode::Blend;
    picture.CombineMode = TCombineMode::Merge;
    if (blends && layer.Visible) shown.Draw(at.X, at.Y, picture);
    // A bottom layer that covers the canvas is the photo; anything else floats over a clear one.
    if (first && at == TPoint{0, 0} && picture.Width() == size.X && picture.Height() == size.Y && layer.Visible &&
        normal) {
      project.Copy.Source = std::move(picture);
    } else {
      project.Copy.Layers.push_back(PictureLayerOf(std::move(picture), at, layer.Visible));
    }
    first = false;
  }
  if (project.Copy.Source.Empty()) project.Copy.Source = TBitmap32(size.X, size.Y, 0);
  project.Copy.Source.OuterColor = RgbOf(WinColorToColor32(project.Copy.TransparentColor));
  project.Copy.View = project.Copy.Source;
  project.Copy.Mesh.SetSize(project.Copy.Source.Width(), project.Copy.Source.Height());
  project.Texts.resize(project.Copy.Layers.size());
  return project;
}

TProject DecodeArchive(TZipReader& zip, std::ostream& notes) {
  if (zip.Has("mimetype") && Text(zip.Read("mimetype")) != kOraMimeType)
    RefuseArchive("it is not an OpenRaster file");
  const TXmlElement image = ReadStack(zip);
  const std::optional<std::string> ours = image.Attribute(kDocumentAttribute);
  if (ours && zip.Has(*ours)) return DecodeOurs(zip, image, *ours, notes);
  return DecodeForeign(zip, image, notes);
}

}  // namespace

TProject DecodeProject(TByteSpan bytes, std::ostream& notes) {
  TZipReader zip(bytes, TZipLimits{});
  return DecodeArchive(zip, notes);
}

TProject ReadProjectFile(const std::string& path, std::ostream& notes) {
  if (FolderExists(path)) throw Exception(path + " is a folder, not a picture");
  TZipReader zip(path, TZipLimits{});
  return DecodeArchive(zip, notes);
}

void OpenProject(TDocument& doc, TProject&& project, const std::string& fileName) {
  TRecoveryCopy& copy = project.Copy;
  copy.DocumentFileName = copy.SourceFileName = copy.OpenedFileName = fileName;
  OpenRecovery(doc, std::move(copy));
  for (size_t i = 0; i < doc.Layers().size() && i < project.Texts.size(); ++i)
    doc.Layers()[i]->Text = std::move(project.Texts[i]);
  doc.History.MarkSaved();
}

}  // namespace gs
