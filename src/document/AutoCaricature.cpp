#include "document/AutoCaricature.h"

#include "document/Document.h"

namespace gs {

std::string AutoCaricatureStepName(TCaricaturePreset preset) {
  return std::string("Auto Caricature: ") + PresetCaption(preset);
}

TRect ApplyAutoCaricature(TDocument& doc, const std::vector<TFace>& faces, int faceIndex,
                          TCaricaturePreset preset, double strength) {
  const std::vector<TWarpOperation> ops = PlanForFaces(faces, faceIndex, preset, strength);
  if (ops.empty() || !doc.ImageLoaded()) return TRect{};
  doc.GeometryChanged = false;
  doc.TakeUndoSnapshot();
  doc.History.BeginStroke(doc);
  TRect changed;
  try {
    changed = ApplyWarpOperations(doc.MeshTransformation, doc.SourceBitmap, doc.ViewBitmap, ops,
                                  [&doc](const TRect& r) { doc.History.TouchMesh(doc, r); });
  } catch (...) {
    // What was bent before the failure is still a step the user can take back.
    doc.History.EndStroke(doc, AutoCaricatureStepName(preset));
    throw;
  }
  doc.History.EndStroke(doc, AutoCaricatureStepName(preset));
  return changed;
}

}  // namespace gs
