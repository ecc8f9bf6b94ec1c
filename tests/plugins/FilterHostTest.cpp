// SPDX-License-Identifier: GPL-3.0-or-later
// The filter host against plug-ins: in-process ones scripted by the test for the exact buffers
// and records, and the test modules for the calls across a real module boundary.

#include "PluginTestKit.h"
#include "plugins/GrimacerSuites.h"
#include "plugins/PSFilterHost.h"
#include "plugins/PluginList.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>

namespace gs {
namespace {

using test::TestModule;
using TScript = std::function<void(int16_t selector, FilterRecord& r, intptr_t* data, int16_t& result)>;

TScript& Script() {
  static TScript script;
  return script;
}

extern "C" void ScriptedEntry(int16_t selector, FilterRecord* r, intptr_t* data, int16_t* result) {
  if (Script()) Script()(selector, *r, data, *result);
}

uint8_t Plane(TColor32 pixel, int plane) { return uint8_t(pixel >> (8 * (2 - plane))); }

class FilterHostTest : public ::testing::Test {
protected:
  void SetUp() override { Original = Image; }
  void TearDown() override { Script() = nullptr; }

  void Bind(TScript script) {
    Script() = std::move(script);
    Host.BindEntry(Filter, &ScriptedEntry);
    Host.Image = &Image;
    Host.Backup = Image;
  }

  TPIPLManager Filter;
  TPSFilterHost Host;
  TBitmap32 Image = test::Pattern(40, 30);
  TBitmap32 Original;
};

TEST_F(FilterHostTest, RecordDescribesThePictureAndTheHost) {
  TByteMap mask;
  mask.SetSize(40, 30, 255);
  Host.Mask = &mask;
  Host.BackColor = 0x0000FF;  // red as a Windows colour
  FilterRecord seen{};
  Bind([&](int16_t selector, FilterRecord& r, intptr_t*, int16_t&) {
    if (selector == filterSelectorStart) seen = r;
  });
  ASSERT_TRUE(Host.Execute());
  EXPECT_EQ(seen.imageSize.h, 40);
  EXPECT_EQ(seen.imageSize.v, 30);
  EXPECT_EQ(seen.filterRect.right, 40);
  EXPECT_EQ(seen.filterRect.bottom, 30);
  EXPECT_EQ(seen.planes, 3);
  EXPECT_EQ(seen.hostSig, 0x56524C4Eu);  // VRLN
  EXPECT_EQ(seen.imageHRes, 72 << 16);
  EXPECT_TRUE(seen.haveMask);
  EXPECT_TRUE(seen.autoMask);
  EXPECT_EQ(seen.filterCase, 2);
  EXPECT_EQ(seen.backColor[0], 255);
  EXPECT_EQ(seen.backColor[2], 0);
  EXPECT_EQ(seen.inTileWidth, 40);
  EXPECT_EQ(seen.depth, 8);
  EXPECT_GT(seen.maxSpace, 0);
  ASSERT_NE(seen.handleProcs, nullptr);
  EXPECT_EQ(seen.handleProcs->numHandleProcs, 7);
  EXPECT_EQ(Image, Original);
}

TEST_F(FilterHostTest, InputRequestIsPlaneInterleavedRedFirstAndReusedWithoutCopy) {
  std::vector<uint8_t> first;
  int32_t rowBytes = 0, columnBytes = 0, planeBytes = 0;
  const uint8_t* firstData = nullptr;
  const uint8_t* secondData = nullptr;
  int32_t secondRowBytes = 0;
  int calls = 0;
  Bind([&](int16_t selector, FilterRecord& r, intptr_t*, int16_t&) {
    if (selector == filterSelectorStart) {
      r.inRect = Rect{0, 0, 10, 20};
      r.inLoPlane = 0;
      r.inHiPlane = 2;
    } else if (selector == filterSelectorContinue && calls++ == 0) {
      firstData = static_cast<const uint8_t*>(r.inData);
      first.assign(firstData, firstData + 600);
      rowBytes = r.inRowBytes;
      columnBytes = r.inColumnBytes;
      planeBytes = r.inPlaneBytes;
      r.inRect = Rect{2, 5, 6, 15};
    } else if (selector == filterSelectorContinue) {
      secondData = static_cast<const uint8_t*>(r.inData);
      secondRowBytes = r.inRowBytes;
      r.inRect = Rect{};
    }
  });
  ASSERT_TRUE(Host.Execute());
  EXPECT_EQ(rowBytes, 60);
  EXPECT_EQ(columnBytes, 3);
  EXPECT_EQ(planeBytes, 1);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x)
      for (int p = 0; p < 3; ++p) ASSERT_EQ(first[size_t(y * 60 + x * 3 + p)], Plane(Original.Pixel(x, y), p));
  EXPECT_EQ(secondData, firstData + 3 * (5 + 2 * 20));
  EXPECT_EQ(secondRowBytes, 60);
}

TEST_F(FilterHostTest, SampledInputStepsThroughTheBackupAndLeavesOutsideCellsZero) {
  std::vector<uint8_t> cells;
  Bind([&](int16_t selector, FilterRecord& r, intptr_t*, int16_t&) {
    if (selector == filterSelectorStart) {
      r.inRect = Rect{3, 5, 8, 25};  // at step 2 columns 20.. lie beyond the picture's 40
      r.inLoPlane = 1;
      r.inHiPlane = 2;
      r.inputRate = (2 << 16) | 0x8000;  // only the integer part counts
    } else if (selector == filterSelectorContinue) {
      EXPECT_EQ(r.inRowBytes, 2 * 20);
      cells.assign(static_cast<uint8_t*>(r.inData), static_cast<uint8_t*>(r.inData) + 2 * 20 * 5);
      r.inRect = Rect{};
    }
  });
  ASSERT_TRUE(Host.Execute());
  // Cell (row 0, column 1) comes from pixel (12, 6); its first byte is plane 1, green.
  EXPECT_EQ(cells[2], Plane(Original.Pixel(12, 6), 1));
  EXPECT_EQ(cells[3], Plane(Original.Pixel(12, 6), 2));
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 20; ++c) {
      const bool inside = 2 * (5 + c) < 40;
      const uint8_t green = cells[size_t(r * 40 + c * 2)];
      if (inside) EXPECT_EQ(green, Plane(Original.Pixel(2 * (5 + c), 2 * (3 + r)), 1)) << r << "," << c;
      else EXPECT_EQ(green, 0) << r << "," << c;
    }
}

TEST_F(FilterHostTest, OutputReachingOutsideThePictureIsClippedOnWriteBack) {
  std::vector<uint8_t> delivered;
  Bind([&](int16_t selector, FilterRecord& r, intptr_t*, int16_t&) {
    if (selector == filterSelectorStart) {
      r.outRect = Rect{-2, 35, 3, 45};
      r.outLoPlane = 0;
      r.outHiPlane = 2;
    } else if (selector == filterSelectorContinue) {
      auto* data = static_cast<uint8_t*>(r.outData);
      delivered.assign(data, data + 3 * 10 * 5);
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x) {
          uint8_t* cell = data + y * r.outRowBytes + x * 3;
          cell[0] = uint8_t(100 + x);
          cell[1] = uint8_t(200 + y);
          cell[2] = 7;
        }
      r.outRect = Rect{};
    }
  });
  ASSERT_TRUE(Host.Execute());
  EXPECT_EQ(delivered[0], 0);                                   // row -2: outside
  EXPECT_EQ(delivered[2 * 30 + 0], Plane(Original.Pixel(35, 0), 0));  // row 0, column 35
  EXPECT_EQ(delivered[2 * 30 + 5 * 3], 0);                       // column 40: outside
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const TColor32 before = Original.Pixel(x, y);
      if (y < 3 && x >= 35)
        ASSERT_EQ(Image.Pixel(x, y), Color32(uint8_t(100 + x - 35), uint8_t(200 + y + 2), 7, AlphaOf(before)));
      else
        ASSERT_EQ(Image.Pixel(x, y), before) << x << "," << y;
    }
}

TEST_F(FilterHostTest, AutoMaskFollowsFilterCaseInfoAndBlendsByTheMask) {
  TByteMap mask;
  mask.SetSize(40, 30, 255);
  mask.Bits[0] = 0;    // pixel (0, 0) unselected
  mask.Bits[1] = 128;  // pixel (1, 0) half selected
  Host.Mask = &mask;
  bool autoMask = false;
  auto whiten = [&](int16_t selector, FilterRecord& r, intptr_t*, int16_t&) {
    if (selector == filterSelectorStart) {
      autoMask = r.autoMask;
      r.outRect = Rect{0, 0, 1, 2};
      r.outHiPlane = 2;
    } else if (selector == filterSelectorContinue) {
      std::memset(r.outData, 255, 6);
      r.outRect = Rect{};
    }
  };
  Bind(whiten);
  ASSERT_TRUE(Host.Execute());
  EXPECT_TRUE(autoMask);
  EXPECT_EQ(Image.Pixel(0, 0), Original.Pixel(0, 0));
  const TColor32 o = Original.Pixel(1, 0);
  EXPECT_EQ(Image.Pixel(1, 0), Color32(uint8_t((255 * 128 + RedOf(o) * 127 + 127) / 255),
                                       uint8_t((255 * 128 + GreenOf(o) * 127 + 127) / 255),
                                       uint8_t((255 * 128 + BlueOf(o) * 127 + 127) / 255), AlphaOf(o)));

  // Record 3 (the host's filter case) says the filter writes outside the selection itself.
  const uint8_t fici[] = {1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 8, 0};
  Filter.SetProperty(kPropFilterCaseInfo, fici, sizeof fici);
  Image = Original;
  Bind(whiten);
  ASSERT_TRUE(Host.Execute());
  EXPECT_FALSE(autoMask);
  EXPECT_EQ(Image.Pixel(0, 0), Color32(255, 255, 255, AlphaOf(Original.Pixel(0, 0))));

  // A case record cut short counts as no information.
  Filter.SetProperty(kPropFilterCaseInfo, fici, 10);
  Bind(whiten);
  ASSERT_TRUE(Host.Execute());
  EXPECT_TRUE(autoMask);
}

TEST_F(FilterHostTest, ParametersAreKeptForTheLastFilterAndDroppedOnCancel) {
  std::vector<int16_t> selectors;
  Handle seenParameters = nullptr;
  bool cancel = false;
  Host.OnTestAbort = [&](TPSFilterHost&, bool& abort) { abort = abort || cancel; };
  Bind([&](int16_t selector, FilterRecord& r, intptr_t*, int16_t&) {
    selectors.push_back(selector);
    if (selector == filterSelectorParameters) {
      r.parameters = r.handleProcs->newProc(4);
      *r.handleProcs->lockProc(r.parameters, 0) = 9;
      r.handleProcs->unlockProc(r.parameters);
    }
    if (selector == filterSelectorStart) {
      seenParameters = r.parameters;
      r.outRect = Rect{0, 0, 30, 40};
      r.outHiPlane = 2;
    }
    if (selector == filterSelectorContinue) {
      std::memset(r.outData, 0, size_t(r.outRowBytes) * 30);
      r.outRect = Rect{};
      if (cancel && r.abortProc()) return;
    }
  });
  ASSERT_TRUE(Host.Execute());
  const Handle saved = Host.SavedParameters();
  ASSERT_TRUE(IsGlobalHandle(saved));
  EXPECT_EQ(seenParameters, saved);

  selectors.clear();
  Host.ExecuteLastFilter = true;
  ASSERT_TRUE(Host.Execute());
  EXPECT_EQ(selectors, (std::vector<int16_t>{2, 3, 4, 5}));
  EXPECT_EQ(seenParameters, saved);

  cancel = true;
  Image = Original;
  Host.Backup = Original;
  EXPECT_FALSE(Host.Execute());
  EXPECT_EQ(Image, Original);
  EXPECT_EQ(Host.SavedParameters(), nullptr);
  EXPECT_FALSE(IsGlobalHandle(saved));

  cancel = false;
  ASSERT_TRUE(Host.Execute());  // the last filter again, now without parameters
  EXPECT_EQ(seenParameters, nullptr);
}

TEST_F(FilterHostTest, ResultCodesBecomeMessagesOrSilentAborts) {
  EXPECT_NO_THROW(TPSFilterHost::CheckResult(0));
  EXPECT_THROW(TPSFilterHost::CheckResult(1), EFilterAborted);
  EXPECT_THROW(TPSFilterHost::CheckResult(-128), EFilterAborted);
  auto message = [](int16_t code) {
    try {
      TPSFilterHost::CheckResult(code);
    } catch (const EPhotoshopError& e) {
      return std::string(e.what());
    }
    return std::string("(no error)");
  };
  EXPECT_EQ(message(-30100), "The plug-in received an erroneous parameter block.");
  EXPECT_EQ(message(-1), "Unknown plug-in error.");
  EXPECT_EQ(message(-32768), "Unknown plug-in error.");
  std::set<std::string> distinct;
  for (int16_t code : {-30901, -30900, -30101, -30100, -111, -109, -108, -50, -46, -45, -43, -39, -36, -34, -23,
                       -20, -19}) {
    const std::string text = message(code);
    EXPECT_NE(text, "Unknown plug-in error.") << code;
    distinct.insert(text);
  }
  EXPECT_EQ(distinct.size(), 17u);
}

TEST_F(FilterHostTest, HandlerExceptionsWaitForThePluginToReturn) {
  bool pluginFinishedItsCall = false;
  Host.OnProgress = [](TPSFilterHost&, int32_t, int32_t) { throw Exception("progress window gone"); };
  Bind([&](int16_t selector, FilterRecord& r, intptr_t*, int16_t&) {
    if (selector != filterSelectorPrepare) return;
    r.progressProc(1, 2);
    EXPECT_TRUE(r.abortProc());  // the run is doomed: the plug-in is told to stop
    pluginFinishedItsCall = true;
  });
  try {
    Host.Execute();
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "progress window gone");
  }
  EXPECT_TRUE(pluginFinishedItsCall);
}

TEST_F(FilterHostTest, SuitesRefuseWhatTheyCannotDoAndReclaimForgottenBuffers) {
  const size_t before = GlobalHandleCount();
  Bind([&](int16_t selector, FilterRecord& r, intptr_t*, int16_t&) {
    if (selector != filterSelectorStart) return;
    BufferID id = nullptr;
    EXPECT_EQ(r.bufferProcs->allocateProc(0x7FFFFFFF, &id), memFullErr);
    EXPECT_EQ(r.bufferProcs->allocateProc(0, &id), nilHandleErr);
    EXPECT_EQ(r.bufferProcs->allocateProc(64, &id), noErr);  // never freed
    int local = 0;
    EXPECT_EQ(r.handleProcs->setSizeProc(reinterpret_cast<Handle>(&local), 100), nilHandleErr);
    EXPECT_EQ(r.handleProcs->lockProc(reinterpret_cast<Handle>(&local), 0), nullptr);
    r.handleProcs->disposeProc(reinterpret_cast<Handle>(&local));
    const void* suite = &local;
    EXPECT_NE(r.sSPBasic->AcquireSuite("Some Other Suite", 1, &suite), 0);
    EXPECT_EQ(suite, nullptr);
    EXPECT_NE(r.sSPBasic->AcquireSuite(kGSDialogSuite, 1, &suite), 0);  // no dialog handler
    intptr_t simple = 0;
    EXPECT_EQ(r.propertyProcs->getPropertyProc(0, 0, 0, &simple, nullptr), errPlugInHostInsufficient);
    Rect bad{0, 0, 10, 10};
    r.inRect = bad;
    r.inLoPlane = 2;
    r.inHiPlane = 1;
    EXPECT_EQ(r.advanceState(), paramErr);
    r.inRect = Rect{};
    EXPECT_EQ(local, 0);
  });
  ASSERT_TRUE(Host.Execute());
  EXPECT_EQ(GlobalHandleCount(), before);
}

TEST_F(FilterHostTest, DisplayedPixelsAreReadOnlyInsideThePluginsMap) {
  // A 4 x 3 map of red, green, blue, pad cells whose bounds start at (10, 20).
  std::vector<uint8_t> map(3 * 4 * 4);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      uint8_t* cell = &map[size_t(y * 16 + x * 4)];
      cell[0] = uint8_t(x);
      cell[1] = uint8_t(y);
      cell[2] = 200;
    }
  TBitmap32 drawn;
  TPoint at;
  Host.OnDrawPixels = [&](TPSFilterHost&, const TBitmap32& pixels, int x, int y) {
    drawn = pixels;
    at = {x, y};
  };
  OSErr shown = -1;
  Bind([&](int16_t selector, FilterRecord& r, intptr_t*, int16_t&) {
    if (selector != filterSelectorStart) return;
    PSPixelMap source{};
    source.bounds = VRect{10, 20, 13, 24};
    source.imageMode = plugInModeRGBColor;
    source.rowBytes = 16;
    source.colBytes = 4;
    source.planeBytes = 1;
    source.baseAddr = map.data();
    const VRect wanted{11, 22, 20, 30};  // reaches past the map's bottom and right
    shown = r.displayPixels(&source, &wanted, 5, 6, nullptr);
  });
  ASSERT_TRUE(Host.Execute());
  EXPECT_EQ(shown, noErr);
  ASSERT_EQ(drawn.Width(), 2);
  ASSERT_EQ(drawn.Height(), 2);
  EXPECT_EQ(at, (TPoint{6, 5}));
  EXPECT_EQ(drawn.Pixel(0, 0), Color32(2, 1, 200));
  EXPECT_EQ(drawn.Pixel(1, 1), Color32(3, 2, 200));
}

TEST_F(FilterHostTest, DisplayedMapsOfEveryLayoutAreClippedToThePicture) {
  std::vector<std::pair<TBitmap32, TPoint>> drawn;
  Host.OnDrawPixels = [&](TPSFilterHost&, const TBitmap32& pixels, int x, int y) { drawn.push_back({pixels, {x, y}}); };
  // 2 x 2 pixels, planar: a plane of red, then one of green, then one of blue.
  const uint8_t planar[12] = {1, 2, 3, 4, 11, 12, 13, 14, 21, 22, 23, 24};
  const uint8_t gray[4] = {50, 60, 70, 80};
  std::vector<OSErr> shown;
  Bind([&](int16_t selector, FilterRecord& r, intptr_t*, int16_t&) {
    if (selector != filterSelectorStart) return;
    PSPixelMap map{};
    map.bounds = VRect{0, 0, 2, 2};
    map.imageMode = plugInModeRGBColor;
    map.rowBytes = 2;
    map.colBytes = 1;
    map.planeBytes = 4;
    map.baseAddr = const_cast<uint8_t*>(planar);
    shown.push_back(r.displayPixels(&map, &map.bounds, 29, 39, nullptr));  // only (0, 0) is on the picture
    map.imageMode = plugInModeGrayScale;
    map.planeBytes = 0;
    map.baseAddr = const_cast<uint8_t*>(gray);
    shown.push_back(r.displayPixels(&map, &map.bounds, -1, 0, nullptr));  // the top row is above it
    shown.push_back(r.displayPixels(&map, &map.bounds, INT32_MIN, INT32_MAX, nullptr));
  });
  ASSERT_TRUE(Host.Execute());
  EXPECT_EQ(shown, (std::vector<OSErr>{noErr, noErr, noErr}));
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].second, (TPoint{39, 29}));
  ASSERT_EQ(drawn[0].first.Width(), 1);
  ASSERT_EQ(drawn[0].first.Height(), 1);
  EXPECT_EQ(drawn[0].first.Pixel(0, 0), Color32(1, 11, 21));
  EXPECT_EQ(drawn[1].second, (TPoint{0, 0}));
  ASSERT_EQ(drawn[1].first.Width(), 2);
  ASSERT_EQ(drawn[1].first.Height(), 1);
  EXPECT_EQ(drawn[1].first.Pixel(1, 0), Color32(80, 80, 80));
}

TEST_F(FilterHostTest, HostilePixelMapsAreRefusedUnread) {
  bool drew = false;
  Host.OnDrawPixels = [&](TPSFilterHost&, const TBitmap32&, int, int) { drew = true; };
  uint8_t cells[4 * 3 * 3] = {};
  auto good = [&] {
    PSPixelMap map{};
    map.bounds = VRect{0, 0, 3, 4};
    map.imageMode = plugInModeRGBColor;
    map.rowBytes = 12;
    map.colBytes = 3;
    map.planeBytes = 1;
    map.baseAddr = cells;
    return map;
  };
  const std::vector<std::pair<std::string, std::function<void(PSPixelMap&)>>> hostile = {
      {"no data", [](PSPixelMap& m) { m.baseAddr = nullptr; }},
      {"negative height", [](PSPixelMap& m) { m.bounds.bottom = -5; }},
      {"negative width", [](PSPixelMap& m) { m.bounds.left = 10; }},
      {"bounds overflowing", [](PSPixelMap& m) { m.bounds = VRect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}; }},
      {"huge rows", [](PSPixelMap& m) { m.rowBytes = INT32_MAX; }},
      {"negative rows", [](PSPixelMap& m) { m.rowBytes = -12; }},
      {"rows shorter than their pixels", [](PSPixelMap& m) { m.rowBytes = 4; }},
      {"no columns", [](PSPixelMap& m) { m.colBytes = 0; }},
      {"negative columns", [](PSPixelMap& m) { m.colBytes = -3; }},
      {"huge columns", [](PSPixelMap& m) { m.colBytes = INT32_MAX; }},
      {"huge planes", [](PSPixelMap& m) { m.planeBytes = INT32_MAX; }},
      {"negative planes", [](PSPixelMap& m) { m.planeBytes = -1; }},
  };
  std::vector<std::string> accepted;
  OSErr cmyk = noErr, noMap = noErr, noRect = noErr, fine = -1;
  Bind([&](int16_t selector, FilterRecord& r, intptr_t*, int16_t&) {
    if (selector != filterSelectorStart) return;
    const VRect whole{0, 0, 3, 4};
    for (const auto& [name, spoil] : hostile) {
      PSPixelMap map = good();
      spoil(map);
      if (r.displayPixels(&map, &whole, 0, 0, nullptr) != paramErr) accepted.push_back(name);
    }
    PSPixelMap map = good();
    noMap = r.displayPixels(nullptr, &whole, 0, 0, nullptr);
    noRect = r.displayPixels(&map, nullptr, 0, 0, nullptr);
    map.imageMode = 4;
    cmyk = r.displayPixels(&map, &whole, 0, 0, nullptr);
    EXPECT_FALSE(drew);
    map = good();
    fine = r.displayPixels(&map, &whole, 0, 0, nullptr);
  });
  ASSERT_TRUE(Host.Execute());
  EXPECT_EQ(accepted, std::vector<std::string>{});
  EXPECT_EQ(noMap, paramErr);
  EXPECT_EQ(noRect, paramErr);
  EXPECT_EQ(cmyk, filterBadMode);
  EXPECT_EQ(fine, noErr);
  EXPECT_TRUE(drew);
}

TEST_F(FilterHostTest, FailedDeliveryLeavesNoPointersIntoFreedBuffers) {
  TByteMap mask;
  mask.SetSize(40, 30, 255);
  Host.Mask = &mask;
  OSErr failed = noErr;
  FilterRecord after{};
  int calls = 0;
  Bind([&](int16_t selector, FilterRecord& r, intptr_t*, int16_t&) {
    if (selector == filterSelectorStart) {
      r.inRect = r.outRect = r.maskRect = Rect{0, 0, 10, 10};
      r.inHiPlane = r.outHiPlane = 2;
    } else if (selector == filterSelectorContinue && calls++ == 0) {
      ASSERT_NE(r.inData, nullptr);
      ASSERT_NE(r.outData, nullptr);
      ASSERT_NE(r.maskData, nullptr);
      // Far more than the host hands out: the held input block is dropped, and the plug-in
      // ignores the error.
      r.inRect = Rect{0, 0, 32767, 32767};
      r.inHiPlane = 15;
      failed = r.advanceState();
      after = r;
      r.inRect = r.outRect = r.maskRect = Rect{};
    }
  });
  ASSERT_TRUE(Host.Execute());
  EXPECT_EQ(failed, memFullErr);
  EXPECT_EQ(after.inData, nullptr);
  EXPECT_EQ(after.outData, nullptr);
  EXPECT_EQ(after.maskData, nullptr);
  EXPECT_EQ(Image, Original);
}

TEST_F(FilterHostTest, DialogSuiteAsksTheHandlerAndClampsTheAnswer) {
  std::string askedTitle;
  Host.OnAskNumbers = [&](TPSFilterHost&, const std::string& title, std::vector<TNumberField>& fields) {
    askedTitle = title;
    EXPECT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].Value, 10);  // clamped into the range before asking
    fields[0].Value = 500;
    return true;
  };
  int32_t answer = 0, value = 0;
  Bind([&](int16_t selector, FilterRecord& r, intptr_t*, int16_t&) {
    if (selector != filterSelectorParameters) return;
    const void* suite = nullptr;
    ASSERT_EQ(r.sSPBasic->AcquireSuite(kGSDialogSuite, kGSDialogSuiteVersion1, &suite), 0);
    GSNumberField field{"Amount", 1, 10, 99};
    answer = static_cast<const GSDialogSuite1*>(suite)->AskNumbers("Sharpen", &field, 1);
    value = field.value;
  });
  ASSERT_TRUE(Host.Execute());
  EXPECT_EQ(askedTitle, "Sharpen");
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(value, 10);
}

// ---- Real modules -------------------------------------------------------------------------------

class ModuleRunTest : public ::testing::Test {
protected:
  // Runs filter `name` of the module on a fresh copy of the pattern.
  bool Run(const std::string& module, const std::string& name, TBitmap32& image) {
    if (List->Count() == 0) List->LoadModule(TestModule(module));
    const int index = List->FindByCaption(name);
    EXPECT_GE(index, 0) << name;
    Host.Image = &image;
    Host.Backup = image;
    Bound = Host.BindPlugin(List->Items(index));
    const bool done = Host.Execute();
    Host.UnbindPlugin();
    return done;
  }

  std::unique_ptr<TPSPluginList> List = std::make_unique<TPSPluginList>();
  TPSFilterHost Host;
  bool Bound = false;
  const TBitmap32 Original = test::Pattern(33, 21);
};

TEST_F(ModuleRunTest, ResultCodesAtEachStep) {
  auto runWith = [&](int selector, int16_t code, TBitmap32& image) {
    List->LoadModule(TestModule("ResultCodes.8bf"));
    TPIPLManager& filter = List->Items(List->Count() - 1);
    filter.PluginData = intptr_t(selector) << 16 | uint16_t(code);
    Host.Image = &image;
    Host.Backup = image;
    EXPECT_TRUE(Host.BindPlugin(filter));
    struct TUnbind {
      TPSFilterHost& H;
      ~TUnbind() { H.UnbindPlugin(); }
    } unbind{Host};
    return Host.Execute();
  };
  const TBitmap32 black(33, 21, 0);
  auto rgb = [](const TBitmap32& b) {
    std::vector<TColor32> out;
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) out.push_back(RgbOf(b.Pixel(x, y)));
    return out;
  };

  TBitmap32 image = Original;
  EXPECT_TRUE(runWith(0, 0, image));
  EXPECT_EQ(rgb(image), rgb(black));

  image = Original;
  EXPECT_FALSE(runWith(filterSelectorFinish, 1, image));  // positive: already told the user
  EXPECT_EQ(image, Original);
  EXPECT_FALSE(runWith(filterSelectorContinue, userCanceledErr, image));
  EXPECT_EQ(image, Original);

  try {
    runWith(filterSelectorFinish, filterBadParameters, image);
    ADD_FAILURE() << "no error";
  } catch (const EPhotoshopError& e) {
    EXPECT_STREQ(e.what(), "The plug-in received an erroneous parameter block.");
  }
  EXPECT_EQ(rgb(image), rgb(black));  // what was written before the error stays

  for (int selector : {filterSelectorParameters, filterSelectorPrepare, filterSelectorStart, filterSelectorContinue}) {
    image = Original;
    EXPECT_THROW(runWith(selector, -36, image), EPhotoshopError) << selector;
    EXPECT_EQ(image, Original) << selector;
  }
}

TEST_F(ModuleRunTest, SampledModuleShrinksThePictureIntoItsCorner) {
  TBitmap32 image = Original;
  ASSERT_TRUE(Run("Sampler.8bf", "Sampler", image));
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 33; ++x) {
      const TColor32 expected = (x < 16 && y < 10) ? RgbOf(Original.Pixel(2 * x, 2 * y)) | (Original.Pixel(x, y) & 0xFF000000)
                                                   : Original.Pixel(x, y);
      ASSERT_EQ(image.Pixel(x, y), expected) << x << "," << y;
    }
}

TEST_F(ModuleRunTest, HandleAndBufferSuitesAcrossTheModuleBoundary) {
  const size_t before = GlobalHandleCount();
  {
    TBitmap32 image = Original;
    ASSERT_TRUE(Run("Suites.8bf", "Suites", image));
    EXPECT_EQ(RgbOf(image.Pixel(5, 5)), 0x00FF00u);
    EXPECT_TRUE(IsGlobalHandle(reinterpret_cast<void*>(List->Items(0).PluginData)));
    image = Original;
    ASSERT_TRUE(Run("Suites.8bf", "Suites", image));  // finds its kept handle intact
    EXPECT_EQ(RgbOf(image.Pixel(5, 5)), 0x00FF00u);
    EXPECT_EQ(GlobalHandleCount(), before + 1);
    List.reset();  // frees the handle the module keeps
  }
  EXPECT_EQ(GlobalHandleCount(), before);
}

TEST_F(ModuleRunTest, ColourServicesAskTheColourDialog) {
  test::TDialogScope dialogs;
  Host.OnColorServices = [](TPSFilterHost&, ColorServicesInfo& info) {
    const std::optional<TColor> c = Dialogs().ChooseColor(0);
    if (!c) return;
    for (int i = 0; i < 3; ++i) info.colorComponents[i] = int16_t((*c >> (8 * i)) & 0xFF);
  };
  dialogs.Dialogs.AnswerColor(TColor(0x332211));  // blue 0x33, green 0x22, red 0x11
  TBitmap32 image = Original;
  ASSERT_TRUE(Run("ColorPick.8bf", "Color Pick", image));
  EXPECT_EQ(RgbOf(image.Pixel(0, 0)), 0x112233u);
  dialogs.Dialogs.AnswerColor(std::nullopt);
  ASSERT_TRUE(Run("ColorPick.8bf", "Color Pick", image));
  EXPECT_EQ(RgbOf(image.Pixel(0, 0)), 0x010203u);  // cancelled: the plug-in's own values
}

TEST_F(ModuleRunTest, OldModulesRunAndMissingEntryPointsAreRefused) {
  TBitmap32 image = Original;
  ASSERT_TRUE(Run("OldStyle.8bf", "Make Blue", image));
  EXPECT_TRUE(Bound);
  EXPECT_EQ(RgbOf(image.Pixel(32, 20)), 0x0000FFu);

  List = std::make_unique<TPSPluginList>();
  image = Original;
  EXPECT_THROW(Run("ThreePipl.8bf", "Beta", image), Exception);  // no such export
  EXPECT_FALSE(Bound);
  EXPECT_EQ(image, Original);
  EXPECT_TRUE(Run("ThreePipl.8bf", "Gamma", image));
  EXPECT_EQ(RgbOf(image.Pixel(0, 0)), 0x28323Cu);
}

}  // namespace
}  // namespace gs
