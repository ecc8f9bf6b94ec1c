// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The C functions a plug-in calls back through, and the suites that hold them. Each serves the
// host running a filter at the moment.

#include "plugins/FilterRecord.h"
#include "plugins/GrimacerSuites.h"

#include <exception>

namespace gs {

class TPSFilterHost;

struct THostCallbacks {
  static Boolean TestAbort();
  static void Progress(int32_t done, int32_t total);
  static OSErr AdvanceState();
  static OSErr ColorServices(ColorServicesInfo* info);
  static OSErr DisplayPixels(const PSPixelMap* source, const VRect* sourceRect, int32_t dstRow, int32_t dstCol,
                             void* platformContext);

  static OSErr AllocateBuffer(int32_t size, BufferID* bufferID);
  static Ptr LockBuffer(BufferID bufferID, Boolean moveHigh);
  static void UnlockBuffer(BufferID bufferID);
  static void FreeBuffer(BufferID bufferID);
  static int32_t BufferSpace();

  static Handle NewHandle(int32_t size);
  static void DisposeHandle(Handle h);
  static int32_t GetHandleSize(Handle h);
  static OSErr SetHandleSize(Handle h, int32_t newSize);
  static Ptr LockHandle(Handle h, Boolean moveHigh);
  static void UnlockHandle(Handle h);
  static void RecoverSpace(int32_t size);

  static OSErr GetProperty(PIType signature, PIType key, int32_t index, intptr_t* simpleProperty,
                           Handle* complexProperty);
  static OSErr SetProperty(PIType signature, PIType key, int32_t index, intptr_t simpleProperty,
                           Handle complexProperty);

  static SPErr AcquireSuite(const char* name, int32_t version, const void** suite);
  static SPErr ReleaseSuite(const char* name, int32_t version);
  static SPBoolean IsEqual(const char* token1, const char* token2);
  static SPErr AllocateBlock(size_t size, void** block);
  static SPErr FreeBlock(void* block);
  static SPErr ReallocateBlock(void* block, size_t newSize, void** newBlock);
  static SPErr Undefined();

  static int32_t AskNumbers(const char* title, GSNumberField* fields, int32_t count);

  // Hands an exception thrown inside a callback to the host, which raises it again once the
  // plug-in has returned.
  static void Defer(TPSFilterHost& host, std::exception_ptr error);

  static BufferProcs BufferSuite;
  static HandleProcs HandleSuite;
  static PropertyProcs PropertySuite;
  static SPBasicSuite BasicSuite;
  static GSDialogSuite1 DialogSuite;
};

// The largest picture side a filter record can describe.
inline constexpr int kMaxFilterSide = 32767;

}  // namespace gs
