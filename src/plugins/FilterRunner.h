// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFilterRunner: the plug-in list, the filter host and "last filter", and the run of one filter
// on a picture with progress, Escape and the colour and parameters dialogs. The window picks the
// picture (the working picture or the selected layer's) and takes it back afterwards.

#include "plugins/FilterUi.h"
#include "plugins/PSFilterHost.h"
#include "plugins/PluginList.h"

#include <string>

namespace gs {

inline constexpr const char* kLastFilterCaption = "Last Filter";
inline constexpr const char* kExecuteLastFilterCaption = "Execute last filter";

// "Applying Filter " and the filter's name, with "..." appended unless it already ends so.
std::string ProgressCaption(const std::string& filterName);

class TFilterRunner {
public:
  // `ui` (not owned) may be null: the filter then runs without progress, Escape or dialogs.
  explicit TFilterRunner(TFilterUi* ui = nullptr);

  TPSPluginList Plugins;
  TPSFilterHost FilterHost;
  TByteMap MaskMap;  // all selected; the host blends with it

  // Runs filter `index` of Plugins on `target` in place; `asLastFilter` re-runs it with the
  // parameters of the last run, without its dialog. True when it ran to the end, false when
  // cancelled (the picture is then as it was). Either way it becomes the last filter. A plug-in
  // error raises EPhotoshopError, leaving what was already written (the progress window is then
  // hidden); an index outside the list, or a module that does not load, raises Exception with the
  // picture untouched. Otherwise the progress window stays up so that the caller can show the
  // result first and then call EndProgress(). A preview the plug-in showed is gone either way.
  bool RunFilter(int index, bool asLastFilter, TBitmap32& target);
  // Keeps the progress window up a moment, if it is up, then hides it.
  void EndProgress() {
    if (Ui_) Ui_->EndProgress();
  }
  // "Execute last filter" on `target`; Exception when no filter has run yet.
  bool RunLastFilter(TBitmap32& target);

  // The list index of the last filter that ran, or -1; it follows the entry when a later scan
  // sorts new filters in before it.
  int LastFilterIndex() const { return LastFilter_ ? Plugins.IndexOf(LastFilter_) : -1; }
  bool HasLastFilter() const { return LastFilterIndex() >= 0; }
  // True while a filter runs (events delivered meanwhile must not start another).
  bool Running() const { return Running_; }

private:
  TFilterUi* Ui_;
  const TPIPLManager* LastFilter_ = nullptr;
  std::string RunningName_;
  bool Running_ = false;
};

}  // namespace gs
