// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/LayerSelection.h"

#include "document/Document.h"
#include "document/Layers.h"

#include <gtest/gtest.h>

using namespace gs;

TEST(LayerSelectionTest, TheSelectionAndItsFrameFollowTheLayersThroughDeletesStepsAndFlattening) {
  TDocument doc;
  doc.ReplacePicture(TBitmap32(100, 80, 0xFF808080));
  for (int i = 0; i < 3; ++i) AddPictureLayer(doc, TBitmap32(10, 10, 0xFF00FF00), 20 + 20 * i, 40);
  TRotatableLayer* top = doc.Layers()[2].get();
  doc.Selection().Select(top);
  EXPECT_EQ(doc.Frame.Child(), top);
  EXPECT_EQ(doc.Frame.Location, top->Location);

  DeleteLayer(doc, 0);  // below it: the index follows
  EXPECT_EQ(doc.Selection().Selected(), top);
  EXPECT_EQ(doc.Selection().Index(), 1);
  DeleteLayer(doc, 1);  // the selected one
  EXPECT_EQ(doc.Selection().Selected(), nullptr);
  EXPECT_EQ(doc.Selection().Index(), -1);
  EXPECT_FALSE(doc.Frame.Visible());

  // A layer that is not the document's is never selected.
  TRotatableLayer stranger(TBitmap32(4, 4));
  doc.Selection().Select(&stranger);
  EXPECT_EQ(doc.Selection().Selected(), nullptr);
  EXPECT_FALSE(doc.Frame.Visible());

  // Going through a step brings other layer objects: none of them is selected.
  doc.History.BeginCommand(doc, TChangeScope::Layers);
  AddPictureLayer(doc, TBitmap32(10, 10), 50, 50);
  doc.History.EndCommand(doc, "Clipart");
  doc.Selection().Select(doc.Layers()[0].get());
  doc.History.GoTo(doc, 0);
  EXPECT_EQ(doc.Selection().Selected(), nullptr);
  EXPECT_EQ(doc.Frame.Child(), nullptr);

  doc.Selection().Select(doc.Layers()[0].get());
  FlattenLayers(doc);
  EXPECT_EQ(doc.Selection().Selected(), nullptr);
  EXPECT_FALSE(doc.Frame.Visible());
}
