// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Animate Caricature: the warp played from the unwarped photo to the caricature as an animated
// GIF. Frame k of N is the source picture rendered through the warp mesh with every
// displacement scaled by k / (N - 1), so the first frame is the photo and the last one the
// working picture; the visible picture layers are merged over every frame as they are shown.

#include "codecs/Picture.h"
#include "common/Bitmap32.h"
#include "common/RemapTransformation.h"
#include "layers/PictureLayer.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gs {

class TDocument;

inline constexpr int kMinAnimationFrames = 2;
inline constexpr int kMaxAnimationFrames = 60;
inline constexpr int kMinFrameDelay = 2;  // hundredths of a second
inline constexpr int kMaxFrameDelay = 1000;
// The pixels of all rendered frames together: every frame is kept in memory (a byte a pixel)
// until the animation is written, and beyond this it would take minutes and gigabytes.
inline constexpr int64_t kMaxAnimationPixels = 1'000'000'000;

inline constexpr const char* kNothingToAnimate =
    "Nothing to animate yet: bend the face with Putty, Warp or Twirl first.";

struct TAnimationSettings {
  int Frames = 12;
  int DelayCentiseconds = 8;
  bool Loop = true;
  bool BackAndForth = true;  // frames N-2 down to 1 follow, so the loop has no jump
  // Ordered dithering to the GIF's 255 colours: smooth shading for photos, where the nearest
  // colours alone would show bands.
  bool Dither = false;
};

// Throws Exception naming the setting that is out of range.
void CheckAnimationSettings(const TAnimationSettings& settings);

// d * k / steps rounded half to even, exactly (steps > 0, 0 <= k <= steps).
TFixed ScaleDisplacement(TFixed d, int k, int steps);

// The frames in the order they are shown: 0 .. N-1, then N-2 down to 1 back and forth.
std::vector<int> AnimationOrder(int frames, bool backAndForth);

// What an animation is made of. It refers to pictures it does not own: the document's, or a
// shrunk copy for a preview.
struct TAnimationScene {
  const TBitmap32* Source = nullptr;  // what the mesh samples, with its draw modes and outer colour
  const TVectorMap* Warp = nullptr;   // the full displacement: the last frame
  std::vector<const TRotatableLayer*> Layers;  // merged over every frame, bottom first
  TColor TransparentColor = 0;        // the key colour, a Windows colour value
};

// The document's picture, mesh and visible layers.
TAnimationScene SceneOf(const TDocument& doc);

// True when the mesh holds any displacement, i.e. there is something to animate.
bool SceneHasWarp(const TAnimationScene& scene);

// True when the scene's picture has more than 256 colours: a photo rather than a drawing, which
// the GIF shows better dithered.
bool SceneWantsDither(const TAnimationScene& scene);

// A scene that owns its pictures: what the animation needs kept when a save bakes the warp and
// the layers into the picture.
struct TKeptScene {
  TBitmap32 Source;
  TVectorMap Warp;
  std::vector<TRotatableLayer> Layers;
  TColor TransparentColor = 0;

  explicit TKeptScene(const TAnimationScene& scene);
  TAnimationScene Scene() const;
};

// What Animate Caricature plays: the document's own scene, or, when its mesh is empty because a
// save baked it, the scene kept from before that save.
TAnimationScene AnimationSceneOf(const TDocument& doc);

// Renders frames one at a time, keeping the scaled mesh between them.
class TAnimationFrameRenderer {
public:
  // Throws Exception for a scene without a picture or with a mesh of another size.
  explicit TAnimationFrameRenderer(const TAnimationScene& scene);
  // Frame k of frames: the view's render path with the scaled mesh, then the layers.
  TBitmap32 Render(int k, int frames);

private:
  TAnimationScene Scene_;  // pointers only: cheap to keep a copy
  TRemapTransformation Mesh_;
};

// Reports done of total steps; returns false to stop.
using TAnimationProgress = std::function<bool(int done, int total)>;

// The animated GIF of the scene, each frame rendered twice (its colours counted, then written):
// progress counts 2 x Frames steps. Nothing when progress said stop.
// Throws Exception for bad settings, an empty mesh or an animation beyond the size limits.
std::optional<TBytes> EncodeCaricatureAnimation(const TAnimationScene& scene,
                                                const TAnimationSettings& settings,
                                                const TAnimationProgress& progress);

// The lossy quality of an animated WebP caricature's frames after the first, which is coded
// better (TAnimatedWebpWriter). At 66 a photo's animation takes 26 % of our dithered GIF's size
// at 7 dB more PSNR, and the drawn sample portrait's 47 % at 1.8 dB more
// (bench/webp/CompareAnimation.cpp); every frame at 86 gave the portrait 49 % at 1 dB less. The
// portrait bent by the strokes of bench/gifdecoders/check_webp_readers.sh, a stronger warp, takes
// 49 % at 0.8 dB more (at 70: 51 %).
inline constexpr int kAnimationWebpQuality = 66;

// Turns a rendered frame into the frame written (a sticker crops and masks it); all frames of
// one animation must come out the same size.
using TFrameShaper = std::function<TBitmap32(TBitmap32 frame)>;

// The animated WebP of the scene in 24-bit colour with alpha, frames, timing, looping and back
// and forth as for the GIF. Every shown frame is rendered once (the way back renders its frames
// again rather than keeping them all): progress counts one step a shown frame. Nothing when
// progress said stop. Throws Exception as EncodeCaricatureAnimation does.
std::optional<TBytes> EncodeCaricatureWebp(const TAnimationScene& scene, const TAnimationSettings& settings,
                                           const TAnimationProgress& progress, int quality = kAnimationWebpQuality,
                                           const TFrameShaper& shape = {});

// The file an animation goes to: PATH as given when it ends in ".gif" or ".webp" (any case),
// PATH.gif when it has no extension. Throws Exception for any other extension.
std::string AnimationFileName(const std::string& path);

// Encodes and writes the animation, a GIF or an animated WebP by the name's extension, through
// a temporary file in the same folder that replaces
// the target only when complete. Returns false when progress said stop; nothing is written
// then, nor when it throws.
bool WriteCaricatureAnimation(const TAnimationScene& scene, const TAnimationSettings& settings,
                              const std::string& path, const TAnimationProgress& progress);

}  // namespace gs
