// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/finder/FaceFinder.h"

#include "common/Errors.h"
#include "faces/finder/FaceTiles.h"
#include "faces/finder/GreyShrink.h"
#include "faces/shape/ShapeSpace.h"
#include "common/OnAllCores.h"

// dlib's settings first, so that it leaves BLAS and LAPACK out: the detector and the landmark
// model multiply only small matrices, dlib's own loops serve them, and the program need not load
// BLAS, LAPACK and Fortran's runtime at every start for them.
#include <dlib/assert.h>
#include <dlib/test_for_odr_violations.h>
#undef DLIB_USE_BLAS
#undef DLIB_USE_LAPACK
#include <dlib/image_processing.h>
#include <dlib/image_processing/frontal_face_detector.h>
#include <dlib/image_transforms.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <future>
#include <sys/stat.h>

namespace gs {

namespace {

using TGray = dlib::array2d<unsigned char>;
using TDetector = dlib::frontal_face_detector;
using TPyramid = dlib::pyramid_down<6>;  // the detector's own: each level 5/6 of the one above

// How sure the detector must be. Faces looking into the camera score from about 0.9 up; badges,
// patterns and the backs of heads that merely look like a face score below 0.2, and a preset
// bending one of those would be worse than finding no face at all.
constexpr double kMinimumConfidence = 0.2;

// The detector's window: the smallest face it finds, in the pixels it looks at.
constexpr double kWindow = 80;

// A large picture is looked at in bands of pyramid levels, each band in overlapping tiles. Four
// levels make a band: its largest face, 80 * 1.2^3 = 138 pixels, and a margin of three cells
// around it at that level fit in the overlap.
constexpr unsigned kBandLevels = 4;
constexpr int kTileStep = 1200;
constexpr int kTileOverlap = 224;

// A picture larger than this after scaling is scaled down to it, so that a long panorama does
// not take minutes: it is the area of a 6000 x 4000 photo at its scale.
constexpr double kMostScannedPixels = 3600.0 * 2400.0;

TDetector LimitedTo(const TDetector& detector, unsigned levels) {
  TDetector::image_scanner_type scanner;
  scanner.copy_configuration(detector.get_scanner());
  scanner.set_max_pyramid_levels(levels);
  std::vector<TDetector::feature_vector_type> weights;
  for (unsigned long i = 0; i < detector.num_detectors(); ++i) weights.push_back(detector.get_w(i));
  return TDetector(scanner, detector.get_overlap_tester(), weights);
}

}  // namespace

bool FaceModelPresent(const std::string& modelPath) {
  struct stat info {};
  return ::stat(modelPath.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

struct TFaceFinder::TModel {
  TDetector Whole = dlib::get_frontal_face_detector();  // down to the smallest level
  TDetector Band = LimitedTo(Whole, kBandLevels);         // one band of levels only
  dlib::shape_predictor Landmarks;
  TShapeModel Shapes;
};

namespace {

// The landmark model's first cascade of regression trees, which corrects the mean face towards
// each face as a whole: enough to see how faces vary, at a small part of the file's reading time.
// Every tree's leaves, each a correction to the whole shape, make the samples.
constexpr unsigned long kShapeCascades = 1;
// The components kept: those that explain this share of what the held directions leave, at most
// so many; the rest is mostly the landmarks' own noise.
constexpr double kExplainedShare = 0.995;
constexpr int kMostComponents = 60;

// The predictor keeps its starting shape and trees to itself; they are the first things in the
// file, after the format's version, and are read again here in the file's order.
TShapeModel ReadShapeModel(const std::string& modelPath) {
  std::ifstream in(modelPath, std::ios::binary);
  int version = 0;
  dlib::matrix<float, 0, 1> shape;
  dlib::deserialize(version, in);
  dlib::deserialize(shape, in);
  TShapeModel model;
  if (shape.size() != 2 * TFace::kPointCount) throw dlib::serialization_error("the mean face has no 68 points");
  for (int i = 0; i < TFace::kPointCount; ++i) model.Mean[size_t(i)] = TPointF{shape(2 * i), shape(2 * i + 1)};
  unsigned long cascades = 0;
  dlib::deserialize(cascades, in);
  std::vector<float> corrections;
  for (unsigned long c = 0; c < std::min(cascades, kShapeCascades); ++c) {
    std::vector<dlib::impl::regression_tree> forest;
    dlib::deserialize(forest, in);
    for (const dlib::impl::regression_tree& tree : forest)
      for (const dlib::matrix<float, 0, 1>& leaf : tree.leaf_values) {
        if (leaf.size() != 2 * TFace::kPointCount) throw dlib::serialization_error("a shape correction has no 68 points");
        corrections.insert(corrections.end(), leaf.begin(), leaf.end());
      }
  }
  model.Space = std::make_shared<const TShapeSpace>(
      BuildShapeSpace(model.Mean, corrections, kExplainedShare, kMostComponents));
  return model;
}

}  // namespace

TFaceFinder::TFaceFinder(const std::string& modelPath) {
  // Before the detector is built, which takes a moment of its own.
  if (!FaceModelPresent(modelPath)) throw Exception(kNoFaceModelMessage);
  Model_ = std::make_unique<TModel>();
  try {
    // The shape model reads the file's start a second time, beside the predictor's reading.
    std::future<TShapeModel> shapes = std::async(std::launch::async, ReadShapeModel, modelPath);
    dlib::deserialize(modelPath) >> Model_->Landmarks;
    Model_->Shapes = shapes.get();
  } catch (const std::exception& e) {
    throw Exception("Could not read the face model " + modelPath + ": " + e.what() + ".");
  }
  if (Model_->Landmarks.num_parts() != TFace::kPointCount)
    throw Exception("Could not read the face model " + modelPath + ": it does not describe 68 points.");
}

TFaceFinder::~TFaceFinder() = default;

const TShapeModel& TFaceFinder::ShapeModel() const { return Model_->Shapes; }

double TFaceFinder::DetectionScale(int width, int height) {
  if (width <= 0 || height <= 0) return 1;
  const double smallest = std::max(kSmallestFace, std::min(width, height) / double(kFacesAcross));
  return std::min(kWindow / smallest, std::sqrt(kMostScannedPixels / (double(width) * height)));
}

namespace {

// What the detector sees: the picture in grey at the detection scale. Shrinking averages, so that
// nothing aliases; growing interpolates.
TGray ScaledGreyCopy(const TBitmap32& picture, double scale) {
  const long width = std::max(1L, std::lround(picture.Width() * scale));
  const long height = std::max(1L, std::lround(picture.Height() * scale));
  const bool shrinks = width <= picture.Width() && height <= picture.Height();
  TGray grey(shrinks ? height : picture.Height(), shrinks ? width : picture.Width());
  ShrinkToGrey(picture, int(grey.nc()), int(grey.nr()), &grey[0][0]);
  if (shrinks) return grey;
  TGray scaled(height, width);
  dlib::resize_image(grey, scaled, dlib::interpolate_bilinear());
  return scaled;
}

// The scaled picture at every kBandLevels-th pyramid level, each band of levels scanned in
// overlapping tiles of its own; the last band, small enough to be one tile, scans every level left.
struct TBand {
  unsigned Level = 0;  // below the scaled picture
  std::vector<dlib::rectangle> Tiles;
  TGray Image;
};

std::vector<TBand> PlanBands(long width, long height) {
  std::vector<TBand> bands;
  for (unsigned level = 0;; level += kBandLevels) {
    TBand& band = bands.emplace_back();
    band.Level = level;
    for (const TRect& t : OverlappingTiles(int(width), int(height), kTileStep, kTileOverlap))
      band.Tiles.emplace_back(t.Left, t.Top, t.Right - 1, t.Bottom - 1);
    if (band.Tiles.size() <= 1) return bands;
    for (unsigned i = 0; i < kBandLevels; ++i) {  // as dlib::pyramid_down<6> sizes its levels
      width = 5 * width / 6;
      height = 5 * height / 6;
    }
  }
}

// Fills in the images of every band after the first, which holds the scaled picture.
void ShrinkBands(std::vector<TBand>& bands) {
  const TPyramid down;
  for (size_t b = 1; b < bands.size(); ++b) {
    TGray image;
    down(bands[b - 1].Image, image);
    for (unsigned i = 1; i < kBandLevels; ++i) {
      TGray smaller;
      down(image, smaller);
      image.swap(smaller);
    }
    bands[b].Image.swap(image);
  }
}

// Keeps the surest of detections that overlap as the detector itself judges overlap, so that a
// face seen by two tiles or two bands is one face.
std::vector<dlib::rect_detection> Suppressed(std::vector<dlib::rect_detection> found, const TDetector& detector) {
  std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return a.detection_confidence > b.detection_confidence;
  });
  const dlib::test_box_overlap overlaps = detector.get_overlap_tester();
  std::vector<dlib::rect_detection> kept;
  for (const dlib::rect_detection& d : found)
    if (std::none_of(kept.begin(), kept.end(), [&](const auto& k) { return overlaps(k.rect, d.rect); }))
      kept.push_back(d);
  return kept;
}

TFloatRect Scaled(const dlib::rectangle& r, double factor) {
  return TFloatRect{r.left() * factor, r.top() * factor, (r.right() + 1) * factor, (r.bottom() + 1) * factor};
}

// The face the landmark model fits in box of the detector's copy, back in picture pixels.
TFace FittedFace(const dlib::shape_predictor& landmarks, const TGray& image, const dlib::rectangle& box, double back) {
  const dlib::full_object_detection shape = landmarks(image, box);
  TFace face;
  face.Box = Scaled(box, back);
  for (int k = 0; k < TFace::kPointCount; ++k) {
    const dlib::point p = shape.part(unsigned(k));
    // A landmark stands for the centre of its pixel in the copy.
    face.Points[size_t(k)] = TPointF{(p.x() + 0.5) * back, (p.y() + 0.5) * back};
  }
  return face;
}

}  // namespace

TFace TFaceFinder::FitLandmarks(const TBitmap32& picture, const TFloatRect& box) const {
  if (picture.Empty()) return {};
  const double scale = DetectionScale(picture.Width(), picture.Height());
  const TGray image = ScaledGreyCopy(picture, scale);
  const dlib::rectangle r(long(std::lround(box.Left * scale)), long(std::lround(box.Top * scale)),
                          long(std::lround(box.Right * scale)) - 1, long(std::lround(box.Bottom * scale)) - 1);
  return FittedFace(Model_->Landmarks, image, r, 1.0 / scale);
}

std::vector<TFace> TFaceFinder::Find(const TBitmap32& picture) const {
  std::vector<TFace> faces;
  if (picture.Empty()) return faces;
  const double scale = DetectionScale(picture.Width(), picture.Height());
  TGray scaled = ScaledGreyCopy(picture, scale);
  std::vector<TBand> bands = PlanBands(scaled.nc(), scaled.nr());
  bands.front().Image.swap(scaled);

  // The first job shrinks the other bands while the rest scan the first band's tiles; a job on a
  // later band waits for it, and cannot wait for ever, since jobs are taken in order.
  struct TJob {
    const TBand* Band;
    dlib::rectangle Tile;
  };
  std::vector<TJob> jobs{{nullptr, {}}};
  for (const TBand& band : bands)
    for (const dlib::rectangle& tile : band.Tiles) jobs.push_back({&band, tile});
  std::promise<void> shrunk;
  const std::shared_future<void> bandsReady = shrunk.get_future().share();
  std::vector<std::vector<dlib::rect_detection>> found(jobs.size());
  OnAllCores(jobs.size(), [&](size_t i) {
    if (i == 0) {
      try {
        ShrinkBands(bands);
        shrunk.set_value();
      } catch (...) {
        shrunk.set_exception(std::current_exception());
        throw;
      }
      return;
    }
    const TJob& job = jobs[i];
    if (job.Band->Level > 0) bandsReady.get();
    // The detector keeps working buffers of its own, so each job has a copy.
    TDetector detector = job.Band->Tiles.size() == 1 ? Model_->Whole : Model_->Band;
    detector(dlib::sub_image(job.Band->Image, job.Tile), found[i], kMinimumConfidence);
    const TPyramid down;
    for (dlib::rect_detection& d : found[i])
      d.rect = down.rect_up(dlib::translate_rect(d.rect, job.Tile.tl_corner()), job.Band->Level);
  });
  std::vector<dlib::rect_detection> all;
  for (const auto& f : found) all.insert(all.end(), f.begin(), f.end());
  const std::vector<dlib::rect_detection> boxes = Suppressed(std::move(all), Model_->Whole);

  const TGray& image = bands.front().Image;
  const double back = 1.0 / scale;
  faces.resize(boxes.size());
  OnAllCores(boxes.size(), [&](size_t i) { faces[i] = FittedFace(Model_->Landmarks, image, boxes[i].rect, back); });
  std::stable_sort(faces.begin(), faces.end(), [](const TFace& a, const TFace& b) {
    return a.Box.Width() * a.Box.Height() > b.Box.Width() * b.Box.Height();
  });
  return faces;
}

}  // namespace gs
