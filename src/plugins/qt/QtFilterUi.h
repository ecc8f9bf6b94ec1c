// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's side of a filter run for TFilterRunner: its progress window, Escape from the
// keyboard, the parameters dialogs through the dialog service, plug-in previews on the picture
// view, and the native id of the window as the plug-ins' platform data.
//
// TForm is the progress window; it needs isVisible(), hide(), Start(const QString& label)
// (label, show, paint, focus) and SetProgress(int position, int maximum) (bar, then paints
// only). With no form, runs show no progress but still answer Escape and dialogs.
//
// TView is the picture view; it needs ShowPreview(const QImage& pixels, QPoint picturePosition)
// (drawn over the picture at once) and EndPreview(). With no view, previews are not shown.

#include "platform/qt/MessagePump.h"
#include "plugins/FilterUi.h"
#include "plugins/qt/FilterParametersForm.h"
#include "plugins/qt/KeyboardAbort.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <cstring>

namespace gs {

// For windows without a picture view.
struct TNoPreviewView {
  void ShowPreview(const QImage&, QPoint) {}
  void EndPreview() {}
};

template <class TForm, class TView = TNoPreviewView>
class TQtFilterUi final : public TFilterUi {
public:
  explicit TQtFilterUi(TForm* progressForm, QWidget* dialogParent = nullptr, TView* view = nullptr)
      : Form_(progressForm), DialogParent_(dialogParent), View_(view) {}

  bool ProgressVisible() const override { return Form_ && Form_->isVisible(); }
  void ShowProgress(const std::string& label) override {
    if (Form_) Form_->Start(QString::fromStdString(label));
  }
  void SetProgress(int32_t done, int32_t total) override {
    if (Form_) Form_->SetProgress(int(done), int(total));
  }
  void HideProgress() override {
    if (Form_) Form_->hide();
  }
  void EndProgress() override {
    if (!ProgressVisible()) return;
    WaitPumping(200);
    Form_->hide();
  }
  bool TakeEscape() override { return TakePendingEscape(); }
  bool AskNumbers(const std::string& title, std::vector<TNumberField>& fields) override {
    return AskFilterNumbers(title, fields, DialogParent_);
  }
  void ShowPreview(const TBitmap32& pixels, int x, int y) override {
    if (!View_ || pixels.Empty()) return;
    // A preview is opaque whatever the plug-in left in the fourth byte.
    QImage image(pixels.Width(), pixels.Height(), QImage::Format_RGB32);
    for (int row = 0; row < pixels.Height(); ++row)
      std::memcpy(image.scanLine(row), pixels.ScanLine(row), size_t(pixels.Width()) * 4);
    View_->ShowPreview(image, QPoint(x, y));
  }
  void EndPreview() override {
    if (View_) View_->EndPreview();
  }
  intptr_t WindowHandle() const override {
    return DialogParent_ ? intptr_t(DialogParent_->window()->winId()) : 0;
  }

private:
  TForm* Form_;
  QWidget* DialogParent_;
  TView* View_;
};

}  // namespace gs
