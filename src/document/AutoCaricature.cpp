#include "document/AutoCaricature.h"

#include "document/Document.h"

namespace gs {

namespace {
constexpr const char* kAutoCaricatureStepPrefix = "Auto Caricature: ";
}  // namespace

std::string AutoCaricatureStepName(TCaricaturePreset preset) {
  return std::string(kAutoCaricatureStepPrefix) + PresetCaption(preset);
}

TRect ApplyAutoCaricature(TDocument& doc, const std::vector<TFace>& faces, int faceIndex,
                          TCaricaturePreset preset, double strength) {
  const std::vector<TWarpOperation> ops = PlanForFaces(faces, faceIndex, preset, strength);
  if (ops.empty() || !doc.ImageLoaded()) return TRect{};
  doc.GeometryChanged = false;
  doc.TakeUndoSnapshot();
  // Only the tiles of the mesh it bends are kept, as for a brush stroke.
  THistory::TStep step(doc, TChangeScope::Mesh, AutoCaricatureStepName(preset));
  const TRect changed = ApplyWarpOperations(doc.MeshTransformation, doc.SourceBitmap, doc.ViewBitmap, ops,
                                            [&doc](const TRect& r) { doc.History.TouchMesh(doc, r); });
  step.Commit();
  return changed;
}

}  // namespace gs
