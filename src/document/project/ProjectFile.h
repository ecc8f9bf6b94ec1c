// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The project file: an OpenRaster archive (".ora") that other editors open with the layers in
// place, and that keeps beside them, in files and attributes of our own, what only we read
// again: the unwarped picture and every mesh (as the recovery copy holds them), each layer's
// placement and angle, the text of text layers and the faces last found or bent.
//
// An archive written by another editor opens with its layers as picture layers. A damaged or
// hostile archive fails to read with an exception before the document is touched.

#include "codecs/Picture.h"
#include "document/Recovery.h"
#include "faces/Face.h"
#include "layers/PictureLayer.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace gs {

class TDocument;

inline constexpr const char* kProjectExtension = ".ora";
inline constexpr const char* kProjectKindName = "Grimacer Project";
inline constexpr int kProjectThumbnailSide = 256;

// Whether the path names a project by its extension.
bool IsProjectFile(const std::string& path);

// A project read and checked, ready to become the document.
struct TProject {
  TRecoveryCopy Copy;                           // pictures, meshes and layers
  std::vector<std::optional<TLayerText>> Texts;  // at each layer's index
  std::vector<TFace> Faces;
  bool Foreign = false;                         // another editor's: its layers only
};

// The document as it is, with the faces last found or bent on it, as an .ora file's bytes.
TBytes EncodeProject(const TDocument& doc, const std::vector<TFace>& faces);

// Reads an archive; notes about what could only be approximated (a blend mode we lack) go to
// `notes`, one line each. Fails with an Exception saying what is wrong.
TProject DecodeProject(TByteSpan bytes, std::ostream& notes);
TProject ReadProjectFile(const std::string& path, std::ostream& notes);

// The project becomes the document, named `fileName`: a new history that starts with "Open",
// nothing unsaved. Nothing here fails on the project's contents.
void OpenProject(TDocument& doc, TProject&& project, const std::string& fileName);

// The picture as a flat save writes it: every layer merged into the working picture.
TBitmap32 MergedPicture(const TDocument& doc);

}  // namespace gs
