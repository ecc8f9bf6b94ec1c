// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TComicFilterForm: the "Comic Filter" preview. Works on a copy of the picture it is given and
// never changes the document.

#include "common/Bitmap32.h"
#include "platform/Dialogs.h"

#include <QDialog>

class QLabel;
class QSlider;

namespace gs {

class TComicFilterForm : public QDialog, public TModalForm {
  Q_OBJECT

public:
  // `picture` is the document's view picture; the form keeps its own unfiltered copy.
  explicit TComicFilterForm(const TBitmap32& picture, QWidget* parent = nullptr);

  std::string FormName() const override { return "Comic Filter"; }
  bool ShowModal() override;
  // Fields "Radius of a mask", "Percent black", "Posterize" (whole numbers 1..100). Ok
  // recomputes the preview and then closes, as a person would after looking at it; the result
  // is true for Ok. The document is never touched either way.
  bool AnswerScripted(const TFormAnswer& answer) override;

  const TBitmap32& Preview() const { return Preview_; }

  // Controls, named as on the form.
  QLabel* DstImg = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QSlider* TrackBar1 = nullptr;  // "Radius of a mask": shown, feeds nothing
  QSlider* TrackBar2 = nullptr;  // "Percent black": shown, feeds nothing
  QSlider* TrackBar3 = nullptr;  // "Posterize": the step

  void Button1Click();  // "Ok": recompute from the unfiltered copy
  void Button2Click();  // "Cancel"

protected:
  void resizeEvent(QResizeEvent* event) override;

private:
  void ShowPreview();

  TBitmap32 Unfiltered_;
  TBitmap32 Preview_;
};

}  // namespace gs
