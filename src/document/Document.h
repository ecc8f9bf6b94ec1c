// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TDocument: the one open picture with everything the editor keeps about it. The main window
// owns one; loads, saves, undo, canvas operations and the tools change it, the view draws it.

#include "common/Bitmap32.h"
#include "common/Color.h"
#include "codecs/Picture.h"
#include "common/RemapTransformation.h"
#include "layers/PictureLayer.h"
#include "document/Animation.h"
#include "document/BrushTool.h"
#include "document/History.h"
#include "document/LayerSelection.h"
#include "document/PixelTools.h"
#include "document/SelectionFrame.h"
#include "document/ToolMode.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace gs {

// A picture read from a file, ready to become the document's.
struct TLoadedPicture {
  TBitmap32 Picture;        // keyed out on its transparent colour
  TBitmap32 Undo;           // the undo snapshot a load leaves
  TColor TransparentColor = kDefaultTransparentColor;
  std::string SourceFileName;  // for a protected picture, with its inner extension
  std::string FileName;        // the file read
};

// How a picture enters the document.
enum class TPictureEntry {
  Open,       // a new document: a new history, no layers, the names of the file
  Restore,    // the opened file again: history, layers and the document's name stay; the scene
              // kept at a save goes
  SavedCopy,  // the picture as a save wrote it: only the picture and its source name change
};

// Reads and decodes a picture file without touching any document.
TLoadedPicture ReadPictureFile(const std::string& fileName);

class TDocument {
public:
  TDocument();
  TDocument(const TDocument&) = delete;
  TDocument& operator=(const TDocument&) = delete;

  TBitmap32 SourceBitmap;    // what the warp mesh samples
  TBitmap32 ViewBitmap;      // the working picture the user sees
  TBitmap32 UndoBitmap;      // the single undo snapshot; also scratch for saving
  TBitmap32 LayerUndoBitmap; // undo snapshot of the selected layer's picture
  TBitmap32 MirrorBitmap;    // the pixel tools' copy of the working picture
  TBitmap32 Placeholder;     // the small picture shown while the mesh is being reset

  TRemapTransformation MeshTransformation;
  TRemapTransformation LayerTransformation;

  TColor TransparentColor = kDefaultTransparentColor;
  bool GeometryChanged = false;
  TToolMode ToolMode = TToolMode::None;
  int ZoomPercent = 0;

  TBrushTool Brushes{*this};

  TSelectionFrame Frame;        // around the selected layer
  TBitmap32 LayerSourceBitmap;  // what a brush on a layer samples

  int EraserSize = 26;                // eraser and paintbrush size in document pixels
  TColor PaintColor = 0;              // the colour selector's colour, black at start
  TPixelToolState PixelTools;         // the eraser, paint and crop tools' own state
  TPixelTool PixelTool{*this};        // the pixel tools as the user drives them
  // The warp and layers as they were before a save merged them into the picture, so that the
  // saved caricature can still be animated; dropped when a picture is opened or restored.
  std::optional<TKeptScene> SceneBeforeSave;
  THistory History;  // every change as a step to go back and forward through

  // The picture's identity, set by Open. The source file name is the file's, or for a protected
  // picture the file's with its inner extension; the document's is where Save writes; the
  // opened one the file last chosen to open, what Restore reloads.
  bool ImageLoaded() const { return ImageLoaded_; }
  const std::string& SourceFileName() const { return SourceFileName_; }
  const std::string& DocumentFileName() const { return DocumentFileName_; }
  const std::string& OpenedFileName() const { return OpenedFileName_; }
  // Save As names the document after the file it writes.
  void SetDocumentFileName(const std::string& fileName) { DocumentFileName_ = fileName; }

  // The picture's size: the source's, kept while the mesh is reset through the placeholder.
  int ImageWidth() const { return ImageWidth_; }
  int ImageHeight() const { return ImageHeight_; }
  // A canvas operation gave the source another size: the picture takes it.
  void TakeSourceSize() {
    ImageWidth_ = SourceBitmap.Width();
    ImageHeight_ = SourceBitmap.Height();
  }

  // Picture layers bottom to top, and at the same index each layer's source and mesh. The list
  // changes only through the three below, which keep layers and records in step and the
  // selection on a layer that is there; the layers and records themselves change in place.
  const TLayerList& Layers() const { return Layers_; }
  const std::vector<TLayerBmp>& LayerRecords() const { return LayerRecords_; }
  TLayerBmp& LayerRecord(int index) { return LayerRecords_[size_t(index)]; }
  // Puts a layer on top; returns its index.
  int AddLayer(std::unique_ptr<TRotatableLayer> layer, TLayerBmp record);
  // Removes a layer and its record; a selected one is deselected first, whatever the tool.
  void RemoveLayer(int index);
  void ClearLayers();

  // The selected layer; it moves the frame.
  TLayerSelection& Selection() { return Selection_; }
  const TLayerSelection& Selection() const { return Selection_; }

  // What Undo goes back to becomes the picture as it shows now.
  void TakeUndoSnapshot() { UndoBitmap = ViewBitmap; }
  // Nothing for Undo to go back to: the snapshot belonged to a state the history has left, and
  // bringing it back would resurrect a state stepped away from.
  void DropUndoSnapshot() {
    UndoBitmap = TBitmap32();
    LayerUndoBitmap = TBitmap32();
    GeometryChanged = false;
  }

  // Puts the placeholder in, then re-binds the mesh to it: every displacement is gone.
  void ResetMesh();
  // Sizes the mesh to SourceBitmap (clearing it on a size change) and sets its rectangles.
  void BindMesh();
  // The ResetMesh detour with a new picture: source and view become it, the mesh all zero.
  void ReplacePicture(const TBitmap32& picture);

  // The one way a picture enters the document. Nothing in it can fail on the file: read the
  // file first (ReadPictureFile), so that a bad file leaves the user's picture as it was.
  void Open(TLoadedPicture&& picture, TPictureEntry entry = TPictureEntry::Open);

  // Writes the working picture to target by its extension, as the kind's row (PictureKinds.h)
  // says; no extension writes target + ".bmp". Others: "Unsupported image format".
  void WritePicture(const std::string& target);

  // The two-pass GIF save: the key colour survives the encoder's colour reduction exactly.
  void SaveGif(const std::string& target);
  // A JPEG of the working picture in a temporary file, embedded in a one-page PDF.
  void SavePdf(const std::string& target);

  // The outer colour of the source and the view: the key's colour with alpha 0.
  void ApplyTransparentColor(TColor key);

private:
  // A step swaps the picture's size and the layers with the ones it kept.
  friend class THistoryStep;

  std::string SourceFileName_;
  std::string DocumentFileName_;
  std::string OpenedFileName_;
  int ImageWidth_ = 0;
  int ImageHeight_ = 0;
  bool ImageLoaded_ = false;
  TLayerList Layers_;
  std::vector<TLayerBmp> LayerRecords_;
  TLayerSelection Selection_{Layers_, Frame};

  void AdoptPicture(TLoadedPicture&& loaded);
};

}  // namespace gs
