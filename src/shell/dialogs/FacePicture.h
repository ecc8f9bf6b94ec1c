// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the face dialogs (Auto Caricature, Face Sculpt) share: the picture with its faces framed,
// where a click chooses a face, and previews cut round the chosen faces.

#include "faces/CaricaturePreview.h"
#include "faces/Face.h"

#include <QImage>
#include <QLabel>

#include <functional>
#include <memory>
#include <vector>

namespace gs {

// The picture with the faces on it; a click on a face chooses it.
class TFacePicture : public QLabel {
public:
  explicit TFacePicture(QWidget* parent, int side);
  // Heard with the face clicked, an index into the overview's faces.
  std::function<void(int)> Chosen;
  // The overview the label shows, the faces framed, the chosen ones (or all) in yellow and the
  // one chosen with its landmarks.
  void Show(const TCaricaturePreview& overview, int chosen, bool all);

protected:
  void mousePressEvent(QMouseEvent* event) override;

private:
  const TCaricaturePreview* Overview_ = nullptr;
};

// A square label for a picture of side pixels.
QLabel* NewPictureLabel(QLabel* label, int side);

// A preview of the chosen faces (faceIndex, or all when negative) with room round them, in
// face boxes; every face is moved into the cut so that indices still hold.
std::unique_ptr<TCaricaturePreview> PreviewAround(const TBitmap32& picture, const std::vector<TFace>& faces,
                                                  int faceIndex, double room, int side);

// A picture as the main window shows it: its transparent parts on the checkerboard.
QImage OnCheckerboard(const TBitmap32& picture);

// Shows a preview's result in a label, a small photo's face as large as the room allows.
void ShowPreviewIn(QLabel& label, const TBitmap32& result);

}  // namespace gs
