// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TAnimateDialog: the "Animate Caricature" dialog. Collects the frame count, the delay, looping,
// back and forth, dithering and the output file, and plays a small preview of the animation at its real
// speed. One instance serves every use in a run, so the settings are offered again next time.

#include "platform/Dialogs.h"
#include "document/Animation.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

namespace gs {

class TShrunkScene;

inline constexpr const char* kAnimationDefaultExt = "gif";
inline constexpr int kPreviewSide = 200;

class TAnimateDialog : public QDialog, public TModalForm {
  Q_OBJECT

public:
  explicit TAnimateDialog(QWidget* parent = nullptr);
  ~TAnimateDialog() override;

  // Starts the dialog on a scene: a shrunk copy for the preview, no output file chosen yet,
  // and dithering on when the picture has more than 256 colours. Save As starts in `folder`.
  void Prepare(const TAnimationScene& scene, std::string folder = {});
  // Stops the preview and lets its pictures go.
  void Release();

  TAnimationSettings Settings() const;
  const std::string& OutputPath() const { return OutputPath_; }
  void SetOutputPath(const std::string& path);
  bool Confirmed() const { return Confirmed_; }

  std::string FormName() const override { return "Animate Caricature"; }
  bool ShowModal() override;
  // Fields: "Frames" (2..60), "Frame delay" (2..1000 hundredths of a second), "Loop animation",
  // "Play back and forth" and "Dither" ("on" or "off"), "Save As..." (the output path, as if
  // chosen in the save dialog). Ok without an output file asks for one first; when none is
  // chosen the dialog stays open and the answer counts as not confirmed.
  bool AnswerScripted(const TFormAnswer& answer) override;

  // The preview, for whoever wants to see where it is.
  int PreviewFrameCount() const { return int(PreviewFrames_.size()); }
  const std::vector<TBitmap32>& PreviewFrames() const { return PreviewFrames_; }
  int ShownFrame() const;  // the frame number the preview shows

  // Controls, named as on the form.
  QSpinBox* seFrames = nullptr;
  QSpinBox* seDelay = nullptr;
  QCheckBox* cbLoop = nullptr;
  QCheckBox* cbBackAndForth = nullptr;
  QCheckBox* cbDither = nullptr;
  QLabel* imgPreview = nullptr;
  QLabel* lblOutput = nullptr;
  QPushButton* btnSaveAs = nullptr;
  QPushButton* btnOk = nullptr;
  QPushButton* btnCancel = nullptr;
  QTimer* PreviewTimer = nullptr;

  void seFramesChange();
  void seDelayChange();
  void cbChange();
  void btnSaveAsClick();
  void btnOkClick();
  void btnCancelClick();
  void PreviewTimerTimer();

private:
  void RestartPreview();
  void ShowPreviewFrame();

  std::unique_ptr<TShrunkScene> Preview_;
  std::vector<TBitmap32> PreviewFrames_;
  std::vector<int> PreviewOrder_;
  size_t PreviewPosition_ = 0;
  std::string OutputPath_;
  std::string Folder_;
  bool Confirmed_ = false;
};

}  // namespace gs
