// SPDX-License-Identifier: GPL-3.0-or-later
/* Suites Grimacer Studio offers beyond the published filter interface, acquired through the
 * basic suite: sSPBasic->AcquireSuite(kGSDialogSuite, kGSDialogSuiteVersion1, &suite).
 *
 * A module cannot link the editor's user-interface library, so a filter with settings asks the
 * host to show its dialog. The host shows it as one of its own forms, which is how scripts and
 * tests answer it as well. On a host without the suite, AcquireSuite fails and the filter goes on
 * with its defaults.
 */
#ifndef GS_PLUGINS_GRIMACER_SUITES_H
#define GS_PLUGINS_GRIMACER_SUITES_H

#include "plugins/FilterRecord.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kGSDialogSuite "Grimacer Dialog Suite"
#define kGSDialogSuiteVersion1 1

/* One whole-number field of a parameters dialog. */
typedef struct GSNumberField {
  const char* label; /* text beside the field; also the name a script answers it by */
  int32_t minimum;
  int32_t maximum;
  int32_t value; /* in: shown first (clamped to the range); out: the confirmed value */
} GSNumberField;

typedef struct GSDialogSuite1 {
  /* Shows a modal dialog titled `title` with `count` number fields and OK / Cancel. Returns 1
   * when the user confirmed (each field's value then holds the typed value), 0 when cancelled,
   * and a negative result code when the dialog could not be shown. */
  int32_t (*AskNumbers)(const char* title, GSNumberField* fields, int32_t count);
} GSDialogSuite1;

#ifdef __cplusplus
}
#endif

#endif
