#pragma once
// The window's side of a filter run for TFilterRunner: its progress window, Escape from the
// keyboard, and the parameters dialogs through the dialog service.
//
// TForm is the progress window; it needs isVisible(), hide(), Start(const QString& label)
// (label, show, paint, focus) and SetProgress(int position, int maximum) (bar, then paints
// only). With no form, runs show no progress but still answer Escape and dialogs.

#include "platform/qt/MessagePump.h"
#include "plugins/FilterUi.h"
#include "plugins/qt/FilterParametersForm.h"
#include "plugins/qt/KeyboardAbort.h"

#include <QString>

namespace gs {

template <class TForm>
class TQtFilterUi final : public TFilterUi {
public:
  explicit TQtFilterUi(TForm* progressForm, QWidget* dialogParent = nullptr)
      : Form_(progressForm), DialogParent_(dialogParent) {}

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

private:
  TForm* Form_;
  QWidget* DialogParent_;
};

}  // namespace gs
