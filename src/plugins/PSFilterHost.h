// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TPSFilterHost: runs one filter from the plug-in list over a 32-bit picture in place. It loads
// the filter's module, fills the filter record, offers the callback suites, drives the selector
// sequence, hands the plug-in the input, output and mask buffers it asks for, writes the results
// back and turns the plug-in's result codes into exceptions.
//
// The callbacks are plain C functions; they reach the host that is running a filter at the
// moment (one at a time). Exceptions never cross the plug-in's frames: a handler that throws
// makes its callback fail, and the exception is raised again once the plug-in has returned.

#include "common/Bitmap32.h"
#include "common/Color.h"
#include "common/Errors.h"
#include "platform/GlobalMemory.h"
#include "platform/ModuleLoader.h"
#include "plugins/FilterRecord.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace gs {

class TPIPLManager;

// A plug-in reported an error; the message comes from the host's table.
class EPhotoshopError : public Exception {
public:
  using Exception::Exception;
};

// The user or the plug-in cancelled: the host restores the picture and says nothing. Not a
// gs::Exception, so that no handler shows it by mistake.
class EFilterAborted : public std::exception {
public:
  const char* what() const noexcept override { return "The filter was cancelled."; }
};

// A byte per pixel, row-major; 255 = selected.
struct TByteMap {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Bits;

  void SetSize(int width, int height, uint8_t fill) {
    Width = width;
    Height = height;
    Bits.assign(size_t(width) * size_t(height), fill);
  }
  uint8_t At(int x, int y) const { return Bits[size_t(y) * size_t(Width) + size_t(x)]; }
};

// A whole-number field of a parameters dialog a plug-in asks the host to show.
struct TNumberField {
  std::string Label;
  int32_t Minimum = 0;
  int32_t Maximum = 0;
  int32_t Value = 0;
};

// The plug-in's message for a result code; empty for 0, positive codes and -128.
std::string PluginResultMessage(int16_t code);

class TPSFilterHost {
public:
  TPSFilterHost();
  ~TPSFilterHost();
  TPSFilterHost(const TPSFilterHost&) = delete;
  TPSFilterHost& operator=(const TPSFilterHost&) = delete;

  // ---- Settings and events (the published properties) ----
  bool DisplayOutput = false;
  std::function<void(TPSFilterHost&)> OnAdvanceState;
  std::function<void(TPSFilterHost&, int32_t done, int32_t total)> OnProgress;
  std::function<void(TPSFilterHost&, bool& abort)> OnTestAbort;
  std::function<void(TPSFilterHost&, ColorServicesInfo& info)> OnColorServices;
  std::function<void(TPSFilterHost&, const PSPixelMap* source, const VRect* sourceRect, int32_t dstRow,
                     int32_t dstCol, void* platformContext)>
      OnDisplayPixels;
  std::function<void(TPSFilterHost&, PIType signature, PIType key, int32_t index, intptr_t* simpleValue,
                     Handle* complexValue)>
      OnGetProperty;
  std::function<void(TPSFilterHost&, PIType signature, PIType key, int32_t index, intptr_t simpleValue,
                     Handle complexValue)>
      OnSetProperty;
  TColor ForeColor = 0;  // Windows colour values
  TColor BackColor = 0;
  bool ExecuteLastFilter = false;
  int FilterCase = 3;

  // ---- Events this platform adds ----
  // With DisplayOutput: a rectangle of Image has just been written.
  std::function<void(TPSFilterHost&, const TRect& changed)> OnOutputChanged;
  // The pixels a plug-in asked to display, as a picture to draw at (x, y) of the view; there are
  // no device contexts here to draw on. Only the part that falls on Image is handed on, and
  // nothing when none does.
  std::function<void(TPSFilterHost&, const TBitmap32& pixels, int x, int y)> OnDrawPixels;
  // A plug-in's parameters dialog (the Grimacer dialog suite): true when confirmed, with the
  // fields' values updated. Without a handler the suite is not offered.
  std::function<bool(TPSFilterHost&, const std::string& title, std::vector<TNumberField>& fields)>
      OnAskNumbers;

  // ---- What a run works on ----
  TBitmap32* Image = nullptr;  // filtered in place
  TBitmap32 Backup;            // the caller copies Image here before each run
  const TByteMap* Mask = nullptr;  // same size as Image, or none
  intptr_t ParentWindow = 0;       // offered to plug-ins as platform data

  // Loads the filter's module and resolves its `wx86` entry point. False when the module does not
  // load or lacks the entry point; Execute() then refuses to run, with LoadError() as its message.
  bool BindPlugin(TPIPLManager& filter);
  // Binds a filter to an entry point in this process instead of a module.
  void BindEntry(TPIPLManager& filter, FilterEntryProc entry);
  void UnbindPlugin();

  // "Could not load the filter module FILE: REASON" after a failed BindPlugin(), else empty.
  const std::string& LoadError() const { return LoadError_; }

  // Runs the bound filter: true when it ran to the end, false when cancelled (the picture is
  // then as it was). Plug-in errors raise EPhotoshopError, leaving what was already written; a
  // filter whose module did not load raises Exception before anything is touched.
  bool Execute();
  // Calls the entry point with a selector; 0 when no entry point is bound.
  int16_t CallSelector(int16_t selector);
  // Nothing for 0; EFilterAborted for positive codes and -128; EPhotoshopError otherwise.
  static void CheckResult(int16_t result);

  FilterRecord& Record() { return Record_; }
  const FilterRecord& Record() const { return Record_; }
  // The parameters of the last completed run, kept for "Execute last filter"; none after a
  // cancelled one.
  Handle SavedParameters() const { return SavedParameters_; }

  // The host running a filter right now, which the callbacks serve; nullptr between runs.
  static TPSFilterHost* Active();

private:
  struct TDescriptor {
    std::vector<uint8_t> Block;
    uint8_t* Data = nullptr;
    Rect Area{};
    int16_t LoPlane = 0;
    int16_t HiPlane = 0;
    int16_t PreDummy = 0;
    int16_t PostDummy = 0;
    Fixed Rate = 0;
    int32_t RowBytes = 0;
  };
  struct TPending {
    uint8_t* Data = nullptr;
    Rect Area{};
    int16_t LoPlane = 0;
    int16_t HiPlane = 0;
    int32_t RowBytes = 0;
  };
  friend struct THostCallbacks;

  void SetupRecord();
  bool AutoMaskFor() const;
  void ResetBuffers();
  OSErr AdvanceState();
  OSErr Deliver(TDescriptor& d, const Rect& area, int16_t lo, int16_t hi, int16_t pre, int16_t post,
                Fixed rate, void*& data, int32_t& rowBytes, int32_t& columnBytes, int32_t& planeBytes);
  OSErr BuildMask();
  void Flush();
  void TestAbort();
  void FreeParameters();
  // Keeps the first exception a handler threw inside a callback.
  void Defer(std::exception_ptr error);

  FilterRecord Record_{};
  PlatformData Platform_{};
  Str255 ErrorString_{};
  TPIPLManager* Filter_ = nullptr;
  TLoadedModule Module_;
  FilterEntryProc Entry_ = nullptr;
  std::string LoadError_;
  TDescriptor In_;
  TDescriptor Out_;
  TPending Pending_;
  std::vector<uint8_t> MaskBuffer_;
  std::vector<TGlobalHandle> Buffers_;  // buffer-suite blocks not yet freed by the plug-in
  Handle SavedParameters_ = nullptr;
  bool Abort_ = false;
  std::exception_ptr Deferred_;
};

}  // namespace gs
