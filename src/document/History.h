// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// THistory: every change of the document as a named step the user can go back and forward
// through. A step keeps only what its change touched.
//  - A stroke keeps, for the tiles of the mesh (or, for the pixel tools, of the pictures) it
//    touched, the bits it flipped: flipping them again goes back, and once more forward.
// A command keeps one side of its change, the side the document is not showing; going to the
// step swaps that side with the document's, so the step then holds the other side.
//  - A layer command keeps the layers.
//  - A command on the whole picture (a filter, a canvas operation, Undo) keeps the picture.

#include "codecs/Picture.h"
#include "common/Bitmap32.h"
#include "common/Geometry.h"
#include "layers/PictureLayer.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace gs {

class TDocument;

// What a change may change, and so what its step keeps.
enum class TChangeScope {
  Layers,   // the layers
  Picture,  // the whole picture with its mesh, and the layers
  Mesh,     // the tiles of the mesh it touches (THistory::TouchMesh), as a stroke keeps them
};

// One side of a change: rectangles of the mesh or the pictures, and the whole picture or the
// layers where a command changed those.
class THistoryStep {
public:
  explicit THistoryStep(std::string name);
  ~THistoryStep();
  THistoryStep(const THistoryStep&) = delete;
  THistoryStep& operator=(const THistoryStep&) = delete;

  std::string Name;

  // Takes the document to the other side of the change; adds the picture area to re-render
  // from the mesh.
  void Swap(TDocument& doc, std::vector<TRect>& rerender);
  size_t Bytes() const;

  enum class TPlane { Mesh, Source, View };
  struct TPatch {
    TPlane Plane;
    TRect Rect;
    TBytes Packed;  // the bits the change flipped in the cells or pixels, grouped by byte, deflated
    bool Raw = false;  // Packed holds the flipped bits as they are, not yet packed
  };
  std::vector<TPatch> Patches;

  // A step too big to pack while the user waits keeps its patches raw and packs them on a
  // worker; until Settle takes the worker's results the raw patches serve as they are.
  void PackLater();
  bool Packing() const { return Packing_ != nullptr; }
  // Takes what the worker packed once it is done, or at once waiting for it. Patches the
  // worker could not pack stay raw.
  void Settle(bool wait);

  struct TWhole {
    bool Picture = false;
    TBitmap32 Source, View;
    TBytes PackedMesh;
    int ImageWidth = 0, ImageHeight = 0;
    bool Layers = false;
    std::vector<std::unique_ptr<TRotatableLayer>> LayerList;
    std::vector<TLayerBmp> Records;
  };
  std::unique_ptr<TWhole> Whole;

private:
  struct TPacking;
  std::unique_ptr<TPacking> Packing_;
};

class THistory {
public:
  // The one way to record a change as a step:
  //   THistory::TStep step(doc, scope, name);  ...change the document...  step.Commit();
  // What the scope covers is kept as the step begins; Commit adds the step when the change did
  // anything. A step left without Commit (the change threw) records nothing and puts the
  // document back as it was kept, so nothing is changed behind the history's back. Steps may
  // nest: the outermost one decides.
  class TStep {
  public:
    TStep(TDocument& doc, TChangeScope scope, std::string name);
    ~TStep();
    TStep(const TStep&) = delete;
    TStep& operator=(const TStep&) = delete;
    // For a name that tells what the change turned out to do; before Commit.
    void Rename(std::string name) { Name_ = std::move(name); }
    void Commit();

  private:
    TDocument& Doc_;
    TChangeScope Scope_;
    std::string Name_;
    bool Open_ = true;
  };

  static constexpr size_t kDefaultBudget = size_t(512) << 20;
  static constexpr int kTile = 64;
  // A stroke keeping more than this many bytes of tiles is packed on a worker once it is a
  // step: a face bent whole on 24 megapixels keeps 160 MB, a second of deflating.
  static constexpr size_t kPackLaterBytes = size_t(16) << 20;

  // The name of the state the history starts from.
  std::string StartName = "Open";

  // Forgets every step: a new picture starts a new history.
  void Clear();
  void SetBudget(size_t bytes);
  size_t Budget() const { return Budget_; }
  size_t Bytes() const;

  // Steps and where the document is: 0 shows the start, k the state after step k.
  int Count() const { return int(Steps_.size()); }
  int Current() const { return Current_; }
  const THistoryStep& Step(int k) const { return *Steps_[size_t(k) - 1]; }
  bool CanStepBack() const { return Current_ > 0; }
  bool CanStepForward() const { return Current_ < Count(); }
  // Goes to state k (0..Count()); returns the part of the picture to repaint.
  TRect GoTo(TDocument& doc, int k);
  // Waits for the steps still being packed on a worker (see THistoryStep::PackLater).
  void FinishPacking();

  // A stroke: the tiles it touches are kept as they were at its start.
  void BeginStroke(const TDocument& doc);
  void TouchMesh(const TDocument& doc, const TRect& rect);
  void TouchPixels(const TDocument& doc, const TRect& rect);
  // Adds the stroke as a step when it changed anything.
  void EndStroke(const TDocument& doc, const std::string& name);
  bool InStroke() const { return Stroke_ != nullptr; }

  // A command: what it may change is kept before it runs, and becomes a step when it changed.
  void BeginCommand(const TDocument& doc, TChangeScope scope);
  void EndCommand(const TDocument& doc, const std::string& name);
  // Drops the command or stroke under way and puts back what it kept.
  void AbandonCommand(TDocument& doc);
  void AbandonStroke(TDocument& doc);

  // Whether the document differs from what its file holds: the state it shows against the one
  // it was opened or last saved in. A stroke under way is a change.
  bool Modified() const { return InStroke() || Current_ != Saved_; }
  // What the document shows now is what its file holds; during a command, what it will show
  // when the command has ended.
  void MarkSaved();
  // No state of the history is what a file holds (work brought back from elsewhere).
  void MarkUnsaved() { Saved_ = kNowhere; }

private:
  static constexpr int kNowhere = -1;

  void Add(std::unique_ptr<THistoryStep> step);
  void Trim();
  void Touch(const TDocument& doc, THistoryStep::TPlane plane, const TRect& rect);

  std::vector<std::unique_ptr<THistoryStep>> Steps_;
  int Current_ = 0;
  int Saved_ = 0;  // the state the file holds, or kNowhere
  bool SavedAfterCommand_ = false;
  size_t Budget_ = kDefaultBudget;

  struct TPending;
  std::shared_ptr<TPending> Stroke_;
  std::shared_ptr<TPending> Command_;
};

}  // namespace gs
