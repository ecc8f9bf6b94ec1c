#pragma once
// TFaceFinder: finds the faces of a picture and their 68 landmarks, with the frontal face
// detector built into dlib and the landmark model Debian ships in libdlib-data.

#include "common/Bitmap32.h"
#include "faces/Face.h"

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
  // The model's mean face: the 68 points it starts each face from, in the unit box of a
  // detection.
  const std::array<TPointF, TFace::kPointCount>& MeanFace() const;
  TFaceFinder(const TFaceFinder&) = delete;
  TFaceFinder& operator=(const TFaceFinder&) = delete;

  // The faces of the picture, largest first, in picture pixels. The detector looks at a copy
  // whose longer side is at most kDetectionSide, doubled once when its shorter side is under
  // kSmallSide so that small faces are found too. Safe to call from several threads.
  std::vector<TFace> Find(const TBitmap32& picture) const;

  static constexpr int kDetectionSide = 1200;
  static constexpr int kSmallSide = 400;

private:
  struct TModel;
  std::unique_ptr<TModel> Model_;
};

}  // namespace gs
