// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What running a filter needs from the user interface: the progress window, the Escape key,
// the plug-ins' parameters dialogs, their previews and the window they belong to. The window
// adapts its own forms to this; tests fake it.

#include "plugins/PSFilterHost.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gs {

class TFilterUi {
public:
  virtual ~TFilterUi() = default;
  virtual bool ProgressVisible() const = 0;
  // Shows the progress window with this label, paints the label at once and focuses the window.
  virtual void ShowProgress(const std::string& label) = 0;
  // Sets the bar to 0..total at done and lets pending paints through, nothing else.
  virtual void SetProgress(int32_t done, int32_t total) = 0;
  virtual void HideProgress() = 0;
  // After a run: when the progress window is visible, keeps it up a moment, then hides it.
  virtual void EndProgress() = 0;
  // Takes every pending key press out of the queue; true when one of them was Escape.
  virtual bool TakeEscape() = 0;
  // Shows a plug-in's parameters dialog; true when confirmed, with the values updated.
  virtual bool AskNumbers(const std::string& title, std::vector<TNumberField>& fields) = 0;
  // Shows pixels a plug-in displays over the picture with their top-left corner at picture
  // pixel (x, y), at once (the plug-in holds the event loop), until EndPreview().
  virtual void ShowPreview(const TBitmap32& pixels, int x, int y) = 0;
  virtual void EndPreview() = 0;
  // The native id of the window plug-ins run for, handed to them as platform data; 0 for none.
  virtual intptr_t WindowHandle() const = 0;
};

}  // namespace gs
