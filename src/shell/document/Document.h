#pragma once
// TDocument: the one open picture with everything the editor keeps about it. The main window
// owns one; loads, saves, undo, canvas operations and the tools change it, the view draws it.

#include "common/Bitmap32.h"
#include "common/Color.h"
#include "codecs/Picture.h"
#include "common/RemapTransformation.h"
#include "layers/PictureLayer.h"
#include "shell/document/BrushTool.h"
#include "shell/document/PixelTools.h"
#include "shell/document/SelectionFrame.h"
#include "shell/document/ToolMode.h"

#include <memory>
#include <string>
#include <vector>

namespace gs {

class TDocument {
public:
  TDocument();
  TDocument(const TDocument&) = delete;
  TDocument& operator=(const TDocument&) = delete;

  TBitmap32 SourceBitmap;    // what the warp mesh samples
  TBitmap32 ViewBitmap;      // the working picture the user sees
  TBitmap32 UndoBitmap;      // the single undo snapshot; also scratch for saving
  TBitmap32 LayerUndoBitmap; // undo snapshot of the selected layer's picture
  TBitmap32 MaskBitmap;      // scratch for pictures with a transparent colour
  TBitmap32 MirrorBitmap;    // the pixel tools' copy of the working picture
  TBitmap32 Placeholder;     // the small picture shown while the mesh is being reset

  TRemapTransformation MeshTransformation;
  TRemapTransformation LayerTransformation;

  TColor TransparentColor = kDefaultTransparentColor;
  std::string SourceFileName;
  std::string DocumentFileName;
  int ImageWidth = 0;
  int ImageHeight = 0;
  bool ImageLoaded = false;
  bool GeometryChanged = false;
  TToolMode ToolMode = TToolMode::None;
  int ZoomPercent = 0;

  TBrushTool Brushes{*this};
  int SelectedLayerIndex = -1;

  // Picture layers bottom to top, and at the same index each layer's source and mesh.
  std::vector<std::unique_ptr<TRotatableLayer>> Layers;
  std::vector<TLayerBmp> LayerRecords;
  TRotatableLayer* SelectedLayer = nullptr;
  TSelectionFrame Frame;        // around the selected layer
  TBitmap32 LayerSourceBitmap;  // what a brush on a layer samples

  int EraserSize = 26;                // eraser and paintbrush size in document pixels
  TColor PaintColor = 0;              // the colour selector's colour, black at start
  TPixelToolState PixelTools;         // the eraser, paint and crop tools' own state

  // Puts the placeholder in, then re-binds the mesh to it: every displacement is gone.
  void ResetMesh();
  // Sizes the mesh to SourceBitmap (clearing it on a size change) and sets its rectangles.
  void BindMesh();
  // The ResetMesh detour with a new picture: source and view become it, the mesh all zero.
  void ReplacePicture(const TBitmap32& picture);

  // Loads a picture file into the document. On failure the exception propagates and the
  // document shows the placeholder.
  void LoadImageFile(const std::string& fileName);

  // Writes the working picture to target by its extension (".bmp", ".jpg", ".jpeg", ".png",
  // ".gif", ".pdf"; no extension writes target + ".bmp"). Others: "Unsupported image format".
  void WritePicture(const std::string& target);

  // The two-pass GIF save: the key colour survives the encoder's colour reduction exactly.
  void SaveGif(const std::string& target);
  // A JPEG of the working picture in a temporary file, embedded in a one-page PDF.
  void SavePdf(const std::string& target);

  // The outer colour of the source and the view: the key's colour with alpha 0.
  void ApplyTransparentColor(TColor key);

private:
  void LoadDecoded(const std::string& extension, const TBytes& bytes);
};

}  // namespace gs
