// SPDX-License-Identifier: GPL-3.0-or-later
// Filter plug-ins in the main window: the Filters menu, running a filter on the picture or the
// selected layer, "last filter" and loading more filters.

#include "platform/Dialogs.h"
#include "plugins/FilterRunner.h"
#include "plugins/qt/FilterMenu.h"
#include "plugins/qt/LoadPluginForm.h"
#include "shell/view/ImageView.h"
#include "shell/view/LayerViews.h"
#include "shell/dialogs/ProgressForm.h"
#include "shell/window/Studio.h"
#include "document/Layers.h"

#include <QAction>
#include <QMenu>

namespace gs {

TCommandRows TSStudio::FilterCommands() {
  static const TCommandRow rows[] = {
      {.Name = "mLoadFilters", .Caption = "&Load Filter Plug-Ins...", .Handler = &TSStudio::LoadFilterPlugIns1Click,
       .Menu = {TMenu::File, 15}, .Needs = TNeeds::Nothing},
      {.Name = "LastFilter1", .Caption = kLastFilterCaption, .Handler = &TSStudio::miLastFilterClickClick,
       .Menu = {TMenu::Filters, 10}, .Also = &TSStudio::HasLastFilter, .Batch = "lastfilter"},
  };
  return rows;
}

bool TSStudio::HasLastFilter() const { return Filters_ && Filters_->HasLastFilter(); }

void TSStudio::BuildFilterMenu(const std::string& folder, bool includeSubDirectories) {
  gs::BuildFilterMenu(*Menu(TMenu::Filters), Filters_->Plugins, folder, includeSubDirectories,
                      [this](int index) { RunFilter(index, false); });
}

void TSStudio::BuildFilterMenu(const std::vector<std::string>& folders, bool includeSubDirectories) {
  gs::BuildFilterMenu(*Menu(TMenu::Filters), Filters_->Plugins, folders, includeSubDirectories,
                      [this](int index) { RunFilter(index, false); });
}

namespace {
// The step of a filter is named after it.
constexpr const char* kFilterStepPrefix = "Filter: ";

// The warp fades out at the picture's edge instead of dragging in its outer colour.
void ClearBorderAlpha(TBitmap32& picture) {
  const int w = picture.Width();
  const int h = picture.Height();
  for (int x = 0; x < w; ++x) {
    picture.SetPixel(x, 0, RgbOf(picture.Pixel(x, 0)));
    picture.SetPixel(x, h - 1, RgbOf(picture.Pixel(x, h - 1)));
  }
  for (int y = 0; y < h; ++y) {
    picture.SetPixel(0, y, RgbOf(picture.Pixel(0, y)));
    picture.SetPixel(w - 1, y, RgbOf(picture.Pixel(w - 1, y)));
  }
}
}  // namespace

void TSStudio::RunFilter(int index, bool asLastFilter) {
  if (!Doc.ImageLoaded() || Filters_->Running() || index < 0 || index >= Filters_->Plugins.Count()) return;
  std::string name = Filters_->Plugins[index].Name();
  while (!name.empty() && name.back() == '.') name.pop_back();
  RecordStep(TChangeScope::Picture, kFilterStepPrefix + name, [this, index, asLastFilter] { ApplyFilter(index, asLastFilter); });
}

void TSStudio::ApplyFilter(int index, bool asLastFilter) {
  // A pixel tool's work is merged first; a selected layer stays selected as the target.
  if (IsPixelTool(Doc.ToolMode)) EndTool();
  // A stroke held through the filter's dialog ends with it.
  Doc.Brushes.Release();
  const int layer = Doc.Selection().Index();
  const bool onLayer = layer >= 0;
  TBitmap32& target = onLayer ? Doc.Layers()[size_t(layer)]->Bitmap : Doc.ViewBitmap;
  const bool completed = Filters_->RunFilter(index, asLastFilter, target);
  if (completed) {
    if (onLayer) {
      RenewLayerRecord(Doc, layer);
    } else {
      // The filtered picture is the new warp source; the old mesh would warp it a second time.
      const TBitmap32 filtered = Doc.ViewBitmap;
      Doc.ReplacePicture(filtered);
      ClearBorderAlpha(Doc.SourceBitmap);
    }
  }
  ShowLastFilterDone(*Action("LastFilter1"));
  RefreshView();
  DstImg->update();
  Filters_->EndProgress();
}

void TSStudio::miLastFilterClickClick() {
  if (Filters_->HasLastFilter()) RunFilter(Filters_->LastFilterIndex(), true);
}

void TSStudio::LoadFilterPlugIns1Click() { Dialogs().RunForm(*LoadPluginForm); }

}  // namespace gs
