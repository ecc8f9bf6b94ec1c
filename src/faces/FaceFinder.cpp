#include "faces/FaceFinder.h"

#include "common/Errors.h"
#include "common/Shrink.h"

// dlib's settings first, so that it leaves BLAS and LAPACK out: the detector and the landmark
// model multiply only small matrices, dlib's own loops serve them, and the program need not load
// BLAS, LAPACK and Fortran's runtime at every start for them.
#include <dlib/assert.h>
#include <dlib/test_for_odr_violations.h>
#undef DLIB_USE_BLAS
#undef DLIB_USE_LAPACK
#include <dlib/image_processing.h>
#include <dlib/image_processing/frontal_face_detector.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <mutex>
#include <sys/stat.h>

namespace gs {

bool FaceModelPresent(const std::string& modelPath) {
  struct stat info {};
  return ::stat(modelPath.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

struct TFaceFinder::TModel {
  std::mutex DetectorLock;  // the detector keeps working buffers of its own
  dlib::frontal_face_detector Detector = dlib::get_frontal_face_detector();
  dlib::shape_predictor Landmarks;
  std::array<TPointF, TFace::kPointCount> MeanFace;
};

namespace {

// The predictor keeps its starting shape to itself; it is the first thing in the file, after
// the format's version.
std::array<TPointF, TFace::kPointCount> ReadMeanFace(const std::string& modelPath) {
  std::ifstream in(modelPath, std::ios::binary);
  int version = 0;
  dlib::matrix<float, 0, 1> shape;
  dlib::deserialize(version, in);
  dlib::deserialize(shape, in);
  std::array<TPointF, TFace::kPointCount> points;
  if (shape.size() != 2 * TFace::kPointCount) throw dlib::serialization_error("the mean face has no 68 points");
  for (int i = 0; i < TFace::kPointCount; ++i) points[size_t(i)] = TPointF{shape(2 * i), shape(2 * i + 1)};
  return points;
}

}  // namespace

TFaceFinder::TFaceFinder(const std::string& modelPath) {
  // Before the detector is built, which takes a moment of its own.
  if (!FaceModelPresent(modelPath)) throw Exception(kNoFaceModelMessage);
  Model_ = std::make_unique<TModel>();
  try {
    dlib::deserialize(modelPath) >> Model_->Landmarks;
    Model_->MeanFace = ReadMeanFace(modelPath);
  } catch (const std::exception& e) {
    throw Exception("Could not read the face model " + modelPath + ": " + e.what() + ".");
  }
  if (Model_->Landmarks.num_parts() != TFace::kPointCount)
    throw Exception("Could not read the face model " + modelPath + ": it does not describe 68 points.");
}

TFaceFinder::~TFaceFinder() = default;

const std::array<TPointF, TFace::kPointCount>& TFaceFinder::MeanFace() const { return Model_->MeanFace; }

namespace {

// How sure the detector must be. Faces looking into the camera score from about 0.9 up; badges,
// patterns and the backs of heads that merely look like a face score below 0.2, and a preset
// bending one of those would be worse than finding no face at all.
constexpr double kMinimumConfidence = 0.2;

// The scale of the copy the detector sees.
double DetectionScale(int width, int height) {
  double scale = std::min(1.0, double(TFaceFinder::kDetectionSide) / std::max(width, height));
  if (std::min(width, height) * scale < TFaceFinder::kSmallSide) scale *= 2;
  return scale;
}

// The detector's copy: colour over white where the picture is transparent, since what lies
// under a transparent pixel is nothing anyone sees.
dlib::array2d<dlib::rgb_pixel> DetectionCopy(const TBitmap32& picture, double scale) {
  const int width = std::max(1, int(std::lround(picture.Width() * scale)));
  const int height = std::max(1, int(std::lround(picture.Height() * scale)));
  TBitmap32 scaled;
  if (scale < 1) {
    scaled = ShrinkPicture(picture, width, height);
  } else if (scale > 1) {
    scaled.SetSize(width, height);
    scaled.StretchDraw(scaled.BoundsRect(), picture);
  }
  const TBitmap32& copy = scale == 1 ? picture : scaled;
  dlib::array2d<dlib::rgb_pixel> image(copy.Height(), copy.Width());
  for (int y = 0; y < copy.Height(); ++y) {
    const TColor32* row = copy.ScanLine(y);
    for (int x = 0; x < copy.Width(); ++x) {
      const uint32_t c = row[x], a = c >> 24, white = (255 - a) * 255;
      auto channel = [&](int shift) { return uint8_t((((c >> shift) & 0xFF) * a + white + 127) / 255); };
      image[y][x] = dlib::rgb_pixel(channel(16), channel(8), channel(0));
    }
  }
  return image;
}

TFloatRect Scaled(const dlib::rectangle& r, double factor) {
  return TFloatRect{r.left() * factor, r.top() * factor, (r.right() + 1) * factor, (r.bottom() + 1) * factor};
}

}  // namespace

std::vector<TFace> TFaceFinder::Find(const TBitmap32& picture) const {
  std::vector<TFace> faces;
  if (picture.Empty()) return faces;
  const double scale = DetectionScale(picture.Width(), picture.Height());
  const dlib::array2d<dlib::rgb_pixel> image = DetectionCopy(picture, scale);
  std::vector<dlib::rectangle> boxes;
  {
    std::lock_guard lock(Model_->DetectorLock);
    boxes = Model_->Detector(image, kMinimumConfidence);
  }
  const double back = 1.0 / scale;
  for (const dlib::rectangle& box : boxes) {
    const dlib::full_object_detection shape = Model_->Landmarks(image, box);
    TFace face;
    face.Box = Scaled(box, back);
    for (int i = 0; i < TFace::kPointCount; ++i) {
      const dlib::point p = shape.part(unsigned(i));
      // A landmark stands for the centre of its pixel in the copy.
      face.Points[size_t(i)] = TPointF{(p.x() + 0.5) * back, (p.y() + 0.5) * back};
    }
    faces.push_back(face);
  }
  std::stable_sort(faces.begin(), faces.end(), [](const TFace& a, const TFace& b) {
    return a.Box.Width() * a.Box.Height() > b.Box.Width() * b.Box.Height();
  });
  return faces;
}

}  // namespace gs
