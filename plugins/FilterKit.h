// SPDX-License-Identifier: GPL-3.0-or-later
/* Helpers the filters we ship share: walking the picture in strips of rows, progress and the
 * Escape test, and the parameters dialog of the host. Plain C, header only. */
#ifndef GS_FILTER_KIT_H
#define GS_FILTER_KIT_H

#include "plugins/FilterRecord.h"
#include "plugins/GrimacerSuites.h"

#include <string.h>

#define GS_STRIP_ROWS 64

static inline int16_t GSMin16(int a, int b) { return (int16_t)(a < b ? a : b); }
static inline int16_t GSMax16(int a, int b) { return (int16_t)(a > b ? a : b); }
static inline uint8_t GSClampByte(int v) { return (uint8_t)(v < 0 ? 0 : v > 255 ? 255 : v); }

static inline void GSEmptyRects(FilterRecord* r) {
  memset(&r->inRect, 0, sizeof r->inRect);
  memset(&r->outRect, 0, sizeof r->outRect);
  memset(&r->maskRect, 0, sizeof r->maskRect);
}

/* Asks for the strip of rows starting at `top` (input and output alike, all three planes), or
 * for nothing once past the picture. Returns 0 when there is no strip left. */
static inline int GSRequestStrip(FilterRecord* r, int top) {
  if (top >= r->filterRect.bottom) {
    GSEmptyRects(r);
    return 0;
  }
  r->outRect.top = (int16_t)top;
  r->outRect.bottom = GSMin16(top + GS_STRIP_ROWS, r->filterRect.bottom);
  r->outRect.left = r->filterRect.left;
  r->outRect.right = r->filterRect.right;
  r->inRect = r->outRect;
  r->inLoPlane = r->outLoPlane = 0;
  r->inHiPlane = r->outHiPlane = 2;
  return 1;
}

/* Reports progress through the rows and asks whether the user wants to stop. */
static inline OSErr GSProgressAndAbort(FilterRecord* r, int rowsDone) {
  const int total = r->filterRect.bottom - r->filterRect.top;
  if (r->progressProc) r->progressProc(rowsDone - r->filterRect.top, total);
  if (r->abortProc && r->abortProc()) return userCanceledErr;
  return noErr;
}

typedef void (*GSPixelFn)(uint8_t rgb[3], const void* context);

/* The continue step of a filter that changes each pixel on its own. */
static inline OSErr GSPointContinue(FilterRecord* r, GSPixelFn fn, const void* context) {
  const int rows = r->outRect.bottom - r->outRect.top;
  const int cols = r->outRect.right - r->outRect.left;
  for (int y = 0; y < rows; ++y) {
    const uint8_t* in = (const uint8_t*)r->inData + (ptrdiff_t)y * r->inRowBytes;
    uint8_t* out = (uint8_t*)r->outData + (ptrdiff_t)y * r->outRowBytes;
    for (int x = 0; x < cols; ++x) {
      uint8_t rgb[3] = {in[0], in[1], in[2]};
      fn(rgb, context);
      out[0] = rgb[0];
      out[1] = rgb[1];
      out[2] = rgb[2];
      in += r->inColumnBytes;
      out += r->outColumnBytes;
    }
  }
  const OSErr err = GSProgressAndAbort(r, r->outRect.bottom);
  if (err) return err;
  GSRequestStrip(r, r->outRect.bottom);
  return noErr;
}

/* The host's parameters dialog, or NULL on a host without one. */
static inline const GSDialogSuite1* GSDialogs(FilterRecord* r) {
  const void* suite = NULL;
  if (!r->sSPBasic || r->sSPBasic->AcquireSuite(kGSDialogSuite, kGSDialogSuiteVersion1, &suite) != 0) return NULL;
  return (const GSDialogSuite1*)suite;
}

/* Reads an int32 setting kept in the `parameters` handle; `fallback` when there is none. */
static inline int32_t GSReadSetting(FilterRecord* r, int32_t fallback) {
  if (!r->parameters || !r->handleProcs || r->handleProcs->getSizeProc(r->parameters) < (int32_t)sizeof(int32_t))
    return fallback;
  int32_t value = fallback;
  const char* p = r->handleProcs->lockProc(r->parameters, 0);
  if (p) memcpy(&value, p, sizeof value);
  r->handleProcs->unlockProc(r->parameters);
  return value;
}

/* Keeps an int32 setting in the `parameters` handle, creating it when needed. */
static inline OSErr GSWriteSetting(FilterRecord* r, int32_t value) {
  if (!r->handleProcs) return errPlugInHostInsufficient;
  if (!r->parameters) r->parameters = r->handleProcs->newProc((int32_t)sizeof(int32_t));
  if (!r->parameters) return memFullErr;
  char* p = r->handleProcs->lockProc(r->parameters, 0);
  if (!p) return nilHandleErr;
  memcpy(p, &value, sizeof value);
  r->handleProcs->unlockProc(r->parameters);
  return noErr;
}

#endif
