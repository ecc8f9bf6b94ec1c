// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export Sticker...: the caricature's head as a messenger sticker, still or animated.

#include "codecs/FileIO.h"
#include "codecs/PictureKinds.h"
#include "common/Errors.h"
#include "document/Sticker.h"
#include "faces/finder/FaceFinder.h"
#include "layers/PictureLayer.h"
#include "platform/Dialogs.h"
#include "platform/qt/WaitCursor.h"
#include "shell/dialogs/StickerDialog.h"
#include "shell/window/Studio.h"

#include <algorithm>
#include <filesystem>

namespace gs {
namespace {

bool HasTransparentPixels(const TBitmap32& picture) {
  const TColor32* p = picture.Bits();
  return std::any_of(p, p + size_t(picture.Width()) * picture.Height(), [](TColor32 c) { return AlphaOf(c) < 255; });
}

// "face.jpg" in photos/ offers photos/face-sticker.webp; a name ending in .png writes Telegram's PNG.
TFileDialogRequest StickerFileRequest(const std::string& document, const std::string& lastFolder) {
  TFileDialogRequest request{"Export Sticker", PictureFilterOf({TPictureKindId::Webp, TPictureKindId::Png}), "webp",
                             lastFolder, true};
  if (document.empty()) return request;
  const std::filesystem::path path(document);
  if (path.has_parent_path()) request.InitialDir = path.parent_path().string();
  request.FileName = path.stem().string() + "-sticker.webp";
  return request;
}

}  // namespace

void TSStudio::mExportStickerClick() {
  if (!Doc.ImageLoaded()) return;
  EndTool();
  CommitStroke();
  // The picture as shown, with its visible layers; without the face model the whole of it.
  TBitmap32 shown = Doc.ViewBitmap;
  for (const auto& layer : Doc.Layers())
    if (layer->Visible) MergeLayer(shown, *layer);
  const std::vector<TFace> faces = FaceModelPresent(FaceModelPath_) ? FacesToBend() : std::vector<TFace>{};
  const TAnimationScene scene = AnimationSceneOf(Doc);
  TStickerDialog& dialog = KeptDialog<TStickerDialog>("StickerDialog");
  dialog.Prepare(int(faces.size()), SceneHasWarp(scene), HasTransparentPixels(shown));
  if (!Dialogs().RunForm(dialog)) return;
  const std::optional<std::string> file = Dialogs().SaveFile(StickerFileRequest(Doc.DocumentFileName(), LastFolder_));
  if (!file) return;
  const bool png = IsPngSticker(*file);
  if (png && dialog.Animated())
    throw Exception("An animated sticker is a WebP file: \"" + ExtractFileName(*file) +
                    "\" ends in .png, which holds a still sticker only");

  const TWaitCursor busy;
  const int face = dialog.FaceIndex();
  const TRect crop = StickerCrop(shown, face >= 0 ? &faces[size_t(face)] : nullptr);
  const TEncodedSticker sticker =
      dialog.Animated() ? EncodeAnimatedSticker(scene, TAnimationSettings{}, crop, dialog.Background())
      : png             ? EncodePngSticker(ShapeSticker(shown, crop, dialog.Background()))
                        : EncodeStillSticker(ShapeSticker(shown, crop, dialog.Background()));
  WriteFileBytes(*file, sticker.Bytes);
  const std::string warning = StickerSizeWarning(sticker);
  if (!warning.empty()) ShowMessage(warning);
}

}  // namespace gs
