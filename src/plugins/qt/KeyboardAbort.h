// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Escape key while a filter runs. The filter holds the one user-interface thread, so the key
// is found by letting pending events through now and then; all input found meanwhile is
// swallowed, so that no menu or tool can start while the picture is being filtered.

namespace gs {

// Delivers the pending events, swallowing key, mouse, wheel and touch input; true when an
// Escape key press was among them.
bool TakePendingEscape();

}  // namespace gs
