// SPDX-License-Identifier: GPL-3.0-or-later
#include "plugins/PSFilterHost.h"

#include "platform/PhysicalMemory.h"
#include "plugins/HostCallbacks.h"
#include "plugins/PIPLManager.h"

#include <algorithm>
#include <cfenv>
#include <climits>
#include <cstring>

namespace gs {

namespace {

TPSFilterHost* ActiveHost = nullptr;

// Makes this host the one the callbacks serve while a plug-in runs, and puts back the one
// before (a handler may run another filter).
class TActivation {
public:
  explicit TActivation(TPSFilterHost* host) : Previous_(ActiveHost) { ActiveHost = host; }
  ~TActivation() { ActiveHost = Previous_; }
  TActivation(const TActivation&) = delete;
  TActivation& operator=(const TActivation&) = delete;

private:
  TPSFilterHost* Previous_;
};

// Plug-ins expect masked floating-point exceptions and rounding to nearest, and some change
// the modes; the editor gets its own back whatever happens.
class TFloatingPointGuard {
public:
  TFloatingPointGuard() {
    std::fegetenv(&Saved_);
    std::fesetround(FE_TONEAREST);
#ifdef __GLIBC__
    fedisableexcept(FE_ALL_EXCEPT);
#endif
  }
  ~TFloatingPointGuard() { std::fesetenv(&Saved_); }
  TFloatingPointGuard(const TFloatingPointGuard&) = delete;
  TFloatingPointGuard& operator=(const TFloatingPointGuard&) = delete;

private:
  std::fenv_t Saved_;
};

bool IsEmptyRect(const Rect& r) { return r.bottom <= r.top || r.right <= r.left; }

void FreeHandle(Handle h) {
  if (!IsGlobalHandle(h)) return;
  while (GlobalUnlock(h)) {
  }
  GlobalFree(h);
}

void ToFilterColor(TColor c, FilterColor out) {
  out[0] = uint8_t(c);        // red
  out[1] = uint8_t(c >> 8);   // green
  out[2] = uint8_t(c >> 16);  // blue
  out[3] = 0;
}

}  // namespace

std::string PluginResultMessage(int16_t code) {
  switch (code) {
    case -30901: return "A requested property could not be found.";
    case -30900: return "The plug-in requires services not provided by this host.";
    case -30101: return "The plug-in does not support the current color mode.";
    case -30100: return "The plug-in received an erroneous parameter block.";
    case -111:
      return "Attempted to operate on a free block; GetHandleSize failson baseText or substitutionText "
             "[WhichZone failed (applied to free block)]";
    case -109:
      return "GetHandleSize fails on baseText or substitutionText; NIL master pointer [handle was NIL in "
             "HandleZone or other]";
    case -108: return "Ran out of memory [not enough room in heap zone]";
    case -50: return "Error in user parameter list";
    case -46: return "Volume is locked through software";
    case -45: return "File is locked";
    case -43: return "File not found; Folder not found; Edition container not found; Target not found";
    case -39: return "End of file; no additional data in the format";
    case -36: return "I/O error";
    case -34: return "Disk full";
    case -23:
      return "Requested read/write permission doesn't match driver's open permission, or Attempt to open "
             "RAM serial Driver failed";
    case -20: return "Driver can't respond to Write call";
    case -19: return "Driver can't respond to Read call";
    default: break;
  }
  if (code >= 0 || code == userCanceledErr) return {};
  return "Unknown plug-in error.";
}

TPSFilterHost::TPSFilterHost() = default;

TPSFilterHost::~TPSFilterHost() {
  UnbindPlugin();
  ResetBuffers();
  FreeHandle(SavedParameters_);
}

TPSFilterHost* TPSFilterHost::Active() { return ActiveHost; }

void TPSFilterHost::CheckResult(int16_t result) {
  if (result == 0) return;
  if (result > 0 || result == userCanceledErr) throw EFilterAborted();
  throw EPhotoshopError(PluginResultMessage(result));
}

bool TPSFilterHost::BindPlugin(TPIPLManager& filter) {
  UnbindPlugin();
  Filter_ = &filter;
  std::string reason;
  if (!Module_.Open(filter.ModuleFileName)) {
    reason = Module_.LastError();
  } else if (filter.EntryPoint().empty()) {
    reason = "it names no entry point";
  } else {
    Entry_ = reinterpret_cast<FilterEntryProc>(Module_.Symbol(filter.EntryPoint()));
    if (!Entry_) reason = "it has no entry point \"" + filter.EntryPoint() + "\"";
  }
  if (Entry_) return true;
  // Running it anyway would look like a filter that did nothing, and the user would never learn
  // that the module is broken.
  if (reason.empty()) reason = "the loader gave no reason";
  if (reason.back() != '.') reason += '.';
  LoadError_ = "Could not load the filter module " + filter.ModuleFileName + ": " + reason;
  Module_.Close();
  return false;
}

void TPSFilterHost::BindEntry(TPIPLManager& filter, FilterEntryProc entry) {
  UnbindPlugin();
  Filter_ = &filter;
  Entry_ = entry;
}

void TPSFilterHost::UnbindPlugin() {
  Entry_ = nullptr;
  Filter_ = nullptr;
  LoadError_.clear();
  Module_.Close();
}

int16_t TPSFilterHost::CallSelector(int16_t selector) {
  if (!Entry_ || !Filter_) return 0;
  TActivation active(this);
  int16_t result = 0;
  Entry_(selector, &Record_, &Filter_->PluginData, &result);
  if (Deferred_) {
    std::exception_ptr error = Deferred_;
    Deferred_ = nullptr;
    std::rethrow_exception(error);
  }
  return result;
}

void TPSFilterHost::Defer(std::exception_ptr error) {
  if (!Deferred_) Deferred_ = error;
}

bool TPSFilterHost::AutoMaskFor() const {
  if (!Mask || !Filter_ || FilterCase < 1) return true;
  uint32_t length = 0;
  const uint8_t* cases = Filter_->PropertyData(kPropFilterCaseInfo, &length);
  const uint64_t third = uint64_t(FilterCase - 1) * 4 + 2;
  if (!cases || third >= length) return true;
  return (cases[third] & 8) == 0;
}

void TPSFilterHost::SetupRecord() {
  std::memset(&Record_, 0, sizeof Record_);
  std::memset(ErrorString_, 0, sizeof ErrorString_);
  Platform_.hwnd = ParentWindow;
  const auto width = int16_t(Image->Width());
  const auto height = int16_t(Image->Height());
  FilterRecord& r = Record_;
  r.abortProc = &THostCallbacks::TestAbort;
  r.progressProc = &THostCallbacks::Progress;
  r.parameters = nullptr;
  r.imageSize = Point{height, width};
  r.wholeSize = r.imageSize;
  r.planes = 3;
  r.filterRect = Rect{0, 0, height, width};
  r.maxSpace = int32_t(std::min<uint64_t>(PhysicalMemorySize(), INT32_MAX));
  r.bufferSpace = 0;
  r.isFloating = false;
  r.haveMask = Mask != nullptr;
  r.autoMask = AutoMaskFor();
  ToFilterColor(BackColor, r.backColor);
  ToFilterColor(ForeColor, r.foreColor);
  r.hostSig = kGrimacerHostSig;
  r.imageMode = plugInModeRGBColor;
  r.imageHRes = 72 << 16;
  r.imageVRes = 72 << 16;
  r.platformData = &Platform_;
  r.bufferProcs = &THostCallbacks::BufferSuite;
  r.handleProcs = &THostCallbacks::HandleSuite;
  r.propertyProcs = &THostCallbacks::PropertySuite;
  r.sSPBasic = &THostCallbacks::BasicSuite;
  r.displayPixels = &THostCallbacks::DisplayPixels;
  r.advanceState = &THostCallbacks::AdvanceState;
  r.colorServices = &THostCallbacks::ColorServices;
  r.filterCase = 2;
  r.dummyPlaneValue = -1;
  r.cannotUndo = true;
  r.inNonLayerPlanes = r.outNonLayerPlanes = r.absNonLayerPlanes = 3;
  r.inTileHeight = r.absTileHeight = r.outTileHeight = r.maskTileHeight = height;
  r.inTileWidth = r.absTileWidth = r.outTileWidth = r.maskTileWidth = width;
  r.errorString = &ErrorString_;
  r.depth = 8;
}

void TPSFilterHost::ResetBuffers() {
  In_ = TDescriptor{};
  Out_ = TDescriptor{};
  Pending_ = TPending{};
  MaskBuffer_.clear();
  MaskBuffer_.shrink_to_fit();
  // Buffer-suite memory lasts for one run; a plug-in that forgot some does not leak it.
  for (TGlobalHandle buffer : Buffers_) GlobalFree(buffer);
  Buffers_.clear();
}

void TPSFilterHost::FreeParameters() {
  FreeHandle(Record_.parameters);
  Record_.parameters = nullptr;
}

void TPSFilterHost::TestAbort() {
  if (OnTestAbort) OnTestAbort(*this, Abort_);
}

bool TPSFilterHost::Execute() {
  if (!LoadError_.empty()) throw Exception(LoadError_);
  if (!Image) throw Exception("The filter host has no picture to filter.");
  if (Backup.Width() != Image->Width() || Backup.Height() != Image->Height())
    throw Exception("The filter host's backup does not match the picture.");
  if (Mask && (Mask->Width != Image->Width() || Mask->Height != Image->Height() ||
               Mask->Bits.size() != size_t(Mask->Width) * size_t(Mask->Height)))
    throw Exception("The filter host's mask does not match the picture.");
  if (Image->Width() > kMaxFilterSide || Image->Height() > kMaxFilterSide)
    throw EPhotoshopError("The picture is too large for filter plug-ins: at most " +
                          std::to_string(kMaxFilterSide) + " pixels a side.");

  TFloatingPointGuard floatingPoint;
  ResetBuffers();
  Abort_ = false;
  Deferred_ = nullptr;
  SetupRecord();

  auto step = [this](int16_t selector) {
    CheckResult(CallSelector(selector));
    if (Abort_) throw EFilterAborted();
  };
  try {
    if (ExecuteLastFilter) {
      Record_.parameters = SavedParameters_;
    } else {
      FreeHandle(SavedParameters_);
      SavedParameters_ = nullptr;
      step(filterSelectorParameters);
    }
    step(filterSelectorPrepare);
    step(filterSelectorStart);
    if (OnProgress) OnProgress(*this, 0, 1);
    while (!IsEmptyRect(Record_.inRect) || !IsEmptyRect(Record_.outRect) || !IsEmptyRect(Record_.maskRect)) {
      CheckResult(AdvanceState());
      step(filterSelectorContinue);
      // A plug-in that never asks whether to stop can still be stopped between its calls.
      TestAbort();
      if (Abort_) throw EFilterAborted();
    }
    Flush();
    if (OnProgress) OnProgress(*this, 1, 1);
    CheckResult(CallSelector(filterSelectorFinish));
    SavedParameters_ = Record_.parameters;
    ResetBuffers();
    return true;
  } catch (const EFilterAborted&) {
    *Image = Backup;
    FreeParameters();
    SavedParameters_ = nullptr;
    ResetBuffers();
    return false;
  } catch (...) {
    if (Record_.parameters != SavedParameters_) FreeParameters();
    ResetBuffers();
    throw;
  }
}

}  // namespace gs
