// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFaceFinder: finds the faces of a picture and their 68 landmarks, with the frontal face
// detector built into dlib and the landmark model Debian ships in libdlib-data.

#include "common/Bitmap32.h"
#include "faces/Face.h"
#include "faces/shape/ShapeModel.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace gs {

// Where the libdlib-data package puts the landmark model.
inline constexpr const char* kDefaultFaceModel = "/usr/share/dlib/shape_predictor_68_face_landmarks.dat";
inline constexpr const char* kNoFaceModelMessage =
    "Auto Caricature needs the face model (Debian package libdlib-data).";

// Whether the model file is there to be read; cheap enough for enabling a command.
bool FaceModelPresent(const std::string& modelPath);

class TFaceFinder {
public:
  // Reads the model, which takes a good half second. Fails with kNoFaceModelMessage when the
  // file is missing and "Could not read the face model FILE: REASON." when it is broken.
  explicit TFaceFinder(const std::string& modelPath);
  ~TFaceFinder();
  // What the landmark model knows of faces' shapes: its mean face (the 68 points it starts each
  // face from, in the unit box of a detection) and more.
  const TShapeModel& ShapeModel() const;
  TFaceFinder(const TFaceFinder&) = delete;
  TFaceFinder& operator=(const TFaceFinder&) = delete;

  // The faces of the picture, largest first, in picture pixels. Faces down to kSmallestFace
  // pixels wide are found, and on large pictures down to 1/kFacesAcross of the shorter side; the
  // detector looks at the picture scaled by DetectionScale, in overlapping tiles on every core.
  // Safe to call from several threads.
  std::vector<TFace> Find(const TBitmap32& picture) const;
  // The landmarks of the face in box (picture pixels), fitted without looking for faces: what
  // the landmark model sees in that box now, after the face in it was bent, say.
  TFace FitLandmarks(const TBitmap32& picture, const TFloatRect& box) const;

  static constexpr double kSmallestFace = 40;
  static constexpr int kFacesAcross = 30;
  // How much the detector's copy of a width x height picture is scaled: so far that the smallest
  // face sought fills the detector's window, but never to more pixels than a 6000 x 4000 photo
  // gets, so that a long panorama does not take minutes.
  static double DetectionScale(int width, int height);

private:
  struct TModel;
  std::unique_ptr<TModel> Model_;
};

}  // namespace gs
