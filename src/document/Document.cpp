// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/Document.h"

#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "codecs/Gif.h"
#include "codecs/Jpeg.h"
#include "codecs/PictureKinds.h"
#include "common/Errors.h"
#include "export/JpegToPdf.h"
#include "document/PictureFiles.h"
#include "document/Transparency.h"

#include <cstdio>

namespace gs {

namespace {

void MakeDocumentBitmap(TBitmap32& b) {
  b.DrawMode = TDrawMode::Blend;
  b.CombineMode = TCombineMode::Merge;
}

// A small grey tile: any small picture serves while the mesh is reset.
TBitmap32 MakePlaceholder() {
  TBitmap32 b(16, 16, 0xFFC0C0C0);
  return b;
}

// Removes a temporary file whatever happens in between.
class TTemporaryFile {
public:
  explicit TTemporaryFile(std::string path) : Path_(std::move(path)) {}
  ~TTemporaryFile() {
    if (FileExists(Path_)) std::remove(Path_.c_str());
  }
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;
  const std::string& Path() const { return Path_; }

private:
  std::string Path_;
};

}  // namespace

TDocument::TDocument() : Placeholder(MakePlaceholder()) {
  MakeDocumentBitmap(SourceBitmap);
  MakeDocumentBitmap(ViewBitmap);
  ApplyTransparentColor(kDefaultTransparentColor);
  ViewBitmap = SourceBitmap;
  MeshTransformation.Bind(SourceBitmap, ViewBitmap);
  LayerTransformation.Bind(SourceBitmap, ViewBitmap);
}

void TDocument::ApplyTransparentColor(TColor key) {
  TransparentColor = key;
  const TColor32 outer = RgbOf(WinColorToColor32(key));
  SourceBitmap.OuterColor = outer;
  ViewBitmap.OuterColor = outer;
}

void TDocument::BindMesh() { MeshTransformation.Bind(SourceBitmap, ViewBitmap); }

void TDocument::ResetMesh() {
  ReplacePicture(Placeholder);
}

void TDocument::ReplacePicture(const TBitmap32& picture) {
  const TColor32 outer = SourceBitmap.OuterColor;
  if (&picture != &SourceBitmap) {
    SourceBitmap = picture;
  }
  MakeDocumentBitmap(SourceBitmap);
  SourceBitmap.OuterColor = outer;
  ViewBitmap = SourceBitmap;
  // Clear first: a picture of the old size would otherwise keep the old displacements.
  MeshTransformation.VectorMap().Clear();
  BindMesh();
}

TLoadedPicture ReadPictureFile(const std::string& fileName) {
  TLoadedPicture loaded;
  loaded.FileName = fileName;
  loaded.SourceFileName = fileName;
  if (FolderExists(fileName)) throw Exception(fileName + " is a folder, not a picture");
  const TPictureSource source = ReadPictureSource(fileName);
  const TPictureKind* outer = PictureKindOfFile(fileName);
  if (outer && outer->Id == TPictureKindId::Protected)
    loaded.SourceFileName = ChangeFileExt(fileName, source.Extension);
  TDecodedPicture picture = DecodePictureSource(source, fileName);
  const TPictureKind* kind = PictureKindOf(source.Extension);
  if (kind->Id == TPictureKindId::Gif) {
    loaded.Undo = std::move(picture.Bitmap);
    loaded.Picture = loaded.Undo;
    if (picture.TransparentColor) {
      loaded.TransparentColor = *picture.TransparentColor;
      KeyOutTransparent(loaded.Picture, loaded.TransparentColor);
    }
  } else if (kind->Id == TPictureKindId::Png) {
    loaded.Picture = std::move(picture.Bitmap);
    if (picture.TransparentColor) {
      loaded.TransparentColor = *picture.TransparentColor;
      MakeOpaque(loaded.Picture);
      KeyOutTransparent(loaded.Picture, loaded.TransparentColor);
    }
    // A PNG with an alpha channel keeps it, so its transparency shows as it does elsewhere.
    loaded.Undo = loaded.Picture;
  } else {
    loaded.Picture = std::move(picture.Bitmap);
    loaded.Undo = loaded.Picture;
  }
  return loaded;
}

int TDocument::AddLayer(std::unique_ptr<TRotatableLayer> layer, TLayerBmp record) {
  LayerRecords_.push_back(std::move(record));
  Layers_.push_back(std::move(layer));
  return int(Layers_.size()) - 1;
}

void TDocument::RemoveLayer(int index) {
  if (index < 0 || index >= int(Layers_.size())) return;
  if (Selection_.Index() == index) Selection_.Clear();
  Layers_.erase(Layers_.begin() + index);
  if (index < int(LayerRecords_.size())) LayerRecords_.erase(LayerRecords_.begin() + index);
}

void TDocument::ClearLayers() {
  Selection_.Clear();
  Layers_.clear();
  LayerRecords_.clear();
}

void TDocument::Open(TLoadedPicture&& picture, TPictureEntry entry) {
  std::string fileName = std::move(picture.FileName);
  AdoptPicture(std::move(picture));
  Selection_.Clear();
  if (entry == TPictureEntry::SavedCopy) return;
  // A scene kept for animating belongs to the picture before this one.
  SceneBeforeSave.reset();
  if (entry == TPictureEntry::Restore) return;
  History.Clear();
  ClearLayers();
  OpenedFileName_ = std::move(fileName);
  DocumentFileName_ = SourceFileName_;
}

void TDocument::AdoptPicture(TLoadedPicture&& loaded) {
  // A button held on the picture before belongs to that picture: the new one starts with none.
  Brushes.Release();
  PixelTool.Lift();
  Frame.EndDrag();
  ResetMesh();
  GeometryChanged = false;
  SourceFileName_ = std::move(loaded.SourceFileName);
  UndoBitmap = std::move(loaded.Undo);
  TransparentColor = loaded.TransparentColor;
  const TColor32 outer = SourceBitmap.OuterColor;
  SourceBitmap = std::move(loaded.Picture);
  MakeDocumentBitmap(SourceBitmap);
  SourceBitmap.OuterColor = outer;

  ApplyTransparentColor(TransparentColor);
  ViewBitmap = SourceBitmap;
  TakeSourceSize();
  MeshTransformation.VectorMap().Clear();
  BindMesh();
  ImageLoaded_ = true;
  MirrorBitmap = SourceBitmap;
}

void TDocument::WritePicture(const std::string& target) {
  if (ExtractFileExt(target).empty()) {
    WriteFileBytes(target + ".bmp", EncodeBmp32(ViewBitmap));
    return;
  }
  const TPictureKind* kind = PictureKindOfFile(target);
  if (kind && kind->Id == TPictureKindId::Gif) return SaveGif(target);
  if (kind && kind->Id == TPictureKindId::Pdf) return SavePdf(target);
  if (!kind || !kind->Write) throw Exception("Unsupported image format");
  // As JPEG and PNG saves always have, the save becomes what Undo goes back to; a bitmap's
  // does not.
  if (kind->Id != TPictureKindId::Bmp) TakeUndoSnapshot();
  WriteFileBytes(target, kind->Write(ViewBitmap, TransparentColor));
}

void TDocument::SaveGif(const std::string& target) {
  MirrorBitmap = ViewBitmap;
  // The source takes the working picture; the mesh is cleared with it so that a later stroke
  // does not warp the already warped picture a second time.
  ReplacePicture(ViewBitmap);
  FillKeyColour(MirrorBitmap, TransparentColor);
  // Only kept in memory: a file written here would replace the earlier one before the save is
  // known to succeed.
  const TBytes firstPass = EncodeGif(MirrorBitmap, TransparentColor);
  // What the encoder's colour reduction made of the picture.
  UndoBitmap = DecodeGif(firstPass).Bitmap;
  FillKeyColour(MirrorBitmap, UndoBitmap, TransparentColor);
  WriteFileBytes(target, EncodeGif(UndoBitmap, TransparentColor));
}

void TDocument::SavePdf(const std::string& target) {
  TTemporaryFile jpeg(target + "111");
  TakeUndoSnapshot();
  WriteFileBytes(jpeg.Path(), EncodeJpeg(ViewBitmap, 90));
  JpegToPdf(jpeg.Path(), target);
}

}  // namespace gs
