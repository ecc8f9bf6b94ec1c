// SPDX-License-Identifier: GPL-3.0-or-later
#include "plugins/HostCallbacks.h"

#include "common/Limits.h"
#include "platform/GlobalMemory.h"
#include "platform/PhysicalMemory.h"
#include "plugins/PSFilterHost.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace gs {

namespace {

constexpr int32_t kMaxDialogFields = 64;

// Runs `work` for the active host. An exception must not unwind through the plug-in's frames:
// it is kept for the host and the callback answers `failed`.
template <class R, class F>
R Serve(R failed, F&& work) {
  TPSFilterHost* host = TPSFilterHost::Active();
  if (!host) return failed;
  try {
    return work(*host);
  } catch (...) {
    THostCallbacks::Defer(*host, std::current_exception());
    return failed;
  }
}

int32_t ClampToInt32(uint64_t value) { return int32_t(std::min<uint64_t>(value, INT32_MAX)); }

// The host cannot know how large a plug-in's pixel map really is; it reads only maps whose
// strides are what pixels of their bounds need, give or take alignment padding. Anything larger
// would reach into memory that no well-formed map of that size could own.
constexpr int64_t kMaxPixelMapPadding = 64;
constexpr int64_t kMaxColumnBytes = 16;  // four 32-bit samples

// Sample `plane` of the map's pixel (x, y) lies at baseAddr + y * Row + x * Column + plane * Plane,
// x and y counted from the bounds' corner.
struct TMapLayout {
  int64_t Planes = 0;
  int64_t Row = 0;
  int64_t Column = 0;
  int64_t Plane = 0;
};

OSErr CheckPixelMap(const PSPixelMap& source, TMapLayout& map) {
  if (!source.baseAddr) return paramErr;
  switch (source.imageMode) {
    case plugInModeGrayScale: map.Planes = 1; break;
    case plugInModeRGBColor: map.Planes = 3; break;
    default: return filterBadMode;
  }
  const VRect& b = source.bounds;
  const int64_t width = int64_t(b.right) - b.left, height = int64_t(b.bottom) - b.top;
  if (!PictureSizeAllowed(width, height)) return paramErr;
  map.Row = source.rowBytes;
  map.Column = source.colBytes;
  map.Plane = map.Planes > 1 ? source.planeBytes : 0;
  if (map.Column < 1 || map.Column > kMaxColumnBytes) return paramErr;
  // A row holds its pixels side by side.
  if (map.Row < width * map.Column || map.Row > width * map.Column + kMaxPixelMapPadding) return paramErr;
  // A plane lies within the pixel (interleaved) or after the plane before it (planar).
  if (map.Planes > 1 && (map.Plane < 1 || map.Plane > map.Row * height + kMaxPixelMapPadding)) return paramErr;
  return noErr;
}

}  // namespace

void THostCallbacks::Defer(TPSFilterHost& host, std::exception_ptr error) { host.Defer(error); }

// ---- Progress, abort, advance, colour, display ------------------------------------------------

Boolean THostCallbacks::TestAbort() {
  return Serve<Boolean>(true, [](TPSFilterHost& host) -> Boolean {
    // A handler that failed earlier has already doomed the run; stop the plug-in soon.
    if (host.Deferred_) return true;
    if (!host.OnTestAbort) return false;
    host.OnTestAbort(host, host.Abort_);
    return host.Abort_;
  });
}

void THostCallbacks::Progress(int32_t done, int32_t total) {
  Serve<int>(0, [=](TPSFilterHost& host) {
    if (host.OnProgress) host.OnProgress(host, done, total);
    return 0;
  });
}

OSErr THostCallbacks::AdvanceState() {
  return Serve<OSErr>(paramErr, [](TPSFilterHost& host) { return host.AdvanceState(); });
}

OSErr THostCallbacks::ColorServices(ColorServicesInfo* info) {
  if (!info) return paramErr;
  return Serve<OSErr>(paramErr, [info](TPSFilterHost& host) -> OSErr {
    if (host.OnColorServices) host.OnColorServices(host, *info);
    info->infoSize = int32_t(sizeof(ColorServicesInfo));
    info->sourceSpace = plugIncolorServicesRGBSpace;
    info->resultSpace = plugIncolorServicesRGBSpace;
    info->reservedSourceSpaceInfo = nullptr;
    info->reservedResultSpaceInfo = nullptr;
    info->reserved = nullptr;
    return noErr;
  });
}

OSErr THostCallbacks::DisplayPixels(const PSPixelMap* source, const VRect* sourceRect, int32_t dstRow,
                                    int32_t dstCol, void* platformContext) {
  return Serve<OSErr>(paramErr, [=](TPSFilterHost& host) -> OSErr {
    if (host.OnDisplayPixels) host.OnDisplayPixels(host, source, sourceRect, dstRow, dstCol, platformContext);
    if (!source || !sourceRect) return paramErr;
    TMapLayout map;
    if (const OSErr error = CheckPixelMap(*source, map)) return error;
    if (!host.OnDrawPixels || !host.Image) return noErr;
    // Only what lies inside the plug-in's own map is read, and only what lands on the picture.
    const VRect& b = source->bounds;
    const int64_t shiftX = int64_t(dstCol) - sourceRect->left, shiftY = int64_t(dstRow) - sourceRect->top;
    const int64_t left = std::max({int64_t(sourceRect->left), int64_t(b.left), -shiftX});
    const int64_t top = std::max({int64_t(sourceRect->top), int64_t(b.top), -shiftY});
    const int64_t right = std::min({int64_t(sourceRect->right), int64_t(b.right), host.Image->Width() - shiftX});
    const int64_t bottom = std::min({int64_t(sourceRect->bottom), int64_t(b.bottom), host.Image->Height() - shiftY});
    if (bottom <= top || right <= left) return noErr;
    TBitmap32 pixels(int(right - left), int(bottom - top));
    const auto* base = static_cast<const uint8_t*>(source->baseAddr);
    const int64_t green = map.Planes == 3 ? map.Plane : 0, blue = 2 * green;
    for (int64_t y = top; y < bottom; ++y) {
      const uint8_t* p = base + (y - b.top) * map.Row + (left - b.left) * map.Column;
      TColor32* line = pixels.ScanLine(int(y - top));
      for (int64_t x = left; x < right; ++x, p += map.Column) line[x - left] = Color32(p[0], p[green], p[blue]);
    }
    host.OnDrawPixels(host, pixels, int(left + shiftX), int(top + shiftY));
    return noErr;
  });
}

// ---- Buffer suite -------------------------------------------------------------------------------

OSErr THostCallbacks::AllocateBuffer(int32_t size, BufferID* bufferID) {
  if (!bufferID) return paramErr;
  *bufferID = nullptr;
  if (size == 0) return nilHandleErr;
  if (size < 0) return memFullErr;
  TGlobalHandle block = GlobalAlloc(size_t(size), true);
  if (!block) return memFullErr;
  if (TPSFilterHost* host = TPSFilterHost::Active()) {
    try {
      host->Buffers_.push_back(block);
    } catch (...) {
      GlobalFree(block);
      return memFullErr;
    }
  }
  *bufferID = static_cast<BufferID>(block);
  return noErr;
}

Ptr THostCallbacks::LockBuffer(BufferID bufferID, Boolean) {
  if (!bufferID) return nullptr;
  return static_cast<Ptr>(GlobalLock(bufferID));
}

void THostCallbacks::UnlockBuffer(BufferID bufferID) {
  if (bufferID) GlobalUnlock(bufferID);
}

void THostCallbacks::FreeBuffer(BufferID bufferID) {
  if (!bufferID) return;
  if (TPSFilterHost* host = TPSFilterHost::Active())
    std::erase(host->Buffers_, static_cast<TGlobalHandle>(bufferID));
  GlobalFree(bufferID);
}

int32_t THostCallbacks::BufferSpace() { return ClampToInt32(PhysicalMemorySize()); }

// ---- Handle suite -------------------------------------------------------------------------------

Handle THostCallbacks::NewHandle(int32_t size) {
  if (size < 0) return nullptr;
  return static_cast<Handle>(GlobalAlloc(size_t(size), true));
}

void THostCallbacks::DisposeHandle(Handle h) {
  if (!h || !IsGlobalHandle(h)) return;
  while (GlobalUnlock(h)) {
  }
  GlobalFree(h);
}

int32_t THostCallbacks::GetHandleSize(Handle h) { return ClampToInt32(GlobalSize(h)); }

OSErr THostCallbacks::SetHandleSize(Handle h, int32_t newSize) {
  // A value that is not our handle cannot be resized; saying so beats letting the plug-in write
  // past a block it believes has grown.
  if (!IsGlobalHandle(h) || newSize < 0) return nilHandleErr;
  if (!GlobalReAlloc(h, size_t(newSize), true)) return memFullErr;
  return noErr;
}

Ptr THostCallbacks::LockHandle(Handle h, Boolean) { return static_cast<Ptr>(GlobalLock(h)); }

void THostCallbacks::UnlockHandle(Handle h) { GlobalUnlock(h); }

void THostCallbacks::RecoverSpace(int32_t) {}

// ---- Property suite -----------------------------------------------------------------------------

OSErr THostCallbacks::GetProperty(PIType signature, PIType key, int32_t index, intptr_t* simpleProperty,
                                  Handle* complexProperty) {
  return Serve<OSErr>(errPlugInHostInsufficient, [=](TPSFilterHost& host) -> OSErr {
    if (!host.OnGetProperty) return errPlugInHostInsufficient;
    host.OnGetProperty(host, signature, key, index, simpleProperty, complexProperty);
    return noErr;
  });
}

OSErr THostCallbacks::SetProperty(PIType signature, PIType key, int32_t index, intptr_t simpleProperty,
                                  Handle complexProperty) {
  return Serve<OSErr>(errPlugInHostInsufficient, [=](TPSFilterHost& host) -> OSErr {
    if (!host.OnSetProperty) return errPlugInHostInsufficient;
    host.OnSetProperty(host, signature, key, index, simpleProperty, complexProperty);
    return noErr;
  });
}

// ---- Basic suite --------------------------------------------------------------------------------

SPErr THostCallbacks::AcquireSuite(const char* name, int32_t version, const void** suite) {
  if (suite) *suite = nullptr;
  TPSFilterHost* host = TPSFilterHost::Active();
  if (suite && name && host && host->OnAskNumbers && version == kGSDialogSuiteVersion1 &&
      std::strcmp(name, kGSDialogSuite) == 0) {
    *suite = &DialogSuite;
    return 0;
  }
  return errPlugInHostInsufficient;
}

SPErr THostCallbacks::ReleaseSuite(const char*, int32_t) { return 0; }

SPBoolean THostCallbacks::IsEqual(const char*, const char*) { return false; }

SPErr THostCallbacks::AllocateBlock(size_t, void** block) {
  if (block) *block = nullptr;
  return 0;
}

SPErr THostCallbacks::FreeBlock(void*) { return 0; }

SPErr THostCallbacks::ReallocateBlock(void*, size_t, void**) { return 0; }

SPErr THostCallbacks::Undefined() { return 0; }

// ---- Grimacer dialog suite ----------------------------------------------------------------------

int32_t THostCallbacks::AskNumbers(const char* title, GSNumberField* fields, int32_t count) {
  if (!fields || count < 1 || count > kMaxDialogFields) return paramErr;
  return Serve<int32_t>(userCanceledErr, [=](TPSFilterHost& host) -> int32_t {
    if (!host.OnAskNumbers) return errPlugInHostInsufficient;
    std::vector<TNumberField> asked;
    for (int32_t i = 0; i < count; ++i) {
      const GSNumberField& f = fields[i];
      const int32_t lo = std::min(f.minimum, f.maximum), hi = std::max(f.minimum, f.maximum);
      asked.push_back({f.label ? f.label : "", lo, hi, std::clamp(f.value, lo, hi)});
    }
    if (!host.OnAskNumbers(host, title ? title : "", asked)) return 0;
    for (int32_t i = 0; i < count; ++i)
      fields[i].value = std::clamp(asked[size_t(i)].Value, asked[size_t(i)].Minimum, asked[size_t(i)].Maximum);
    return 1;
  });
}

// ---- The suites ---------------------------------------------------------------------------------

BufferProcs THostCallbacks::BufferSuite = {kCurrentBufferProcsVersion, kCurrentBufferProcsCount,
                                           &AllocateBuffer, &LockBuffer, &UnlockBuffer, &FreeBuffer,
                                           &BufferSpace};

HandleProcs THostCallbacks::HandleSuite = {kCurrentHandleProcsVersion, kCurrentHandleProcsCount,
                                           &NewHandle, &DisposeHandle, &GetHandleSize, &SetHandleSize,
                                           &LockHandle, &UnlockHandle, &RecoverSpace};

PropertyProcs THostCallbacks::PropertySuite = {kCurrentPropertyProcsVersion, kCurrentPropertyProcsCount,
                                               &GetProperty, &SetProperty};

SPBasicSuite THostCallbacks::BasicSuite = {&AcquireSuite, &ReleaseSuite, &IsEqual, &AllocateBlock,
                                           &FreeBlock, &ReallocateBlock, &Undefined};

GSDialogSuite1 THostCallbacks::DialogSuite = {&AskNumbers};

}  // namespace gs
