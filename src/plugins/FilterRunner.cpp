// SPDX-License-Identifier: GPL-3.0-or-later
#include "plugins/FilterRunner.h"

#include "platform/Dialogs.h"

#include <algorithm>

namespace gs {

std::string ProgressCaption(const std::string& filterName) {
  const bool dotted = filterName.size() >= 3 && filterName.compare(filterName.size() - 3, 3, "...") == 0;
  return "Applying Filter " + filterName + (dotted ? "" : "...");
}

TFilterRunner::TFilterRunner(TFilterUi* ui) : Ui_(ui) {
  FilterHost.DisplayOutput = false;
  FilterHost.FilterCase = 3;
  FilterHost.ForeColor = 0;
  FilterHost.BackColor = 0;

  FilterHost.OnProgress = [this](TPSFilterHost&, int32_t done, int32_t total) {
    if (!Ui_) return;
    if (!Ui_->ProgressVisible()) Ui_->ShowProgress(ProgressCaption(RunningName_));
    Ui_->SetProgress(done, total);
  };
  FilterHost.OnTestAbort = [this](TPSFilterHost&, bool& abort) {
    if (!Ui_ || !Ui_->TakeEscape()) return;
    abort = true;
    Ui_->HideProgress();
  };
  FilterHost.OnColorServices = [](TPSFilterHost&, ColorServicesInfo& info) {
    if (info.selector != plugIncolorServicesChooseColor) return;
    auto component = [&](int i) { return TColor(std::clamp<int>(info.colorComponents[i], 0, 255)); };
    const TColor initial = component(0) | component(1) << 8 | component(2) << 16;
    const std::optional<TColor> chosen = Dialogs().ChooseColor(initial);
    if (!chosen) return;
    info.colorComponents[0] = int16_t(*chosen & 0xFF);
    info.colorComponents[1] = int16_t((*chosen >> 8) & 0xFF);
    info.colorComponents[2] = int16_t((*chosen >> 16) & 0xFF);
  };
  FilterHost.OnAskNumbers = [this](TPSFilterHost&, const std::string& title, std::vector<TNumberField>& fields) {
    return Ui_ && Ui_->AskNumbers(title, fields);
  };
  FilterHost.OnDrawPixels = [this](TPSFilterHost&, const TBitmap32& pixels, int x, int y) {
    if (Ui_) Ui_->ShowPreview(pixels, x, y);
  };
}

bool TFilterRunner::RunFilter(int index, bool asLastFilter, TBitmap32& target) {
  if (index < 0 || index >= Plugins.Count())
    throw Exception("There is no filter number " + std::to_string(index) + ".");
  // Timers and posted events still arrive while a plug-in runs; one of them must not start a
  // second run over the first one's buffers.
  if (Running_) throw Exception("A filter is already running.");
  struct TRunning {
    bool& Flag;
    explicit TRunning(bool& flag) : Flag(flag) { Flag = true; }
    ~TRunning() { Flag = false; }
  } running(Running_);
  TPIPLManager& filter = Plugins[index];
  FilterHost.Image = &target;
  FilterHost.Backup = target;
  MaskMap.SetSize(target.Width(), target.Height(), 255);
  FilterHost.Mask = &MaskMap;
  RunningName_ = filter.Name();

  FilterHost.ParentWindow = Ui_ ? Ui_->WindowHandle() : 0;
  FilterHost.BindPlugin(filter);
  FilterHost.ExecuteLastFilter = asLastFilter;
  bool completed = false;
  try {
    completed = FilterHost.Execute();
  } catch (...) {
    FilterHost.UnbindPlugin();
    // Neither the progress window nor a preview may outlive a failed run.
    if (Ui_) {
      Ui_->EndPreview();
      Ui_->HideProgress();
    }
    throw;
  }
  FilterHost.UnbindPlugin();
  if (Ui_) Ui_->EndPreview();
  LastFilter_ = &filter;
  return completed;
}

bool TFilterRunner::RunLastFilter(TBitmap32& target) {
  const int index = LastFilterIndex();
  if (index < 0) throw Exception("No filter has been run yet.");
  return RunFilter(index, true, target);
}

}  // namespace gs
