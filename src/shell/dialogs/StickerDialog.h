// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File > Export Sticker...: whether the sticker plays the caricature's animation, which
// background turns transparent, and whose face it shows.

#include "document/Sticker.h"
#include "platform/Dialogs.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace gs {

class TStickerDialog : public QDialog, public TModalForm {
  Q_OBJECT

public:
  explicit TStickerDialog(QWidget* parent = nullptr);

  // faces: how many were found (the largest is 1); 0 makes a sticker of the whole picture.
  // canAnimate: the caricature has a warp to play. transparent: the picture has transparent
  // pixels already, so the background starts as None.
  void Prepare(int faces, bool canAnimate, bool transparent);

  bool Animated() const;
  TStickerBackground Background() const;
  int FaceIndex() const;  // counted from 0; -1 for the whole picture

  std::string FormName() const override { return "Export Sticker"; }
  bool ShowModal() override;
  // Fields: "Animated" ("on" or "off"), "Background" ("oval" or "none"), "Face" (1 for the
  // largest, up to the number found).
  bool AnswerScripted(const TFormAnswer& answer) override;

  QCheckBox* cbAnimated = nullptr;
  QComboBox* cbBackground = nullptr;
  QSpinBox* seFace = nullptr;
  QPushButton* btnOk = nullptr;
  QPushButton* btnCancel = nullptr;

private:
  int Faces_ = 0;
};

}  // namespace gs
