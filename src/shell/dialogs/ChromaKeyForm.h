// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfrmChromaKey: the "Chromakey Options" dialog. One instance serves every use in a run, so the
// tolerance, the chosen effect and the background picture are offered again next time.

#include "common/Bitmap32.h"
#include "platform/Dialogs.h"

#include <QDialog>

#include <optional>
#include <string>

class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

namespace gs {

class TfrmChromaKey : public QDialog, public TModalForm {
  Q_OBJECT

public:
  explicit TfrmChromaKey(QWidget* parent = nullptr);

  std::string FormName() const override { return "Chromakey Options"; }
  bool ShowModal() override;
  // Fields: "Make transparency from selected color" and "Insert background image" ("on" checks
  // the option), "Browse..." (a picture file path, loaded as the background as if chosen in the
  // file dialog), "Color Tolerance" (0..160). Ok that the dialog refuses counts as not confirmed.
  bool AnswerScripted(const TFormAnswer& answer) override;

  // What a confirmed dialog asks for.
  int Threshold() const;
  // The background picture when "Insert background image" is checked, else nothing.
  std::optional<TBitmap32> BackgroundPicture() const;
  bool BackgroundChosen() const { return BackgroundChosen_; }

  // Loads a picture file as the background; on failure the exception propagates and the
  // previous background stays.
  void LoadBackground(const std::string& path);

  // Controls, named as on the form.
  QLabel* Label3 = nullptr;
  QRadioButton* rbtnTransparency = nullptr;
  QRadioButton* rbtnBackground = nullptr;
  QPushButton* btnBrowse = nullptr;
  QLabel* imgBackground = nullptr;
  QLabel* lblColorTolerance = nullptr;
  QLabel* lblColorToleranceValue = nullptr;
  QSlider* trbColorTolerance = nullptr;
  QPushButton* btnOk = nullptr;
  QPushButton* btnCancel = nullptr;

  void rbtnClick();
  void btnBrowseClick();
  void btnOkClick();
  void btnCancelClick();
  void trbColorToleranceChange();

private:
  void ShowBackground();

  bool BackgroundChosen_ = false;
  bool Confirmed_ = false;
  TBitmap32 Background_;
};

// "10", "10.5", "16": the tolerance as the value label shows it, without the per cent sign.
std::string ToleranceText(int position);

}  // namespace gs
