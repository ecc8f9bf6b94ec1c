// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TProgressForm: the small window without a title bar that long operations (filter plug-ins)
// show: a centred label above a progress bar. Updating it lets paints through but no input, so
// nothing else can start while the operation holds the user-interface thread.

#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;

namespace gs {

class TProgressForm : public QWidget {
  Q_OBJECT

public:
  explicit TProgressForm(QWidget* parent = nullptr);

  QLabel* lblProgress = nullptr;
  QProgressBar* ProgressBar = nullptr;

  // Sets the label, shows the window over the middle of its parent, paints the label at once
  // and takes the keyboard focus (so that Escape goes to it).
  void Start(const QString& label);
  // Bar from 0 to `maximum` at `position`, then lets pending paints through.
  void SetProgress(int position, int maximum);

  // Dispatches the waiting paint requests of every window and nothing else: input stays queued,
  // and a request to quit stays queued too, so that it is honoured once the operation returns
  // to the event loop.
  static void PaintOnlyPump();
};

// The progress window stays up only while an operation runs, however that ends.
class TProgressShown {
public:
  TProgressShown(TProgressForm& form, const QString& label);
  // Hides the window and gives the keyboard back to the window and control that had it: a
  // hidden window that had been activated leaves none active, and no shortcut would work until
  // the user clicked a menu.
  ~TProgressShown();
  TProgressShown(const TProgressShown&) = delete;
  TProgressShown& operator=(const TProgressShown&) = delete;

private:
  TProgressForm& Form_;
  QPointer<QWidget> Window_, Focus_;
};

}  // namespace gs
