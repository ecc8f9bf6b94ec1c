// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/History.h"

#include "common/Errors.h"
#include "common/OnAllCores.h"
#include "document/Canvas.h"
#include "document/Document.h"
#include "document/TestFiles.h"
#include "document/Layers.h"
#include "document/PixelTools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <stdexcept>

using namespace gs;

namespace {

// Everything a step may change, to compare states exactly.
struct TState {
  TBitmap32 Source, View;
  TVectorMap Mesh;
  std::vector<TBitmap32> LayerPictures;
  std::vector<TFloatRect> LayerPlaces;
  explicit TState(const TDocument& doc)
      : Source(doc.SourceBitmap), View(doc.ViewBitmap), Mesh(doc.MeshTransformation.VectorMap()) {
    for (const auto& layer : doc.Layers()) {
      LayerPictures.push_back(layer->Bitmap);
      LayerPlaces.push_back(layer->Location);
    }
  }
  bool operator==(const TState& o) const {
    return Source == o.Source && View == o.View && Mesh == o.Mesh && LayerPictures == o.LayerPictures &&
           LayerPlaces == o.LayerPlaces;
  }
};

class HistoryTest : public ::testing::Test {
protected:
  HistoryTest() {
    Doc.Open(TLoadedPicture{test::Stripes(300, 200)});
    Doc.ZoomPercent = 100;
    States.emplace_back(Doc);
  }
  // A press, a drag through the points and a release, as the window records it.
  void Stroke(TToolMode brush, int size, std::initializer_list<TPointF> points) {
    Doc.Brushes.SetSize(size);
    if (Doc.ToolMode != brush) Doc.Brushes.Choose(brush);
    Doc.History.BeginStroke(Doc);
    const TButtons left{true, false, false};
    Doc.Brushes.Press(TPointer{*points.begin(), left, false});
    for (const TPointF& p : points) Doc.Brushes.Move(TPointer{p, left, false});
    Doc.Brushes.Tick();
    Doc.Brushes.Release();
    Doc.History.EndStroke(Doc, "stroke");
    States.emplace_back(Doc);
  }
  void Command(TChangeScope scope, const std::function<void()>& change) {
    Doc.History.BeginCommand(Doc, scope);
    change();
    Doc.History.EndCommand(Doc, "command");
    States.emplace_back(Doc);
  }
  void ExpectEveryStateComesBack() {
    for (int k : {0, 3, 1, int(States.size()) - 1, 2, 0, int(States.size()) - 1}) {
      if (k >= int(States.size())) continue;
      Doc.History.GoTo(Doc, k);
      ASSERT_EQ(Doc.History.Current(), k);
      const TState now(Doc);
      const TState& then = States[size_t(k)];
      EXPECT_TRUE(now == then) << "state " << k << ": source " << (now.Source == then.Source) << " view "
                               << (now.View == then.View) << " mesh " << (now.Mesh == then.Mesh) << " layers "
                               << (now.LayerPictures == then.LayerPictures && now.LayerPlaces == then.LayerPlaces);
    }
  }

  TDocument Doc;
  std::vector<TState> States;
};

}  // namespace

TEST_F(HistoryTest, EveryKindOfStepGoesBackAndForwardToTheSamePictures) {
  Stroke(TToolMode::Warp, 41, {{100, 100}, {120, 110}});
  Stroke(TToolMode::Twirl, 31, {{200, 60}});
  Command(TChangeScope::Layers, [&] { AddPictureLayer(Doc, TBitmap32(20, 10, 0xFF00FF00), 50, 50); });
  Command(TChangeScope::Picture, [&] { RotateCanvas(Doc, TRotation::Clockwise); });
  Stroke(TToolMode::Putty, 25, {{60, 60}, {70, 80}, {75, 100}});
  // The pixel tools: entering one bakes the warp; a dab changes a rectangle.
  Command(TChangeScope::Picture, [&] { PrepareMirror(Doc); Doc.ToolMode = TToolMode::Eraser; });
  Doc.History.BeginStroke(Doc);
  Doc.History.TouchPixels(Doc, TRect{10, 10, 31, 31});
  PixelStamp(Doc, TPoint{10, 10}, 20, TStampKind::Erase);
  Doc.History.EndStroke(Doc, "dab");
  States.emplace_back(Doc);
  Doc.ToolMode = TToolMode::None;
  ASSERT_EQ(Doc.History.Count(), 7);
  ExpectEveryStateComesBack();
}

TEST_F(HistoryTest, ANewChangeAfterSteppingBackDropsTheStepsAhead) {
  Stroke(TToolMode::Warp, 41, {{100, 100}});
  Stroke(TToolMode::Warp, 41, {{150, 100}});
  Stroke(TToolMode::Warp, 41, {{200, 100}});
  Doc.History.GoTo(Doc, 1);
  States.erase(States.begin() + 2, States.end());
  Stroke(TToolMode::Twirl, 41, {{50, 50}});
  EXPECT_EQ(Doc.History.Count(), 2);
  EXPECT_FALSE(Doc.History.CanStepForward());
  ExpectEveryStateComesBack();
  // A stroke that changes nothing is no step.
  Doc.History.BeginStroke(Doc);
  Doc.History.EndStroke(Doc, "nothing");
  EXPECT_EQ(Doc.History.Count(), 2);
}

TEST_F(HistoryTest, AStrokeKeepsOnlyItsTilesAndTheBudgetDropsTheOldestSteps) {
  Stroke(TToolMode::Warp, 41, {{100, 100}});
  // The stamp's 41 x 41 square lies in at most four 64-pixel tiles of 8-byte cells.
  EXPECT_LT(Doc.History.Bytes(), size_t(4 * 64 * 64 * 8));
  for (int i = 0; i < 5; ++i) Stroke(TToolMode::Warp, 41, {{40.0 + 40 * i, 150}});
  const size_t one = Doc.History.Step(6).Bytes();
  Doc.History.SetBudget(one * 3);
  EXPECT_LE(Doc.History.Bytes(), one * 3 + one);
  EXPECT_EQ(Doc.History.Current(), Doc.History.Count());  // the picture shown stays
  EXPECT_GE(Doc.History.Count(), 1);
  EXPECT_EQ(Doc.History.StartName, "Earlier steps");
  Doc.History.SetBudget(0);
  EXPECT_EQ(Doc.History.Count(), 1);  // never the current one
  EXPECT_TRUE(TState(Doc) == States.back());
}

TEST_F(HistoryTest, AStepThatThrowsLeavesTheDocumentAsItWasAndRecordsNothing) {
  Stroke(TToolMode::Warp, 41, {{100, 100}});  // a warped picture to come back to
  AddPictureLayer(Doc, TBitmap32(20, 10, 0xFF00FF00), 50, 50);
  const TState before(Doc);
  const struct {
    TChangeScope Scope;
    std::function<void()> Change;
  } changes[] = {
      {TChangeScope::Picture, [&] { RotateCanvas(Doc, TRotation::Clockwise); }},
      {TChangeScope::Picture, [&] { ResetWarp(Doc); }},
      {TChangeScope::Layers, [&] { AddPictureLayer(Doc, TBitmap32(8, 8), 20, 20); }},
      {TChangeScope::Layers, [&] { Doc.Layers()[0]->Location.Left += 5; }},
      {TChangeScope::Mesh, [&] { Doc.Brushes.ApplyAt(TPoint{150, 80}); }},
  };
  for (const auto& c : changes) {
    const int count = Doc.History.Count();
    EXPECT_THROW(
        {
          THistory::TStep step(Doc, c.Scope, "failing");
          c.Change();
          throw std::runtime_error("half way");
        },
        std::runtime_error);
    EXPECT_TRUE(TState(Doc) == before);
    EXPECT_EQ(Doc.ImageWidth(), 300);
    EXPECT_EQ(Doc.History.Count(), count);
    EXPECT_FALSE(Doc.History.InStroke());
    // The same change committed is one step.
    {
      THistory::TStep step(Doc, c.Scope, "done");
      c.Change();
      step.Commit();
    }
    const int current = Doc.History.Current();
    EXPECT_EQ(current, 2);  // after the stroke
    EXPECT_EQ(Doc.History.Step(current).Name, "done");
    Doc.History.GoTo(Doc, 1);
    EXPECT_TRUE(TState(Doc) == before);
  }
}

// A change too big to pack while the user waits (a face bent whole) is a step at once and is
// packed on a worker: going there and back gives the same pictures raw, packed, and between.
TEST_F(HistoryTest, ABigStrokePackedOnAWorkerGoesBackAndForwardExactly) {
  Doc.Open(TLoadedPicture{test::Stripes(2000, 1200)});
  States.assign(1, TState(Doc));
  const TRect all{0, 0, 2000, 1200};
  Doc.History.BeginStroke(Doc);
  Doc.History.TouchMesh(Doc, all);
  TVectorMap& map = Doc.MeshTransformation.VectorMap();
  for (int y = 1; y < 1199; ++y)
    for (int x = 1; x < 1999; ++x)
      map.Vector(x, y) = TFixedVector{TFixed(40000 * std::sin(x * 0.01) * std::sin(y * 0.013)), TFixed(-3 * x + 5 * y)};
  Doc.MeshTransformation.ClearAndRender(Doc.ViewBitmap, Doc.SourceBitmap, all);
  Doc.History.EndStroke(Doc, "face");
  States.emplace_back(Doc);
  ASSERT_EQ(Doc.History.Count(), 1);
  EXPECT_TRUE(Doc.History.Modified());
  const size_t raw = Doc.History.Bytes();
  EXPECT_GT(raw, THistory::kPackLaterBytes);
  ExpectEveryStateComesBack();
  Doc.History.FinishPacking();
  EXPECT_FALSE(Doc.History.Step(1).Packing());
  EXPECT_LT(Doc.History.Bytes(), raw / 4);
  ExpectEveryStateComesBack();
}

// A face bent whole is compared and packed on every core: with no thread to be had, the change
// is still one step that goes back, and the picture counts as changed.
TEST_F(HistoryTest, AStrokeEndedWithoutHelperThreadsIsStillAStep) {
  const TRect all{0, 0, 300, 200};
  {
    THistory::TStep step(Doc, TChangeScope::Mesh, "face");
    Doc.History.TouchMesh(Doc, all);
    Doc.MeshTransformation.VectorMap().Vector(150, 100) = TFixedVector{TFixed(5 << 16), TFixed(3 << 16)};
    Doc.MeshTransformation.ClearAndRender(Doc.ViewBitmap, Doc.SourceBitmap, all);
    HelperThreadsRefused = true;
    EXPECT_NO_THROW(step.Commit());
    HelperThreadsRefused = false;
  }
  States.emplace_back(Doc);
  ASSERT_FALSE(States[0] == States[1]);
  EXPECT_EQ(Doc.History.Count(), 1);
  EXPECT_TRUE(Doc.History.Modified());
  HelperThreadsRefused = true;
  ExpectEveryStateComesBack();
  HelperThreadsRefused = false;
}

// A step whose kept bits cannot be unpacked (memory ran out, or they were damaged) is not gone
// to at all: the tiles flipped before the failure are put back and the index stays.
TEST_F(HistoryTest, AStepThatFailsHalfWayLeavesTheIndexAndThePictureTogether) {
  const TRect all{0, 0, 300, 200};
  Doc.History.BeginStroke(Doc);
  Doc.History.TouchMesh(Doc, all);
  TVectorMap& map = Doc.MeshTransformation.VectorMap();
  for (int y = 1; y < 199; ++y)
    for (int x = 1; x < 299; ++x) map.Vector(x, y) = TFixedVector{TFixed(x * 300), TFixed(-y * 200)};
  Doc.MeshTransformation.ClearAndRender(Doc.ViewBitmap, Doc.SourceBitmap, all);
  Doc.History.EndStroke(Doc, "face");
  const TState bent(Doc);
  auto& step = const_cast<THistoryStep&>(Doc.History.Step(1));
  ASSERT_GT(step.Patches.size(), 16u);
  THistoryStep::TPatch& last = step.Patches.back();
  ASSERT_FALSE(last.Raw);
  last.Packed[last.Packed.size() / 2] ^= 0xFF;
  EXPECT_THROW(Doc.History.GoTo(Doc, 0), Exception);
  EXPECT_EQ(Doc.History.Current(), 1);
  EXPECT_TRUE(TState(Doc) == bent);
}
