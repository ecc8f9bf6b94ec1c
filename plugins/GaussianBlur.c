// SPDX-License-Identifier: GPL-3.0-or-later
/* Gaussian Blur: a separable Gaussian of standard deviation 2 pixels. The picture is asked for
 * in tiles; each tile's input is the tile widened by the kernel's radius and cut to the picture,
 * so the host never has to pad, and pixels beyond the picture's edge count as the edge pixel.
 * Tiles therefore join without seams: the result is that of blurring the whole picture. */
#include "FilterKit.h"

#include <math.h>
#include <stdlib.h>

#define BLUR_SIGMA 2.0
#define BLUR_RADIUS 6
#define BLUR_TILE 128

static float Kernel[2 * BLUR_RADIUS + 1];

static void MakeKernel(void) {
  double sum = 0;
  for (int k = -BLUR_RADIUS; k <= BLUR_RADIUS; ++k) sum += exp(-(k * k) / (2 * BLUR_SIGMA * BLUR_SIGMA));
  for (int k = -BLUR_RADIUS; k <= BLUR_RADIUS; ++k)
    Kernel[k + BLUR_RADIUS] = (float)(exp(-(k * k) / (2 * BLUR_SIGMA * BLUR_SIGMA)) / sum);
}

static int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

/* Asks for the tile whose top-left corner is (top, left); nothing once past the picture. */
static void RequestTile(FilterRecord* r, int top, int left) {
  const Rect* f = &r->filterRect;
  if (top >= f->bottom) {
    GSEmptyRects(r);
    return;
  }
  r->outRect.top = (int16_t)top;
  r->outRect.left = (int16_t)left;
  r->outRect.bottom = GSMin16(top + BLUR_TILE, f->bottom);
  r->outRect.right = GSMin16(left + BLUR_TILE, f->right);
  r->inRect.top = GSMax16(top - BLUR_RADIUS, f->top);
  r->inRect.left = GSMax16(left - BLUR_RADIUS, f->left);
  r->inRect.bottom = GSMin16(r->outRect.bottom + BLUR_RADIUS, f->bottom);
  r->inRect.right = GSMin16(r->outRect.right + BLUR_RADIUS, f->right);
  r->inLoPlane = r->outLoPlane = 0;
  r->inHiPlane = r->outHiPlane = 2;
}

static OSErr BlurTile(FilterRecord* r) {
  const Rect in = r->inRect, out = r->outRect;
  const int inH = in.bottom - in.top, outW = out.right - out.left, outH = out.bottom - out.top;
  float* rows = (float*)malloc(sizeof(float) * 3 * (size_t)inH * (size_t)outW);
  if (!rows) return memFullErr;
  const uint8_t* src = (const uint8_t*)r->inData;
  for (int y = 0; y < inH; ++y) {
    const uint8_t* line = src + (ptrdiff_t)y * r->inRowBytes;
    for (int x = 0; x < outW; ++x) {
      float acc[3] = {0, 0, 0};
      for (int k = -BLUR_RADIUS; k <= BLUR_RADIUS; ++k) {
        const int sx = Clamp(out.left + x + k, in.left, in.right - 1) - in.left;
        const uint8_t* p = line + (ptrdiff_t)sx * r->inColumnBytes;
        for (int c = 0; c < 3; ++c) acc[c] += Kernel[k + BLUR_RADIUS] * p[c];
      }
      for (int c = 0; c < 3; ++c) rows[((size_t)y * outW + x) * 3 + c] = acc[c];
    }
  }
  uint8_t* dst = (uint8_t*)r->outData;
  for (int y = 0; y < outH; ++y) {
    uint8_t* line = dst + (ptrdiff_t)y * r->outRowBytes;
    for (int x = 0; x < outW; ++x) {
      float acc[3] = {0, 0, 0};
      for (int k = -BLUR_RADIUS; k <= BLUR_RADIUS; ++k) {
        const int sy = Clamp(out.top + y + k, in.top, in.bottom - 1) - in.top;
        for (int c = 0; c < 3; ++c) acc[c] += Kernel[k + BLUR_RADIUS] * rows[((size_t)sy * outW + x) * 3 + c];
      }
      for (int c = 0; c < 3; ++c) line[(ptrdiff_t)x * r->outColumnBytes + c] = GSClampByte((int)(acc[c] + 0.5f));
    }
  }
  free(rows);
  return noErr;
}

GS_FILTER_EXPORT void GaussianBlurFilter(int16_t selector, FilterRecord* record, intptr_t* data, int16_t* result) {
  (void)data;
  const Rect* f = &record->filterRect;
  switch (selector) {
    case filterSelectorStart:
      MakeKernel();
      RequestTile(record, f->top, f->left);
      break;
    case filterSelectorContinue: {
      OSErr err = BlurTile(record);
      if (!err) {
        const int across = (f->right - f->left + BLUR_TILE - 1) / BLUR_TILE;
        const int down = (f->bottom - f->top + BLUR_TILE - 1) / BLUR_TILE;
        const int done = ((record->outRect.top - f->top) / BLUR_TILE) * across +
                         (record->outRect.left - f->left) / BLUR_TILE + 1;
        if (record->progressProc) record->progressProc(done, across * down);
        if (record->abortProc && record->abortProc()) err = userCanceledErr;
      }
      if (err) {
        *result = err;
        break;
      }
      if (record->outRect.right < f->right) RequestTile(record, record->outRect.top, record->outRect.right);
      else RequestTile(record, record->outRect.bottom, f->left);
      break;
    }
    default: break;
  }
}
