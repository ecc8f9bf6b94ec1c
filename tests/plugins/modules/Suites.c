// SPDX-License-Identifier: GPL-3.0-or-later
/* Exercises the handle and buffer suites the way filters use them and paints the picture green
 * when every answer was right. Anything wrong ends the run with filterBadParameters. It keeps a
 * handle of its own in its data word from the first run on and checks it on later runs. */
#include "TestKit.h"

#define CHECK(condition) \
  do {                   \
    if (!(condition)) return filterBadParameters; \
  } while (0)

static OSErr CheckHandles(FilterRecord* r, intptr_t* data) {
  HandleProcs* h = r->handleProcs;
  CHECK(h && h->numHandleProcs >= 7);
  Handle handle = h->newProc(16);
  CHECK(handle && h->getSizeProc(handle) == 16);
  char* p = h->lockProc(handle, 0);
  CHECK(p);
  for (int i = 0; i < 16; ++i) CHECK(p[i] == 0);
  memcpy(p, "parameters", 11);
  h->unlockProc(handle);
  CHECK(h->setSizeProc(handle, 64) == noErr && h->getSizeProc(handle) == 64);
  p = h->lockProc(handle, 0);
  CHECK(p && memcmp(p, "parameters", 11) == 0);
  for (int i = 16; i < 64; ++i) CHECK(p[i] == 0);
  h->lockProc(handle, 0); /* locked twice: dispose must cope */
  h->disposeProc(handle);

  if (*data == 0) {
    Handle mine = h->newProc(4);
    CHECK(mine);
    char* q = h->lockProc(mine, 0);
    memcpy(q, "KEEP", 4);
    h->unlockProc(mine);
    *data = (intptr_t)mine;
  } else {
    char* q = h->lockProc((Handle)*data, 0);
    CHECK(q && memcmp(q, "KEEP", 4) == 0);
    h->unlockProc((Handle)*data);
  }
  return noErr;
}

static OSErr CheckBuffers(FilterRecord* r) {
  BufferProcs* b = r->bufferProcs;
  CHECK(b && b->numBufferProcs >= 5);
  BufferID id = (BufferID)1;
  CHECK(b->allocateProc(0, &id) == nilHandleErr && id == NULL);
  CHECK(b->allocateProc(1000, &id) == noErr && id != NULL);
  char* p = b->lockProc(id, 0);
  CHECK(p);
  for (int i = 0; i < 1000; ++i) CHECK(p[i] == 0);
  memset(p, 7, 1000);
  b->unlockProc(id);
  b->freeProc(id);
  BufferID forgotten = NULL; /* never freed: the host must not leak it */
  CHECK(b->allocateProc(100, &forgotten) == noErr);
  CHECK(b->spaceProc() > 0);
  return noErr;
}

GS_FILTER_EXPORT void SuitesEntry(int16_t selector, FilterRecord* r, intptr_t* data, int16_t* result) {
  if (selector == filterSelectorStart) {
    OSErr err = CheckHandles(r, data);
    if (!err) err = CheckBuffers(r);
    *result = err;
  }
  PaintAll(selector, r, 0, 255, 0);
}
