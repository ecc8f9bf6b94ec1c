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
    if (!host.OnDrawPixels) return noErr;
    if (!source || !sourceRect || !source->baseAddr) return paramErr;
    // Only what lies inside the plug-in's own map is read.
    const VRect& b = source->bounds;
    const int64_t top = std::max(sourceRect->top, b.top), bottom = std::min(sourceRect->bottom, b.bottom);
    const int64_t left = std::max(sourceRect->left, b.left), right = std::min(sourceRect->right, b.right);
    if (bottom <= top || right <= left) return noErr;
    if (!PictureSizeAllowed(right - left, bottom - top)) return paramErr;
    TBitmap32 pixels(int(right - left), int(bottom - top));
    const auto* base = static_cast<const uint8_t*>(source->baseAddr);
    for (int64_t y = top; y < bottom; ++y) {
      const uint8_t* p = base + (y - b.top) * int64_t(source->rowBytes) + (left - b.left) * int64_t(source->colBytes);
      TColor32* line = pixels.ScanLine(int(y - top));
      for (int64_t x = left; x < right; ++x, p += source->colBytes) line[x - left] = Color32(p[0], p[1], p[2]);
    }
    host.OnDrawPixels(host, pixels, dstCol, dstRow);
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
