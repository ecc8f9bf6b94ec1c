// SPDX-License-Identifier: GPL-3.0-or-later
// The buffers a plug-in asks for through the rectangles of its filter record, and the write-back
// of its output. Rectangles reaching outside the picture are honoured at their full size: the
// cells outside stay zero and are never written back.

#include "plugins/PSFilterHost.h"

#include <algorithm>
#include <new>

namespace gs {

namespace {

// Far more than any picture an editor holds; a larger request is a broken plug-in.
constexpr uint64_t kMaxRequestBytes = uint64_t(1) << 30;
// Planes 0-2 are red, green, blue; a few more may be named (and stay zero) but no more.
constexpr int kMaxRequestPlanes = 16;

bool IsEmptyRect(const Rect& r) { return r.bottom <= r.top || r.right <= r.left; }

bool Contains(const Rect& outer, const Rect& inner) {
  return inner.top >= outer.top && inner.left >= outer.left && inner.bottom <= outer.bottom &&
         inner.right <= outer.right;
}

// The sampling step: the rate's integer part, 0 (or nonsense) meaning every pixel.
int64_t StepOf(Fixed rate) {
  const int64_t step = rate >> 16;
  return step < 1 ? 1 : step;
}

// Plane 0 is red, 1 green, 2 blue.
uint8_t PlaneOf(TColor32 pixel, int plane) { return uint8_t(pixel >> (8 * (2 - plane))); }

TColor32 WithPlane(TColor32 pixel, int plane, uint8_t value) {
  const int shift = 8 * (2 - plane);
  return (pixel & ~(TColor32(0xFF) << shift)) | (TColor32(value) << shift);
}

uint8_t Mix(uint8_t filtered, uint8_t original, unsigned weight) {
  return uint8_t((filtered * weight + original * (255 - weight) + 127) / 255);
}

}  // namespace

OSErr TPSFilterHost::Deliver(TDescriptor& d, const Rect& area, int16_t lo, int16_t hi, int16_t pre,
                             int16_t post, Fixed rate, void*& data, int32_t& rowBytes,
                             int32_t& columnBytes, int32_t& planeBytes) {
  if (lo < 0 || hi < lo || hi - lo >= kMaxRequestPlanes) return paramErr;
  const int64_t n = hi - lo + 1;

  if (d.Data && d.Rate == rate && d.LoPlane == lo && d.HiPlane == hi && d.PreDummy == pre &&
      d.PostDummy == post && Contains(d.Area, area)) {
    // Inside what the plug-in already holds: no copy, a pointer into the same block.
    const int64_t heldWidth = d.Area.right - d.Area.left;
    data = d.Data + n * ((area.left - d.Area.left) + int64_t(area.top - d.Area.top) * heldWidth);
    rowBytes = int32_t(n * heldWidth);
  } else {
    const int64_t width = area.right - area.left;
    const int64_t height = area.bottom - area.top;
    const uint64_t bytes = uint64_t(n * width * height) + 2;
    d = TDescriptor{};
    if (bytes > kMaxRequestBytes) return memFullErr;
    try {
      d.Block.assign(size_t(bytes), 0);
    } catch (const std::bad_alloc&) {
      d = TDescriptor{};
      return memFullErr;
    }
    d.Data = d.Block.data();
    d.Area = area;
    d.LoPlane = lo;
    d.HiPlane = hi;
    d.PreDummy = pre;
    d.PostDummy = post;
    d.Rate = rate;
    d.RowBytes = int32_t(n * width);

    const int64_t step = StepOf(rate);
    const int lastPlane = std::min<int>(hi, 2);
    for (int64_t r = 0; r < height; ++r) {
      const int64_t y = step * (area.top + r);
      if (y < 0 || y >= Backup.Height()) continue;
      const TColor32* line = Backup.ScanLine(int(y));
      uint8_t* cell = d.Data + r * d.RowBytes;
      for (int64_t c = 0; c < width; ++c, cell += n) {
        const int64_t x = step * (area.left + c);
        if (x < 0 || x >= Backup.Width()) continue;
        for (int p = lo; p <= lastPlane; ++p) cell[p - lo] = PlaneOf(line[x], p);
      }
    }
    data = d.Data;
    rowBytes = d.RowBytes;
  }
  columnBytes = int32_t(n);
  planeBytes = 1;
  return noErr;
}

OSErr TPSFilterHost::BuildMask() {
  const Rect& area = Record_.maskRect;
  const int64_t width = area.right - area.left;
  const int64_t height = area.bottom - area.top;
  if (uint64_t(width * height) > kMaxRequestBytes) return memFullErr;
  try {
    MaskBuffer_.assign(size_t(width * height), 0);
  } catch (const std::bad_alloc&) {
    MaskBuffer_.clear();
    return memFullErr;
  }
  const int64_t step = StepOf(Record_.maskRate);
  for (int64_t r = 0; r < height; ++r) {
    const int64_t y = step * (area.top + r);
    if (y < 0 || y >= Mask->Height) continue;
    for (int64_t c = 0; c < width; ++c) {
      const int64_t x = step * (area.left + c);
      if (x < 0 || x >= Mask->Width) continue;
      MaskBuffer_[size_t(r * width + c)] = Mask->At(int(x), int(y));
    }
  }
  Record_.maskData = MaskBuffer_.data();
  Record_.maskRowBytes = int32_t(width);
  return noErr;
}

void TPSFilterHost::Flush() {
  const TPending pending = Pending_;
  Pending_ = TPending{};  // written once; the finish must not blend it a second time
  if (!pending.Data) return;
  const TRect area{pending.Area.left, pending.Area.top, pending.Area.right, pending.Area.bottom};
  const TRect clipped = Intersect(area, Image->BoundsRect());
  if (clipped.IsEmpty()) return;
  const int n = pending.HiPlane - pending.LoPlane + 1;
  const int lastPlane = std::min<int>(pending.HiPlane, 2);
  for (int y = clipped.Top; y < clipped.Bottom; ++y) {
    const uint8_t* row = pending.Data + int64_t(y - area.Top) * pending.RowBytes;
    TColor32* line = Image->ScanLine(y);
    for (int x = clipped.Left; x < clipped.Right; ++x) {
      const uint8_t* cell = row + int64_t(x - area.Left) * n;
      TColor32 pixel = line[x];
      for (int p = pending.LoPlane; p <= lastPlane; ++p) pixel = WithPlane(pixel, p, cell[p - pending.LoPlane]);
      line[x] = pixel;
    }
  }
  if (Record_.autoMask && Mask) {
    for (int y = clipped.Top; y < clipped.Bottom; ++y) {
      TColor32* line = Image->ScanLine(y);
      const TColor32* original = Backup.ScanLine(y);
      for (int x = clipped.Left; x < clipped.Right; ++x) {
        const unsigned weight = Mask->At(x, y);
        if (weight == 255) continue;
        const TColor32 f = line[x];
        const TColor32 b = original[x];
        line[x] = Color32(Mix(RedOf(f), RedOf(b), weight), Mix(GreenOf(f), GreenOf(b), weight),
                          Mix(BlueOf(f), BlueOf(b), weight), AlphaOf(f));
      }
    }
  }
  if (DisplayOutput && OnOutputChanged) OnOutputChanged(*this, clipped);
}

OSErr TPSFilterHost::AdvanceState() {
  if (OnAdvanceState) OnAdvanceState(*this);
  FilterRecord& r = Record_;
  // A failed request may have freed the block a pointer still names: a plug-in that ignores the
  // error must find no buffer rather than write into freed memory.
  auto fail = [&r](OSErr error) {
    r.inData = r.outData = r.maskData = nullptr;
    r.inRowBytes = r.outRowBytes = r.maskRowBytes = 0;
    return error;
  };
  if (!IsEmptyRect(r.inRect)) {
    const OSErr error = Deliver(In_, r.inRect, r.inLoPlane, r.inHiPlane, r.inPreDummyPlanes, r.inPostDummyPlanes,
                                r.inputRate, r.inData, r.inRowBytes, r.inColumnBytes, r.inPlaneBytes);
    if (error) return fail(error);
  }
  if (!IsEmptyRect(r.outRect)) {
    Flush();
    const OSErr error = Deliver(Out_, r.outRect, r.outLoPlane, r.outHiPlane, r.outPreDummyPlanes,
                                r.outPostDummyPlanes, 0, r.outData, r.outRowBytes, r.outColumnBytes, r.outPlaneBytes);
    if (error) return fail(error);
    Pending_ = TPending{static_cast<uint8_t*>(r.outData), r.outRect, r.outLoPlane, r.outHiPlane, r.outRowBytes};
  }
  if (!IsEmptyRect(r.maskRect) && Mask) {
    const OSErr error = BuildMask();
    if (error) return fail(error);
  }
  return noErr;
}

}  // namespace gs
