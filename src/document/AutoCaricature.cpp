// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/AutoCaricature.h"

#include "document/Document.h"

#include <algorithm>
#include <cmath>

namespace gs {

namespace {

constexpr const char* kAutoCaricatureStepPrefix = "Auto Caricature: ";

TFaceEditResult ApplyRule(TDocument& doc, std::vector<TFace>& faces, int faceIndex, const std::string& name,
                          const TFaceRule& rule) {
  return ApplyFaceBend(doc, faces, faceIndex, name, [&](std::vector<TFace>& carried, const auto& beforeChange) {
    return ApplyFaceRule(doc.MeshTransformation, doc.SourceBitmap, doc.ViewBitmap, carried, faceIndex, rule,
                         beforeChange);
  });
}

}  // namespace

TFaceEditResult ApplyFaceBend(TDocument& doc, std::vector<TFace>& faces, int faceIndex, const std::string& name,
                              const TFaceBend& bend) {
  if (!doc.ImageLoaded() || faces.empty() || faceIndex >= int(faces.size())) return {};
  doc.GeometryChanged = false;
  doc.TakeUndoSnapshot();
  // One step of the history keeping the tiles of the mesh the bend changes, as a stroke does.
  THistory::TStep step(doc, TChangeScope::Mesh, name);
  std::vector<TFace> carried = faces;
  const TFaceEditResult result = bend(carried, [&doc](const TRect& r) { doc.History.TouchMesh(doc, r); });
  // What was delivered is known only now, and the step's name tells it in the history list.
  step.Rename(HeldStepName(name, result.Limit));
  step.Commit();
  faces = std::move(carried);
  return result;
}

std::string AutoCaricatureStepName(TCaricaturePreset preset) {
  return std::string(kAutoCaricatureStepPrefix) + PresetCaption(preset);
}

int HeldPercent(double limit) {
  // A hair below a whole percent is that percent: 0.72 computed as 0.71999... still reads 72.
  return int(std::floor(std::clamp(limit, 0.0, 1.0) * 100 + 1e-9));
}

std::string HeldBackMessage(double limit) {
  if (!(limit < 1)) return {};
  return "Held to " + std::to_string(HeldPercent(limit)) + " % so that the picture does not fold";
}

std::string HeldStepName(const std::string& name, double limit) {
  if (!(limit < 1)) return name;
  return name + ", held to " + std::to_string(HeldPercent(limit)) + " %";
}

TFaceEditResult ApplyAutoCaricature(TDocument& doc, std::vector<TFace>& faces, int faceIndex,
                                    TCaricaturePreset preset, double strength) {
  if (!(strength > 0)) return {};
  return ApplyRule(doc, faces, faceIndex, AutoCaricatureStepName(preset),
                   [&](const TFace& face) { return PresetShape(face, preset, strength); });
}

TFaceEditResult ApplyFaceSculpt(TDocument& doc, std::vector<TFace>& faces, int faceIndex, const TSculpt& sculpt,
                                const TShapeModel* model) {
  if (sculpt.Empty()) return {};
  return ApplyRule(doc, faces, faceIndex, SculptStepName(sculpt),
                   [&](const TFace& face) { return SculptShape(face, sculpt, model); });
}

TKnownFaces::TState TKnownFaces::StateOf(const TDocument& doc) {
  TState state;
  state.Current = doc.History.Current();
  if (state.Current > 0) {
    state.Step = &doc.History.Step(state.Current);
    state.StepName = state.Step->Name;
  }
  const TBitmap32& picture = doc.ViewBitmap;
  state.Width = picture.Width();
  state.Height = picture.Height();
  uint64_t hash = 1469598103934665603ull;
  constexpr int kSamples = 64;
  for (int j = 0; j < kSamples && !picture.Empty(); ++j)
    for (int i = 0; i < kSamples; ++i) {
      hash ^= picture.Pixel(i * (picture.Width() - 1) / (kSamples - 1), j * (picture.Height() - 1) / (kSamples - 1));
      hash *= 1099511628211ull;
    }
  state.Sample = hash;
  return state;
}

void TKnownFaces::Remember(const TDocument& doc, std::vector<TFace> faces) {
  const TState state = StateOf(doc);
  std::erase_if(Known_, [&](const TKnown& k) { return k.State == state; });
  if (Known_.size() >= kStates) Known_.erase(Known_.begin());
  Known_.push_back({state, std::move(faces)});
}

const std::vector<TFace>* TKnownFaces::For(const TDocument& doc) const {
  if (Known_.empty() || !doc.ImageLoaded()) return nullptr;
  const TState now = StateOf(doc);
  for (auto k = Known_.rbegin(); k != Known_.rend(); ++k)
    if (k->State == now) return k->Faces.empty() ? nullptr : &k->Faces;
  return nullptr;
}

const std::vector<TFace>* TKnownFaces::ShownIn(const TDocument& doc) const {
  if (Known_.empty() || !doc.ImageLoaded()) return nullptr;
  const TState now = StateOf(doc);
  for (auto k = Known_.rbegin(); k != Known_.rend(); ++k)
    if (now.Width == k->State.Width && now.Height == k->State.Height && now.Sample == k->State.Sample)
      return k->Faces.empty() ? nullptr : &k->Faces;
  return nullptr;
}

}  // namespace gs
